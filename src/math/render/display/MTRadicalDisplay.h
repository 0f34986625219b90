// A radical: the radical sign, an optional degree before it, the radicand after it and the rule over it.
#pragma once

#include "display/MTMathListDisplay.h"
#include "fonts/MTFontMathTable.h"

namespace zepla::math {

class MTRadicalDisplay : public MTDisplay {
public:
    // The creator sets the box, the rule's thickness and the kern above it.
    MTRadicalDisplay(MTMathListDisplayPtr radicand, MTDisplayPtr radicalGlyph, QPointF position,
                     MTRange range);

    void setPosition(QPointF position) override;
    void setTextColor(const std::optional<QColor>& color) override;
    void draw(MTGraphicsContext& context) const override;

    // Places the degree before the sign by the font's kerns and raise, and widens the node by it. Set the
    // box first: the raise is a share of its height.
    void setDegree(MTMathListDisplayPtr degree, const MTFontMathTable& fontMetrics);
    void updateRadicandPosition();

    const MTMathListDisplayPtr& radicand() const { return m_radicand; }
    const MTMathListDisplayPtr& degree() const { return m_degree; }
    const MTDisplayPtr& radicalGlyph() const { return m_radicalGlyph; }
    // How far the sign stands right of the node's start, to make room for the degree.
    qreal radicalShift() const { return m_radicalShift; }
    qreal topKern() const { return m_topKern; }
    void setTopKern(qreal kern) { m_topKern = kern; }
    qreal lineThickness() const { return m_lineThickness; }
    void setLineThickness(qreal thickness) { m_lineThickness = thickness; }

private:
    MTMathListDisplayPtr m_radicand;
    MTMathListDisplayPtr m_degree;
    MTDisplayPtr m_radicalGlyph;
    qreal m_radicalShift = 0;
    qreal m_topKern = 0;
    qreal m_lineThickness = 0;
};

} // namespace zepla::math
