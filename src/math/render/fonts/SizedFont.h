// A math font file at one point size: what layout measures and drawing uses, in points with y growing upward.
#pragma once

#include "fonts/FontFace.h"

#include <QList>
#include <QRawFont>
#include <QRectF>

#include <memory>

namespace zepla::math {

class SizedFont {
public:
    SizedFont(std::shared_ptr<const FontFace> face, qreal pointSize);

    const std::shared_ptr<const FontFace>& face() const { return m_face; }
    qreal pointSize() const { return m_pointSize; }
    unsigned unitsPerEm() const { return m_face->unitsPerEm(); }

    quint16 glyphForCodePoint(char32_t codePoint) const { return m_face->glyphForCodePoint(codePoint); }
    qreal advance(quint16 glyph) const;
    qreal unitsToPoints(qreal units) const { return units * m_pointSize / m_face->unitsPerEm(); }
    // The exact ink rectangle of one glyph drawn at the origin (no pixel rounding).
    QRectF boundingRect(quint16 glyph) const;
    // The union of the glyphs' rectangles, each drawn at the origin.
    QRectF boundingRect(const QList<quint16>& glyphs) const;

    // The drawing font at this size, one point to one pixel, of the calling thread (FontFace::rawFont).
    QRawFont rawFont() const { return m_face->rawFont(m_pointSize); }

private:
    std::shared_ptr<const FontFace> m_face;
    qreal m_pointSize;
};

} // namespace zepla::math
