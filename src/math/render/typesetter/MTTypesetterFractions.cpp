// Fractions (with a rule, or stacked without one as in binomials, with their delimiters) and radicals, by
// TeX's rules 15 and 11 with the OpenType MATH constants of the style font.
#include "typesetter/MTTypesetter.h"

#include <algorithm>

namespace zepla::math {

MTLineStyle MTTypesetter::fractionStyle() const {
    switch (m_style) {
    case MTLineStyle::display:
        return MTLineStyle::text;
    case MTLineStyle::text:
        return MTLineStyle::script;
    default:
        return MTLineStyle::scriptOfScript;
    }
}

qreal MTTypesetter::numeratorShiftUp(bool hasRule) const {
    const MTFontMathTable& table = *styleFont()->mathTable();
    const bool display = m_style == MTLineStyle::display;
    if (hasRule)
        return display ? table.fractionNumeratorDisplayStyleShiftUp() : table.fractionNumeratorShiftUp();
    return display ? table.stackTopDisplayStyleShiftUp() : table.stackTopShiftUp();
}

qreal MTTypesetter::denominatorShiftDown(bool hasRule) const {
    const MTFontMathTable& table = *styleFont()->mathTable();
    const bool display = m_style == MTLineStyle::display;
    if (hasRule)
        return display ? table.fractionDenominatorDisplayStyleShiftDown()
                       : table.fractionDenominatorShiftDown();
    return display ? table.stackBottomDisplayStyleShiftDown() : table.stackBottomShiftDown();
}

qreal MTTypesetter::numeratorGapMin() const {
    const MTFontMathTable& table = *styleFont()->mathTable();
    return m_style == MTLineStyle::display ? table.fractionNumeratorDisplayStyleGapMin()
                                           : table.fractionNumeratorGapMin();
}

qreal MTTypesetter::denominatorGapMin() const {
    const MTFontMathTable& table = *styleFont()->mathTable();
    return m_style == MTLineStyle::display ? table.fractionDenominatorDisplayStyleGapMin()
                                           : table.fractionDenominatorGapMin();
}

qreal MTTypesetter::stackGapMin() const {
    const MTFontMathTable& table = *styleFont()->mathTable();
    return m_style == MTLineStyle::display ? table.stackDisplayStyleGapMin() : table.stackGapMin();
}

qreal MTTypesetter::fractionDelimiterHeight() const {
    const MTFontMathTable& table = *styleFont()->mathTable();
    return m_style == MTLineStyle::display ? table.fractionDelimiterDisplayStyleSize()
                                           : table.fractionDelimiterSize();
}

qreal MTTypesetter::radicalVerticalGap() const {
    const MTFontMathTable& table = *styleFont()->mathTable();
    return m_style == MTLineStyle::display ? table.radicalDisplayStyleVerticalGap()
                                           : table.radicalVerticalGap();
}

MTDisplayPtr MTTypesetter::makeFraction(const MTFraction& fraction) {
    const MTLineStyle partStyle = fractionStyle();
    auto numerator = layoutNested(fraction.numerator(), partStyle, false);
    auto denominator = layoutNested(fraction.denominator(), partStyle, true);
    const MTFontMathTable& table = *styleFont()->mathTable();

    qreal up = numeratorShiftUp(fraction.hasRule());
    qreal down = denominatorShiftDown(fraction.hasRule());
    const qreal axis = table.axisHeight();
    const qreal thickness = fraction.hasRule() ? table.fractionRuleThickness() : 0;
    if (fraction.hasRule()) {
        const qreal numeratorGap = (up - numerator->descent()) - (axis + thickness / 2);
        if (numeratorGap < numeratorGapMin())
            up += numeratorGapMin() - numeratorGap;
        const qreal denominatorGap = (axis - thickness / 2) - (denominator->ascent() - down);
        if (denominatorGap < denominatorGapMin())
            down += denominatorGapMin() - denominatorGap;
    } else {
        const qreal clearance = (up - numerator->descent()) - (denominator->ascent() - down);
        if (clearance < stackGapMin()) {
            const qreal half = (stackGapMin() - clearance) / 2;
            up += half;
            down += half;
        }
    }

    auto display = MTNodePool::make<MTFractionDisplay>(std::move(numerator), std::move(denominator),
                                                       m_currentPosition, fraction.indexRange());
    display->setNumeratorUp(up);
    display->setDenominatorDown(down);
    display->setLineThickness(thickness);
    display->setLinePosition(axis);
    if (fraction.leftDelimiter().isEmpty() && fraction.rightDelimiter().isEmpty())
        return display;
    return addDelimitersToFractionDisplay(display, fraction);
}

MTDisplayPtr MTTypesetter::addDelimitersToFractionDisplay(const std::shared_ptr<MTFractionDisplay>& display,
                                                          const MTFraction& fraction) {
    std::vector<MTDisplayPtr> parts;
    const qreal height = fractionDelimiterHeight();
    qreal x = 0;
    if (!fraction.leftDelimiter().isEmpty()) {
        auto left = findGlyphForBoundary(fraction.leftDelimiter(), height);
        x += left->width();
        parts.push_back(std::move(left));
    }
    display->setPosition(QPointF(x, 0));
    x += display->width();
    parts.push_back(display);
    if (!fraction.rightDelimiter().isEmpty()) {
        auto right = findGlyphForBoundary(fraction.rightDelimiter(), height);
        right->setPosition(QPointF(x, 0));
        parts.push_back(std::move(right));
    }
    auto result = MTNodePool::make<MTMathListDisplay>(std::move(parts), fraction.indexRange());
    result->setPosition(m_currentPosition);
    return result;
}

std::shared_ptr<MTRadicalDisplay> MTTypesetter::makeRadical(const MTMathListPtr& radicand, MTRange range) {
    auto inner = layoutNested(radicand, m_style, true);
    const MTFontMathTable& table = *styleFont()->mathTable();
    qreal clearance = radicalVerticalGap();
    const qreal rule = table.radicalRuleThickness();
    const qreal height = inner->ascent() + inner->descent() + clearance + rule;

    auto glyph = getRadicalGlyphWithHeight(height);
    const qreal delta = (glyph->descent() + glyph->ascent()) - height;
    if (delta > 0)
        clearance += delta / 2;
    const qreal radicalAscent = rule + clearance + inner->ascent();
    glyph->setShiftDown(-(radicalAscent - glyph->ascent()));

    const qreal innerDescent = inner->descent();
    const qreal innerWidth = inner->width();
    auto display = MTNodePool::make<MTRadicalDisplay>(std::move(inner), glyph, m_currentPosition, range);
    display->setAscent(radicalAscent + table.radicalExtraAscender());
    display->setTopKern(table.radicalExtraAscender());
    display->setLineThickness(rule);
    display->setDescent(std::max(glyph->ascent() + glyph->descent() - radicalAscent, innerDescent));
    display->setWidth(glyph->width() + innerWidth);
    return display;
}

} // namespace zepla::math
