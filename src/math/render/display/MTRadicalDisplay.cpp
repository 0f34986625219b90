// A radical: the radical sign, an optional degree before it, the radicand after it and the rule over it.
#include "display/MTRadicalDisplay.h"

namespace zepla::math {

MTRadicalDisplay::MTRadicalDisplay(MTMathListDisplayPtr radicand, MTDisplayPtr radicalGlyph, QPointF position,
                                   MTRange range)
    : m_radicand(std::move(radicand)), m_radicalGlyph(std::move(radicalGlyph)) {
    setPosition(position);
    setRange(range);
}

void MTRadicalDisplay::setPosition(QPointF position) {
    MTDisplay::setPosition(position);
    updateRadicandPosition();
}

void MTRadicalDisplay::updateRadicandPosition() {
    m_radicand->setPosition(position() + QPointF(m_radicalShift + m_radicalGlyph->width(), 0));
}

void MTRadicalDisplay::setDegree(MTMathListDisplayPtr degree, const MTFontMathTable& fontMetrics) {
    qreal kernBefore = fontMetrics.radicalKernBeforeDegree();
    const qreal kernAfter = fontMetrics.radicalKernAfterDegree();
    const qreal raise = fontMetrics.radicalDegreeBottomRaisePercent();
    m_degree = std::move(degree);
    m_radicalShift = kernBefore + m_degree->width() + kernAfter;
    if (m_radicalShift < 0) {
        kernBefore -= m_radicalShift;
        m_radicalShift = 0;
    }
    m_degree->setPosition(position() + QPointF(kernBefore, raise * (ascent() - descent())));
    setWidth(m_radicalShift + m_radicalGlyph->width() + m_radicand->width());
    updateRadicandPosition();
}

void MTRadicalDisplay::setTextColor(const std::optional<QColor>& color) {
    MTDisplay::setTextColor(color);
    passTextColor(m_radicand.get(), color);
    passTextColor(m_degree.get(), color);
}

void MTRadicalDisplay::draw(MTGraphicsContext& context) const {
    MTDisplay::draw(context);
    m_radicand->draw(context);
    if (m_degree)
        m_degree->draw(context);
    context.saveState();
    context.setStrokeColor(textColor());
    context.setFillColor(textColor());
    context.translate(position() + QPointF(m_radicalShift, 0));
    m_radicalGlyph->draw(context);
    const qreal glyphWidth = m_radicalGlyph->width();
    const qreal ruleY = ascent() - m_topKern - m_lineThickness / 2;
    context.strokeLine({glyphWidth, ruleY}, {glyphWidth + m_radicand->width(), ruleY}, m_lineThickness,
                       Qt::RoundCap);
    context.restoreState();
}

} // namespace zepla::math
