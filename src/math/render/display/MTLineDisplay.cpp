// A list with a rule over or under it (\overline, \underline).
#include "display/MTLineDisplay.h"

namespace zepla::math {

MTLineDisplay::MTLineDisplay(MTMathListDisplayPtr inner, QPointF position, MTRange range)
    : m_inner(std::move(inner)) {
    setPosition(position);
    setRange(range);
}

void MTLineDisplay::setPosition(QPointF position) {
    MTDisplay::setPosition(position);
    m_inner->setPosition(position);
}

void MTLineDisplay::setTextColor(const std::optional<QColor>& color) {
    MTDisplay::setTextColor(color);
    passTextColor(m_inner.get(), color);
}

void MTLineDisplay::draw(MTGraphicsContext& context) const {
    MTDisplay::draw(context);
    m_inner->draw(context);
    context.saveState();
    context.setStrokeColor(textColor());
    const QPointF start = position() + QPointF(0, m_lineShiftUp);
    context.strokeLine(start, start + QPointF(m_inner->width(), 0), m_lineThickness, Qt::FlatCap);
    context.restoreState();
}

} // namespace zepla::math
