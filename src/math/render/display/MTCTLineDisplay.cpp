// A run of text atoms laid out as one line of glyphs.
#include "display/MTCTLineDisplay.h"

#include <algorithm>

namespace zepla::math {

MTCTLineDisplay::MTCTLineDisplay(MTAttributedString string, QPointF position, MTRange range,
                                 std::vector<MTMathAtomPtr> atoms)
    : m_attributedString(std::move(string)), m_atoms(std::move(atoms)) {
    setPosition(position);
    setRange(range);
    const MTTextLine measured = line();
    setWidth(measured.width());
    const QRectF& ink = measured.inkBounds();
    setAscent(std::max(ink.isNull() ? 0.0 : ink.top() + ink.height(), 0.0));
    setDescent(std::max(ink.isNull() ? 0.0 : -ink.top(), 0.0));
}

void MTCTLineDisplay::draw(MTGraphicsContext& context) const {
    MTDisplay::draw(context);
    context.saveState();
    line().draw(context, position());
    context.restoreState();
}

void MTCTLineDisplay::setTextColor(const std::optional<QColor>& color) {
    MTDisplay::setTextColor(color);
    if (color)
        m_attributedString.setForegroundColor(*color);
}

} // namespace zepla::math
