// An accented list: the accentee, and the accent glyph placed relative to this node.
#include "display/MTAccentDisplay.h"

namespace zepla::math {

MTAccentDisplay::MTAccentDisplay(std::shared_ptr<MTGlyphDisplay> accent, MTMathListDisplayPtr accentee,
                                 MTRange range)
    : m_accent(std::move(accent)), m_accentee(std::move(accentee)) {
    m_accentee->setPosition(QPointF(0, 0));
    setRange(range);
}

void MTAccentDisplay::setPosition(QPointF position) {
    MTDisplay::setPosition(position);
    m_accentee->setPosition(position);
}

void MTAccentDisplay::setTextColor(const std::optional<QColor>& color) {
    MTDisplay::setTextColor(color);
    passTextColor(m_accentee.get(), color);
    m_accent->MTDisplay::setTextColor(color);
}

void MTAccentDisplay::draw(MTGraphicsContext& context) const {
    MTDisplay::draw(context);
    m_accentee->draw(context);
    context.saveState();
    context.translate(position());
    m_accent->draw(context);
    context.restoreState();
}

} // namespace zepla::math
