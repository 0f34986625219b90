// A run of text atoms laid out as one line of glyphs.
#include "display/MTCTLineDisplay.h"

#include <algorithm>

namespace zepla::math {

MTCTLineDisplay::MTCTLineDisplay(MTAttributedString string, QPointF position, MTRange range,
                                 std::vector<MTMathAtomPtr> atoms)
    : m_attributedString(std::move(string)), m_line(std::in_place, m_attributedString),
      m_atoms(std::move(atoms)) {
    setPosition(position);
    setRange(range);
    setWidth(m_line->width());
    const QRectF& ink = m_line->inkBounds();
    setAscent(std::max(ink.isNull() ? 0.0 : ink.top() + ink.height(), 0.0));
    setDescent(std::max(ink.isNull() ? 0.0 : -ink.top(), 0.0));
}

void MTCTLineDisplay::draw(MTGraphicsContext& context) const {
    MTDisplay::draw(context);
    context.saveState();
    m_line->draw(context, position());
    context.restoreState();
}

void MTCTLineDisplay::setTextColor(const std::optional<QColor>& color) {
    MTDisplay::setTextColor(color);
    if (!color)
        return;
    m_attributedString.setForegroundColor(*color);
    m_line.emplace(m_attributedString);
}

} // namespace zepla::math
