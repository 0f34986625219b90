// The base of the display tree.
#include "display/MTDisplay.h"

namespace zepla::math {

void MTDisplay::draw(MTGraphicsContext& context) const {
    if (!m_localBackgroundColor)
        return;
    context.saveState();
    context.setFillColor(m_localBackgroundColor);
    context.fillRect(QRectF(m_position.x(), m_position.y() - descent(), width(), ascent() + descent()));
    context.restoreState();
}

void MTDisplay::passTextColor(MTDisplay* child, const std::optional<QColor>& color) {
    if (child)
        child->setTextColor(child->localTextColor() ? child->localTextColor() : color);
}

} // namespace zepla::math
