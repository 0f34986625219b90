// A list with a rule over or under it (\overline, \underline).
#pragma once

#include "display/MTMathListDisplay.h"

namespace zepla::math {

class MTLineDisplay : public MTDisplay {
public:
    // The creator sets the box and the rule.
    MTLineDisplay(MTMathListDisplayPtr inner, QPointF position, MTRange range);

    void setPosition(QPointF position) override;
    void setTextColor(const std::optional<QColor>& color) override;
    void draw(MTGraphicsContext& context) const override;

    const MTMathListDisplayPtr& inner() const { return m_inner; }
    // The rule's height above the baseline (negative below it) and its thickness.
    qreal lineShiftUp() const { return m_lineShiftUp; }
    void setLineShiftUp(qreal shift) { m_lineShiftUp = shift; }
    qreal lineThickness() const { return m_lineThickness; }
    void setLineThickness(qreal thickness) { m_lineThickness = thickness; }

private:
    MTMathListDisplayPtr m_inner;
    qreal m_lineShiftUp = 0;
    qreal m_lineThickness = 0;
};

} // namespace zepla::math
