#include "LineGlyphs.h"

#include <QChar>
#include <QLineF>

#include <algorithm>
#include <cmath>

namespace zepla::pdf {

namespace {

// How far from the baseline a glyph of the line may stand, and how far beyond its ends, in ems: a quarter
// of an em keeps the lines above and below out even at a leading as tight as the type's size.
constexpr qreal baselineTolerance = 0.25;
constexpr qreal endTolerance = 0.05;
// How close a glyph's origin must come to a character's to be that character's glyph.
constexpr qreal sameOrigin = 0.02;

qreal dot(const QPointF& a, const QPointF& b) {
    return a.x() * b.x() + a.y() * b.y();
}

QPointF unit(const QPointF& v) {
    const qreal length = std::hypot(v.x(), v.y());
    return length > 0 ? v / length : QPointF();
}

} // namespace

LineGlyphs::LineGlyphs(const TextLine& line) {
    std::vector<qreal> sizes;
    for (const TextChar& c : line.chars) {
        if (QChar::isSpace(c.character))
            continue;
        m_origins.push_back(c.origin);
        sizes.push_back(c.fontSize);
    }
    if (m_origins.empty())
        return;
    std::nth_element(sizes.begin(), sizes.begin() + qsizetype(sizes.size() / 2), sizes.end());
    m_size = sizes[sizes.size() / 2];
    const qreal near = std::max(sameOrigin * m_size, 0.01);
    for (const QPointF& o : m_origins)
        m_near |= QRectF(o - QPointF(near, near), o + QPointF(near, near));
    m_start = m_origins.front();
    const QPointF run = m_origins.back() - m_start;
    m_length = std::hypot(run.x(), run.y());
    if (m_length > endTolerance * m_size)
        m_direction = run / m_length;
    else
        m_length = 0;
}

bool LineGlyphs::holds(const QPointF& origin, const QPointF& advance) const {
    if (m_origins.empty())
        return false;
    if (m_near.contains(origin)) {
        const qreal near = std::max(sameOrigin * m_size, 0.01);
        for (const QPointF& o : m_origins) {
            if (QLineF(o, origin).length() <= near)
                return true;
        }
    }
    const QPointF way = unit(advance);
    // Text running another way (a turned label across the line) is not the line's.
    if (!m_direction.isNull() && dot(way, m_direction) < 0.9)
        return false;
    const QPointF along = m_direction.isNull() ? way : m_direction;
    if (along.isNull())
        return false;
    const QPointF d = origin - m_start;
    const qreal position = dot(d, along);
    const qreal across = std::abs(d.x() * along.y() - d.y() * along.x());
    return across <= baselineTolerance * m_size && position >= -endTolerance * m_size &&
           position <= m_length + endTolerance * m_size;
}

} // namespace zepla::pdf
