// A math font file at one point size: what layout measures and drawing uses, in points with y growing upward.
#include "fonts/SizedFont.h"

namespace zepla::math {

SizedFont::SizedFont(std::shared_ptr<const FontFace> face, qreal pointSize)
    : m_face(std::move(face)), m_pointSize(pointSize) {}

qreal SizedFont::advance(quint16 glyph) const {
    return unitsToPoints(m_face->advance(glyph));
}

QRectF SizedFont::boundingRect(quint16 glyph) const {
    const QRectF units = m_face->bounds(glyph);
    return QRectF(unitsToPoints(units.x()), unitsToPoints(units.y()), unitsToPoints(units.width()),
                  unitsToPoints(units.height()));
}

QRectF SizedFont::boundingRect(const QList<quint16>& glyphs) const {
    QRectF united;
    for (quint16 glyph : glyphs) {
        const QRectF rect = boundingRect(glyph);
        if (!rect.isEmpty())
            united = united.isNull() ? rect : united.united(rect);
    }
    return united;
}

} // namespace zepla::math
