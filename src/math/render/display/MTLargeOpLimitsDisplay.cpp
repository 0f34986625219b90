// A large operator with its limits set above and below it rather than as scripts.
#include "display/MTLargeOpLimitsDisplay.h"

#include <algorithm>

namespace zepla::math {

MTLargeOpLimitsDisplay::MTLargeOpLimitsDisplay(MTDisplayPtr nucleus, MTMathListDisplayPtr upperLimit,
                                               MTMathListDisplayPtr lowerLimit, qreal limitShift,
                                               qreal extraPadding)
    : m_upperLimit(std::move(upperLimit)), m_lowerLimit(std::move(lowerLimit)), m_limitShift(limitShift),
      m_extraPadding(extraPadding), m_nucleus(std::move(nucleus)) {
    setWidth(std::max({m_nucleus->width(), m_upperLimit ? m_upperLimit->width() : 0.0,
                       m_lowerLimit ? m_lowerLimit->width() : 0.0}));
}

qreal MTLargeOpLimitsDisplay::ascent() const {
    if (!m_upperLimit)
        return m_nucleus->ascent();
    return m_nucleus->ascent() + m_extraPadding + m_upperLimit->ascent() + m_upperLimitGap +
           m_upperLimit->descent();
}

qreal MTLargeOpLimitsDisplay::descent() const {
    if (!m_lowerLimit)
        return m_nucleus->descent();
    return m_nucleus->descent() + m_extraPadding + m_lowerLimitGap + m_lowerLimit->descent() +
           m_lowerLimit->ascent();
}

void MTLargeOpLimitsDisplay::setPosition(QPointF position) {
    MTDisplay::setPosition(position);
    updateLowerLimitPosition();
    updateUpperLimitPosition();
    updateNucleusPosition();
}

void MTLargeOpLimitsDisplay::setUpperLimitGap(qreal gap) {
    m_upperLimitGap = gap;
    updateUpperLimitPosition();
}

void MTLargeOpLimitsDisplay::setLowerLimitGap(qreal gap) {
    m_lowerLimitGap = gap;
    updateLowerLimitPosition();
}

void MTLargeOpLimitsDisplay::updateUpperLimitPosition() {
    if (!m_upperLimit)
        return;
    m_upperLimit->setPosition(position() +
                              QPointF(m_limitShift + (width() - m_upperLimit->width()) / 2,
                                      m_nucleus->ascent() + m_upperLimitGap + m_upperLimit->descent()));
}

void MTLargeOpLimitsDisplay::updateLowerLimitPosition() {
    if (!m_lowerLimit)
        return;
    m_lowerLimit->setPosition(position() +
                              QPointF(-m_limitShift + (width() - m_lowerLimit->width()) / 2,
                                      -m_nucleus->descent() - m_lowerLimitGap - m_lowerLimit->ascent()));
}

void MTLargeOpLimitsDisplay::updateNucleusPosition() {
    m_nucleus->setPosition(position() + QPointF((width() - m_nucleus->width()) / 2, 0));
}

void MTLargeOpLimitsDisplay::setTextColor(const std::optional<QColor>& color) {
    MTDisplay::setTextColor(color);
    passTextColor(m_upperLimit.get(), color);
    passTextColor(m_lowerLimit.get(), color);
    m_nucleus->setTextColor(color);
}

void MTLargeOpLimitsDisplay::draw(MTGraphicsContext& context) const {
    MTDisplay::draw(context);
    if (m_upperLimit)
        m_upperLimit->draw(context);
    if (m_lowerLimit)
        m_lowerLimit->draw(context);
    m_nucleus->draw(context);
}

} // namespace zepla::math
