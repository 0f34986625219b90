// Constructs around a nested list: \left...\right groups with delimiters sized to their content, rules over
// and under a list, and accents placed by the font's top-accent attachments.
#include "typesetter/MTTypesetter.h"

#include "display/MTAccentDisplay.h"
#include "display/MTLineDisplay.h"

#include <algorithm>

namespace zepla::math {

namespace {

// TeX's delimiter factor and shortfall: a delimiter covers at least 901/1000 of the content around the axis,
// and comes short of twice its larger half by at most 5 points.
constexpr qreal kDelimiterFactor = 901;
constexpr qreal kDelimiterShortfall = 5;

const QString* delimiterOf(const MTMathAtomPtr& boundary) {
    return boundary && !boundary->nucleus().isEmpty() ? &boundary->nucleus() : nullptr;
}

bool hasMiddle(const MTMathList* list) {
    if (!list)
        return false;
    return std::any_of(list->atoms().begin(), list->atoms().end(), [](const MTMathAtomPtr& atom) {
        const auto* inner = dynamic_cast<const MTInner*>(atom.get());
        return inner && inner->isMiddle();
    });
}

// By class, not type: laying a table out retypes it as an inner atom for the spacing after it.
bool holdsTable(const MTMathList* list) {
    return list && std::any_of(list->atoms().begin(), list->atoms().end(), [](const MTMathAtomPtr& atom) {
               return dynamic_cast<const MTMathTable*>(atom.get()) != nullptr;
           });
}

} // namespace

MTMathListDisplayPtr MTTypesetter::makeLeftRight(const MTInner& inner) {
    // With \middle delimiters the inside is measured first on a copy (layout changes the atoms it sets),
    // then set with the middle delimiters as tall as the outer ones.
    const bool middle = hasMiddle(inner.innerList().get());
    const MTMathListPtr measured = middle ? MTMathList::deepCopy(inner.innerList()) : inner.innerList();
    auto innerDisplay = layoutNested(measured, m_style, m_cramped, true);
    const qreal axis = styleFont()->mathTable()->axisHeight();
    const qreal delta = std::max(innerDisplay->ascent() - axis, innerDisplay->descent() + axis);
    // TeX's table rows carry struts that make the delimiters of a matrix reach past its ink; ours have none,
    // so delimiters round a table cover its whole height instead of falling short by TeX's shortfall.
    const qreal shortfall = holdsTable(measured.get()) ? 0 : kDelimiterShortfall;
    const qreal glyphHeight = std::max(delta / 500 * kDelimiterFactor, 2 * delta - shortfall);
    if (middle)
        innerDisplay = layoutLine(inner.innerList(), m_fonts, m_style, m_cramped, true, glyphHeight);

    std::vector<MTDisplayPtr> parts;
    qreal x = 0;
    if (const QString* left = delimiterOf(inner.leftBoundary())) {
        auto glyph = findGlyphForBoundary(*left, glyphHeight);
        x = glyph->width();
        parts.push_back(std::move(glyph));
    }
    innerDisplay->setPosition(QPointF(x, 0));
    x += innerDisplay->width();
    parts.push_back(std::move(innerDisplay));
    if (const QString* right = delimiterOf(inner.rightBoundary())) {
        auto glyph = findGlyphForBoundary(*right, glyphHeight);
        glyph->setPosition(QPointF(x, 0));
        parts.push_back(std::move(glyph));
    }
    return MTNodePool::make<MTMathListDisplay>(std::move(parts), inner.indexRange());
}

MTDisplayPtr MTTypesetter::makeUnderline(const MTUnderLine& under) {
    auto inner = layoutNested(under.innerList(), m_style, m_cramped);
    const MTFontMathTable& table = *styleFont()->mathTable();
    const qreal ascent = inner->ascent();
    const qreal descent = inner->descent();
    const qreal width = inner->width();
    auto display = MTNodePool::make<MTLineDisplay>(std::move(inner), m_currentPosition, under.indexRange());
    display->setLineShiftUp(-(descent + table.underbarVerticalGap()));
    display->setLineThickness(table.underbarRuleThickness());
    display->setAscent(ascent);
    display->setDescent(descent + table.underbarVerticalGap() + table.underbarRuleThickness() +
                        table.underbarExtraDescender());
    display->setWidth(width);
    return display;
}

MTDisplayPtr MTTypesetter::makeOverline(const MTOverLine& over) {
    auto inner = layoutNested(over.innerList(), m_style, true);
    const MTFontMathTable& table = *styleFont()->mathTable();
    const qreal ascent = inner->ascent();
    const qreal descent = inner->descent();
    const qreal width = inner->width();
    auto display = MTNodePool::make<MTLineDisplay>(std::move(inner), m_currentPosition, over.indexRange());
    display->setLineShiftUp(ascent + table.overbarVerticalGap());
    display->setLineThickness(table.overbarRuleThickness());
    display->setAscent(ascent + table.overbarVerticalGap() + table.overbarRuleThickness() +
                       table.overbarExtraAscender());
    display->setDescent(descent);
    display->setWidth(width);
    return display;
}

qreal MTTypesetter::getSkew(const MTAccent& accent, bool singleCharacter, qreal accenteeWidth,
                            quint16 accentGlyph) const {
    if (accent.nucleus().isEmpty())
        return 0;
    const MTFontMathTable& table = *styleFont()->mathTable();
    const qreal accentAdjust = table.getTopAccentAdjustment(accentGlyph);
    if (!singleCharacter)
        return accenteeWidth / 2 - accentAdjust;
    const QString& letter = accent.innerList()->atoms().front()->nucleus();
    const CharacterGlyph accentee = glyphForCharacter(letter, lastCharacterIndex(letter));
    return accentee.font->mathTable()->getTopAccentAdjustment(accentee.glyph) - accentAdjust;
}

namespace {

// An upright i or j under an accent loses its dot, as in "naïve"; the math italic letters keep theirs, as in
// TeX, where a dotless one is asked for by name.
void dropDot(MTMathAtom& letter) {
    if (letter.fontStyle() != MTFontStyle::roman)
        return;
    if (letter.nucleus() == u"i")
        letter.setNucleus(QString(QChar(0x0131)));
    else if (letter.nucleus() == u"j")
        letter.setNucleus(QString(QChar(0x0237)));
}

} // namespace

MTDisplayPtr MTTypesetter::makeAccent(MTAccent& accent) {
    // A precomposed letter read in a styled run (\text{café}) is an accent whose letter has no style of its
    // own: it takes the accent's, so that it matches the letters around it.
    if (accent.fontStyle() != MTFontStyle::defaultStyle && accent.innerList()) {
        for (const MTMathAtomPtr& letter : accent.innerList()->atoms()) {
            if (letter->fontStyle() == MTFontStyle::defaultStyle)
                letter->setFontStyle(accent.fontStyle());
        }
    }
    // Asked before the accentee is laid out: laying out an inner accent gives it the ordinary type it
    // spaces as, which would make it pass for a letter.
    const bool singleCharacter = isSingleCharAccentee(&accent);
    if (singleCharacter && !accent.nucleus().isEmpty())
        dropDot(*accent.innerList()->atoms().front());
    auto accentee = layoutNested(accent.innerList(), m_style, true);
    if (accent.nucleus().isEmpty())
        return accentee;

    const QString& mark = accent.nucleus();
    const CharacterGlyph base = glyphForCharacter(mark, lastCharacterIndex(mark));
    const SizedGlyph variant = accent.isWide() ? findVariantGlyph(*base.font, base.glyph, accentee->width())
                                               : findGlyph(*base.font, base.glyph, 0);
    const qreal delta = std::min(accentee->ascent(), styleFont()->mathTable()->accentBaseHeight());
    const qreal skew = getSkew(accent, singleCharacter, accentee->width(), variant.glyph);
    auto accentDisplay = MTNodePool::make<MTGlyphDisplay>(variant.glyph, accent.indexRange(), base.font);
    accentDisplay->setAscent(variant.ascent);
    accentDisplay->setDescent(variant.descent);
    accentDisplay->setWidth(variant.width);
    accentDisplay->setPosition(QPointF(skew, accentee->ascent() - delta));

    if (singleCharacter && (accent.subScript() || accent.superScript())) {
        // The scripts belong to the letter, so that the accent stays over the letter alone.
        const MTMathAtomPtr& letter = accent.innerList()->atoms().front();
        letter->setSuperScript(accent.superScript());
        letter->setSubScript(accent.subScript());
        accent.setSuperScript(nullptr);
        accent.setSubScript(nullptr);
        accentee = layoutNested(accent.innerList(), m_style, m_cramped);
    }

    // Measured from the mark where it stands: scripts laid out with the letter below add no height above it.
    const qreal ascent = std::max(accentee->ascent(), accentDisplay->position().y() + variant.ascent);
    const qreal descent = accentee->descent();
    const qreal width = accentee->width();
    auto display =
        MTNodePool::make<MTAccentDisplay>(std::move(accentDisplay), std::move(accentee), accent.indexRange());
    display->setWidth(width);
    display->setDescent(descent);
    display->setAscent(ascent);
    display->setPosition(m_currentPosition);
    return display;
}

} // namespace zepla::math
