// Which glyphs drawn on a page are those of one line of its text: the glyphs standing on the line's baseline
// (within a fraction of its size), between its first and its last character, advancing the line's way; and
// any glyph standing exactly where one of the line's characters stands (a superscript the reading put in
// the line). Never chosen by boxes, which reach into the neighbouring lines where the leading is tight.
#pragma once

#include "PdfTypes.h"

#include <QPointF>
#include <QRectF>

#include <vector>

namespace zepla::pdf {

class LineGlyphs {
public:
    explicit LineGlyphs(const TextLine& line);

    // Whether a glyph whose origin is `origin` and whose pen moves along `advance` (page space) is the
    // line's.
    bool holds(const QPointF& origin, const QPointF& advance) const;

private:
    QPointF m_start;
    QPointF m_direction; // unit; null when the line has one character only
    qreal m_length = 0;  // from the first character's origin to the last one's
    qreal m_size = 0;
    std::vector<QPointF> m_origins;
    QRectF m_near; // around every origin: a glyph outside stands on none of them
};

} // namespace zepla::pdf
