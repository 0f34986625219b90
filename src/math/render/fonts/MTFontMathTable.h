// A math font's MATH data at one point size, read from its property-list export: layout constants in points,
// size variants, italic corrections, accent attachments and the parts of vertical glyph assemblies.
#pragma once

#include "fonts/SizedFont.h"

#include <QList>
#include <QString>
#include <QVariantMap>

#include <memory>
#include <optional>

namespace zepla::math {

class MTFont;

// One piece of a vertical glyph assembly, lengths in points.
struct GlyphPart {
    std::optional<quint16> glyph;
    qreal fullAdvance = 0;
    qreal startConnectorLength = 0;
    qreal endConnectorLength = 0;
    bool isExtender = false;
};

class MTFontMathTable {
public:
    static constexpr char kConstants[] = "constants";
    static constexpr char kVertVariants[] = "v_variants";
    static constexpr char kHorizVariants[] = "h_variants";
    static constexpr char kItalic[] = "italic";
    static constexpr char kAccents[] = "accents";
    static constexpr char kVertAssembly[] = "v_assembly";
    static constexpr char kAssemblyParts[] = "parts";

    // The table of `font` over its dictionary. A dictionary of another format version, or a font without a
    // sized font, is a damaged installation and stops the process.
    MTFontMathTable(const std::shared_ptr<MTFont>& font, const QVariantMap& mathTable);
    virtual ~MTFontMathTable() = default;

    std::weak_ptr<MTFont> font() const { return m_font; }
    unsigned unitsPerEm() const { return m_unitsPerEm; }
    qreal fontSize() const { return m_fontSize; }
    const QVariantMap& mathTable() const { return m_mathTable; }

    qreal muUnit() const { return m_fontSize / 18; }
    qreal fontUnitsToPt(int units) const { return m_fontSize * units / m_unitsPerEm; }
    // A length constant in points, or 0 when the table lacks it.
    qreal constantFromTable(const QString& name) const;
    // A percentage constant as a fraction (70 gives 0.7), or 0 when the table lacks it.
    qreal percentFromTable(const QString& name) const;

    qreal fractionNumeratorDisplayStyleShiftUp() const {
        return length("FractionNumeratorDisplayStyleShiftUp");
    }
    qreal fractionNumeratorShiftUp() const { return length("FractionNumeratorShiftUp"); }
    qreal fractionDenominatorDisplayStyleShiftDown() const {
        return length("FractionDenominatorDisplayStyleShiftDown");
    }
    qreal fractionDenominatorShiftDown() const { return length("FractionDenominatorShiftDown"); }
    qreal fractionNumeratorDisplayStyleGapMin() const { return length("FractionNumDisplayStyleGapMin"); }
    qreal fractionNumeratorGapMin() const { return length("FractionNumeratorGapMin"); }
    qreal fractionDenominatorDisplayStyleGapMin() const { return length("FractionDenomDisplayStyleGapMin"); }
    qreal fractionDenominatorGapMin() const { return length("FractionDenominatorGapMin"); }
    qreal fractionRuleThickness() const { return length("FractionRuleThickness"); }
    qreal fractionDelimiterSize() const { return 1.01 * m_fontSize; }
    qreal fractionDelimiterDisplayStyleSize() const { return 2.39 * m_fontSize; }
    qreal stackTopDisplayStyleShiftUp() const { return length("StackTopDisplayStyleShiftUp"); }
    qreal stackTopShiftUp() const { return length("StackTopShiftUp"); }
    qreal stackDisplayStyleGapMin() const { return length("StackDisplayStyleGapMin"); }
    qreal stackGapMin() const { return length("StackGapMin"); }
    qreal stackBottomDisplayStyleShiftDown() const { return length("StackBottomDisplayStyleShiftDown"); }
    qreal stackBottomShiftDown() const { return length("StackBottomShiftDown"); }
    qreal superscriptShiftUp() const { return length("SuperscriptShiftUp"); }
    qreal superscriptShiftUpCramped() const { return length("SuperscriptShiftUpCramped"); }
    qreal subscriptShiftDown() const { return length("SubscriptShiftDown"); }
    qreal superscriptBaselineDropMax() const { return length("SuperscriptBaselineDropMax"); }
    qreal subscriptBaselineDropMin() const { return length("SubscriptBaselineDropMin"); }
    qreal superscriptBottomMin() const { return length("SuperscriptBottomMin"); }
    qreal subscriptTopMax() const { return length("SubscriptTopMax"); }
    qreal subSuperscriptGapMin() const { return length("SubSuperscriptGapMin"); }
    qreal superscriptBottomMaxWithSubscript() const { return length("SuperscriptBottomMaxWithSubscript"); }
    qreal spaceAfterScript() const { return length("SpaceAfterScript"); }
    qreal radicalExtraAscender() const { return length("RadicalExtraAscender"); }
    qreal radicalRuleThickness() const { return length("RadicalRuleThickness"); }
    qreal radicalDisplayStyleVerticalGap() const { return length("RadicalDisplayStyleVerticalGap"); }
    qreal radicalVerticalGap() const { return length("RadicalVerticalGap"); }
    qreal radicalKernBeforeDegree() const { return length("RadicalKernBeforeDegree"); }
    qreal radicalKernAfterDegree() const { return length("RadicalKernAfterDegree"); }
    qreal radicalDegreeBottomRaisePercent() const { return percent("RadicalDegreeBottomRaisePercent"); }
    qreal upperLimitBaselineRiseMin() const { return length("UpperLimitBaselineRiseMin"); }
    qreal upperLimitGapMin() const { return length("UpperLimitGapMin"); }
    qreal lowerLimitGapMin() const { return length("LowerLimitGapMin"); }
    qreal lowerLimitBaselineDropMin() const { return length("LowerLimitBaselineDropMin"); }
    qreal underbarVerticalGap() const { return length("UnderbarVerticalGap"); }
    qreal underbarRuleThickness() const { return length("UnderbarRuleThickness"); }
    qreal underbarExtraDescender() const { return length("UnderbarExtraDescender"); }
    qreal overbarVerticalGap() const { return length("OverbarVerticalGap"); }
    qreal overbarRuleThickness() const { return length("OverbarRuleThickness"); }
    qreal overbarExtraAscender() const { return length("OverbarExtraAscender"); }
    qreal axisHeight() const { return length("AxisHeight"); }
    qreal scriptScaleDown() const { return percent("ScriptPercentScaleDown"); }
    qreal scriptScriptScaleDown() const { return percent("ScriptScriptPercentScaleDown"); }
    qreal accentBaseHeight() const { return length("AccentBaseHeight"); }

    QList<quint16> getVerticalVariantsForGlyph(quint16 glyph) const;
    QList<quint16> getHorizontalVariantsForGlyph(quint16 glyph) const;
    QList<quint16> getVariantsForGlyph(quint16 glyph, const QVariant& variants) const;
    // The first variant listed for the glyph that is not the glyph itself, or the glyph when there is none.
    quint16 getLargerGlyph(quint16 glyph) const;
    qreal getItalicCorrection(quint16 glyph) const;
    // Where an accent over the glyph is centred; half the advance when the table does not say.
    qreal getTopAccentAdjustment(quint16 glyph) const;
    qreal minConnectorOverlap() const { return length("MinConnectorOverlap"); }
    // The pieces of the glyph's vertical assembly, bottom to top; malformed pieces are left out.
    QList<GlyphPart> getVerticalGlyphAssembly(quint16 glyph) const;

protected:
    MTFontMathTable(std::weak_ptr<MTFont> font, std::shared_ptr<const SizedFont> sizedFont,
                    const QVariantMap& mathTable);

private:
    qreal length(const char* name) const { return constantFromTable(QLatin1String(name)); }
    qreal percent(const char* name) const { return percentFromTable(QLatin1String(name)); }
    QString nameOf(quint16 glyph) const { return m_sizedFont->face()->nameForGlyph(glyph); }
    quint16 glyphOf(const QString& name) const { return m_sizedFont->face()->glyphWithName(name); }
    QVariant glyphEntry(const char* section, quint16 glyph) const;

    std::weak_ptr<MTFont> m_font;
    std::shared_ptr<const SizedFont> m_sizedFont;
    unsigned m_unitsPerEm;
    qreal m_fontSize;
    QVariantMap m_mathTable;
};

} // namespace zepla::math
