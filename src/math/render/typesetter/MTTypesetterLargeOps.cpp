// Large operators: the display-style size of a one-character operator, centred on the math axis, named
// operators set as text, and their limits above and below in display style or their scripts beside them.
#include "typesetter/MTTypesetter.h"

#include "display/MTLargeOpLimitsDisplay.h"
#include "mathlist/MTUnicode.h"

#include <algorithm>

namespace zepla::math {

MTDisplayPtr MTTypesetter::makeLargeOp(const std::shared_ptr<MTLargeOperator>& atom) {
    const MTLargeOperator& op = *atom;
    const bool limits = op.limits() && m_style == MTLineStyle::display;
    if (graphemeClusters(op.nucleus()).size() != 1) {
        MTAttributedString text;
        text.append(op.nucleus());
        text.setFont(styleFont()->ctFont());
        auto display = MTNodePool::make<MTCTLineDisplay>(text, m_currentPosition, op.indexRange(),
                                                         std::vector<MTMathAtomPtr>{atom});
        return addLimitsToDisplay(display, op, 0);
    }

    CharacterGlyph base = glyphForCharacter(op.nucleus(), 0);
    if (m_style == MTLineStyle::display && base.glyph != 0)
        base.glyph = base.font->mathTable()->getLargerGlyph(base.glyph);
    const qreal delta = base.font->mathTable()->getItalicCorrection(base.glyph);
    const QRectF ink = base.font->ctFont()->boundingRect(base.glyph);
    const qreal ascent = ink.isNull() ? 0 : std::max(ink.y() + ink.height(), 0.0);
    const qreal descent = ink.isNull() ? 0 : std::max(-ink.y(), 0.0);

    auto display = MTNodePool::make<MTGlyphDisplay>(base.glyph, op.indexRange(), base.font);
    display->setAscent(ascent);
    display->setDescent(descent);
    display->setWidth(base.font->ctFont()->advance(base.glyph));
    if (op.subScript() && !limits)
        display->setWidth(display->width() - delta);
    display->setShiftDown(0.5 * (ascent - descent) - styleFont()->mathTable()->axisHeight());
    display->setPosition(m_currentPosition);
    return addLimitsToDisplay(display, op, delta);
}

MTDisplayPtr MTTypesetter::addLimitsToDisplay(const MTDisplayPtr& display, const MTLargeOperator& op,
                                              qreal delta) {
    if (!op.subScript() && !op.superScript()) {
        m_currentPosition.rx() += display->width();
        return display;
    }
    if (!op.limits() || m_style != MTLineStyle::display) {
        m_currentPosition.rx() += display->width();
        makeScripts(op, *display, op.indexRange().location, delta);
        return display;
    }

    const MTLineStyle limitStyle = scriptStyle();
    auto upper = op.superScript() ? layoutNested(op.superScript(), limitStyle, m_cramped) : nullptr;
    auto lower = op.subScript() ? layoutNested(op.subScript(), limitStyle, true) : nullptr;
    const MTFontMathTable& table = *styleFont()->mathTable();
    auto limitsDisplay = MTNodePool::make<MTLargeOpLimitsDisplay>(display, upper, lower, delta / 2, 0);
    if (upper)
        limitsDisplay->setUpperLimitGap(
            std::max(table.upperLimitGapMin(), table.upperLimitBaselineRiseMin() - upper->descent()));
    if (lower)
        limitsDisplay->setLowerLimitGap(
            std::max(table.lowerLimitGapMin(), table.lowerLimitBaselineDropMin() - lower->ascent()));
    limitsDisplay->setPosition(m_currentPosition);
    limitsDisplay->setRange(op.indexRange());
    m_currentPosition.rx() += limitsDisplay->width();
    return limitsDisplay;
}

} // namespace zepla::math
