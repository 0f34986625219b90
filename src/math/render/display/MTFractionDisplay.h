// A fraction: numerator and denominator centred over each other, with an optional rule between them.
#pragma once

#include "display/MTMathListDisplay.h"

namespace zepla::math {

class MTFractionDisplay : public MTDisplay {
public:
    MTFractionDisplay(MTMathListDisplayPtr numerator, MTMathListDisplayPtr denominator, QPointF position,
                      MTRange range);

    qreal ascent() const override { return m_numerator->ascent() + m_numeratorUp; }
    qreal descent() const override { return m_denominator->descent() + m_denominatorDown; }
    qreal width() const override;
    void setPosition(QPointF position) override;
    void setTextColor(const std::optional<QColor>& color) override;
    void draw(MTGraphicsContext& context) const override;

    const MTMathListDisplayPtr& numerator() const { return m_numerator; }
    const MTMathListDisplayPtr& denominator() const { return m_denominator; }
    // How far the numerator's baseline is above this node's, and the denominator's below; setting either
    // places that part again.
    qreal numeratorUp() const { return m_numeratorUp; }
    void setNumeratorUp(qreal up);
    qreal denominatorDown() const { return m_denominatorDown; }
    void setDenominatorDown(qreal down);
    // The rule's height above the baseline and its thickness; a thickness of 0 draws no rule.
    qreal linePosition() const { return m_linePosition; }
    void setLinePosition(qreal position) { m_linePosition = position; }
    qreal lineThickness() const { return m_lineThickness; }
    void setLineThickness(qreal thickness) { m_lineThickness = thickness; }

    void updateNumeratorPosition();
    void updateDenominatorPosition();

private:
    MTMathListDisplayPtr m_numerator;
    MTMathListDisplayPtr m_denominator;
    qreal m_numeratorUp = 0;
    qreal m_denominatorDown = 0;
    qreal m_linePosition = 0;
    qreal m_lineThickness = 0;
};

} // namespace zepla::math
