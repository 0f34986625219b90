// The base of the display tree.
#include "display/MTDisplay.h"

namespace zepla::math {

const MTDisplay::Colors& MTDisplay::colors() const {
    static const Colors none;
    return m_colors ? *m_colors : none;
}

void MTDisplay::setColor(std::optional<QColor> Colors::*field, const std::optional<QColor>& color) {
    if (!m_colors) {
        if (!color)
            return;
        m_colors = std::make_unique<Colors>();
    }
    (*m_colors).*field = color;
}

void MTDisplay::draw(MTGraphicsContext& context) const {
    if (!localBackgroundColor())
        return;
    context.saveState();
    context.setFillColor(localBackgroundColor());
    context.fillRect(QRectF(m_position.x(), m_position.y() - descent(), width(), ascent() + descent()));
    context.restoreState();
}

void MTDisplay::passTextColor(MTDisplay* child, const std::optional<QColor>& color) {
    if (child)
        child->setTextColor(child->localTextColor() ? child->localTextColor() : color);
}

} // namespace zepla::math
