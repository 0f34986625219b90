// A large operator with its limits set above and below it rather than as scripts.
#pragma once

#include "display/MTMathListDisplay.h"

namespace zepla::math {

class MTLargeOpLimitsDisplay : public MTDisplay {
public:
    // An absent limit counts as width 0; the width is the widest of the three.
    MTLargeOpLimitsDisplay(MTDisplayPtr nucleus, MTMathListDisplayPtr upperLimit,
                           MTMathListDisplayPtr lowerLimit, qreal limitShift, qreal extraPadding);

    qreal ascent() const override;
    qreal descent() const override;
    void setPosition(QPointF position) override;
    void setTextColor(const std::optional<QColor>& color) override;
    void draw(MTGraphicsContext& context) const override;

    const MTDisplayPtr& nucleus() const { return m_nucleus; }
    const MTMathListDisplayPtr& upperLimit() const { return m_upperLimit; }
    const MTMathListDisplayPtr& lowerLimit() const { return m_lowerLimit; }
    // The horizontal shift of the limits (the upper one right, the lower one left), for slanted operators.
    qreal limitShift() const { return m_limitShift; }
    // Added to the box beyond each limit, not to the placement.
    qreal extraPadding() const { return m_extraPadding; }
    // Setting a gap places that limit again.
    qreal upperLimitGap() const { return m_upperLimitGap; }
    void setUpperLimitGap(qreal gap);
    qreal lowerLimitGap() const { return m_lowerLimitGap; }
    void setLowerLimitGap(qreal gap);

    void updateUpperLimitPosition();
    void updateLowerLimitPosition();
    void updateNucleusPosition();

private:
    MTMathListDisplayPtr m_upperLimit;
    MTMathListDisplayPtr m_lowerLimit;
    qreal m_limitShift;
    qreal m_upperLimitGap = 0;
    qreal m_lowerLimitGap = 0;
    qreal m_extraPadding;
    MTDisplayPtr m_nucleus;
};

} // namespace zepla::math
