#include "LineAnnotation.h"

#include <cmath>

namespace zepla::annotations {

namespace {

// Each arrow wing leaves the tip this far either side of the reversed direction.
constexpr qreal wingAngle = M_PI / 7;

QPointF wing(const QPointF& tip, qreal angle, qreal size) {
    return tip - size * QPointF(std::cos(angle), std::sin(angle));
}

QByteArray pdfName(LineEndStyle style) {
    switch (style) {
    case LineEndStyle::none:
        return "None";
    case LineEndStyle::square:
        return "Square";
    case LineEndStyle::circle:
        return "Circle";
    case LineEndStyle::diamond:
        return "Diamond";
    case LineEndStyle::openArrow:
        return "OpenArrow";
    case LineEndStyle::closedArrow:
        return "ClosedArrow";
    }
    return "None";
}

// The ending at `p`, pointing outward along `angle`.
void drawEnding(Appearance& a, LineEndStyle style, const QPointF& p, qreal angle, qreal size,
                const QColor& color, const StrokeStyle& stroke) {
    QPainterPath path;
    switch (style) {
    case LineEndStyle::none:
        return;
    case LineEndStyle::square:
    case LineEndStyle::circle: {
        const qreal h = size / 2.6;
        const QRectF square(p.x() - h, p.y() - h, 2 * h, 2 * h);
        if (style == LineEndStyle::square)
            path.addRect(square);
        else
            path.addEllipse(square);
        break;
    }
    case LineEndStyle::diamond: {
        const qreal d = size / 2.2;
        path.moveTo(p.x(), p.y() + d);
        path.lineTo(p.x() + d, p.y());
        path.lineTo(p.x(), p.y() - d);
        path.lineTo(p.x() - d, p.y());
        path.closeSubpath();
        break;
    }
    case LineEndStyle::openArrow:
    case LineEndStyle::closedArrow: {
        const QPointF w1 = wing(p, angle - wingAngle, size);
        const QPointF w2 = wing(p, angle + wingAngle, size);
        if (style == LineEndStyle::openArrow) {
            path.moveTo(w1);
            path.lineTo(p);
            path.lineTo(w2);
        } else {
            path.moveTo(p);
            path.lineTo(w1);
            path.lineTo(w2);
            path.closeSubpath();
            path.setFillRule(Qt::WindingFill);
            a.fill(path, color);
            return;
        }
        break;
    }
    }
    a.stroke(path, color, stroke);
}

} // namespace

qreal LineAnnotation::endingSize(qreal width) {
    return std::max(3.4 * width, 8.0);
}

void LineAnnotation::draw(Appearance& a) const {
    const qreal w = borderWidth.value_or(defaultWidth);
    const StrokeStyle stroke{w, Qt::RoundCap, Qt::MiterJoin};
    QPainterPath segment(m_start);
    segment.lineTo(m_end);
    a.stroke(segment, color, stroke);
    if (m_start == m_end)
        return;
    const qreal angle = std::atan2(m_end.y() - m_start.y(), m_end.x() - m_start.x());
    const qreal size = endingSize(w);
    drawEnding(a, m_endStyle, m_end, angle, size, color, stroke);
    drawEnding(a, m_startStyle, m_start, angle + M_PI, size, color, stroke);
}

Appearance LineAnnotation::appearance() const {
    Appearance a(bounds);
    draw(a);
    return a;
}

void LineAnnotation::fitBounds() {
    Appearance a;
    draw(a);
    bounds = a.coveredArea();
}

void LineAnnotation::setPoints(const QPointF& start, const QPointF& end) {
    m_start = start;
    m_end = end;
    fitBounds();
}

void LineAnnotation::setLineStyles(LineEndStyle start, LineEndStyle end) {
    m_startStyle = start;
    m_endStyle = end;
    fitBounds();
}

void LineAnnotation::setWidth(qreal width) {
    borderWidth = width;
    fitBounds();
}

pdf::ObjectValue::Entries LineAnnotation::entries() const {
    using pdf::ObjectValue;
    auto e = Annotation::entries();
    e.emplace_back("L", ObjectValue::numbers({m_start.x(), m_start.y(), m_end.x(), m_end.y()}));
    e.emplace_back("LE", ObjectValue::array({ObjectValue::name(pdfName(m_startStyle)),
                                             ObjectValue::name(pdfName(m_endStyle))}));
    // Closed endings are filled with the line's colour.
    const bool filled = m_startStyle == LineEndStyle::closedArrow || m_endStyle == LineEndStyle::closedArrow;
    e.emplace_back("IC", filled && color.isValid() ? colorValue(color) : ObjectValue());
    return e;
}

} // namespace zepla::annotations
