// A laid-out math list: its child displays placed relative to its own position.
#include "display/MTMathListDisplay.h"

#include <algorithm>

namespace zepla::math {

MTMathListDisplay::MTMathListDisplay(std::vector<MTDisplayPtr> displays, MTRange range)
    : m_subDisplays(std::move(displays)) {
    setRange(range);
    recomputeDimensions();
}

void MTMathListDisplay::recomputeDimensions() {
    qreal ascent = 0;
    qreal descent = 0;
    qreal width = 0;
    for (const MTDisplayPtr& child : m_subDisplays) {
        ascent = std::max(ascent, child->position().y() + child->ascent());
        descent = std::max(descent, child->descent() - child->position().y());
        width = std::max(width, child->position().x() + child->width());
    }
    setAscent(ascent);
    setDescent(descent);
    setWidth(width);
}

void MTMathListDisplay::setTextColor(const std::optional<QColor>& color) {
    MTDisplay::setTextColor(color);
    for (const MTDisplayPtr& child : m_subDisplays)
        passTextColor(child.get(), color);
}

void MTMathListDisplay::draw(MTGraphicsContext& context) const {
    MTDisplay::draw(context);
    context.saveState();
    context.translate(position());
    for (const MTDisplayPtr& child : m_subDisplays)
        child->draw(context);
    context.restoreState();
}

} // namespace zepla::math
