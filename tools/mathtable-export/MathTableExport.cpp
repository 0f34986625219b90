// Turns a font's binary MATH table into the math engine's property-list dictionary, lengths in design units.
#include "MathTableExport.h"

#include "MathCoverage.h"
#include "fonts/MathTableVersion.h"

#include <hb-ot.h>
#include <hb.h>

#include <vector>

namespace zepla::mathexport {

namespace {

using zepla::math::FontFace;

struct NamedConstant {
    const char* name;
    hb_ot_math_constant_t constant;
};

// The OpenType names of the MATH constants, in the table's own order.
constexpr NamedConstant kConstants[] = {
    {"ScriptPercentScaleDown", HB_OT_MATH_CONSTANT_SCRIPT_PERCENT_SCALE_DOWN},
    {"ScriptScriptPercentScaleDown", HB_OT_MATH_CONSTANT_SCRIPT_SCRIPT_PERCENT_SCALE_DOWN},
    {"DelimitedSubFormulaMinHeight", HB_OT_MATH_CONSTANT_DELIMITED_SUB_FORMULA_MIN_HEIGHT},
    {"DisplayOperatorMinHeight", HB_OT_MATH_CONSTANT_DISPLAY_OPERATOR_MIN_HEIGHT},
    {"MathLeading", HB_OT_MATH_CONSTANT_MATH_LEADING},
    {"AxisHeight", HB_OT_MATH_CONSTANT_AXIS_HEIGHT},
    {"AccentBaseHeight", HB_OT_MATH_CONSTANT_ACCENT_BASE_HEIGHT},
    {"FlattenedAccentBaseHeight", HB_OT_MATH_CONSTANT_FLATTENED_ACCENT_BASE_HEIGHT},
    {"SubscriptShiftDown", HB_OT_MATH_CONSTANT_SUBSCRIPT_SHIFT_DOWN},
    {"SubscriptTopMax", HB_OT_MATH_CONSTANT_SUBSCRIPT_TOP_MAX},
    {"SubscriptBaselineDropMin", HB_OT_MATH_CONSTANT_SUBSCRIPT_BASELINE_DROP_MIN},
    {"SuperscriptShiftUp", HB_OT_MATH_CONSTANT_SUPERSCRIPT_SHIFT_UP},
    {"SuperscriptShiftUpCramped", HB_OT_MATH_CONSTANT_SUPERSCRIPT_SHIFT_UP_CRAMPED},
    {"SuperscriptBottomMin", HB_OT_MATH_CONSTANT_SUPERSCRIPT_BOTTOM_MIN},
    {"SuperscriptBaselineDropMax", HB_OT_MATH_CONSTANT_SUPERSCRIPT_BASELINE_DROP_MAX},
    {"SubSuperscriptGapMin", HB_OT_MATH_CONSTANT_SUB_SUPERSCRIPT_GAP_MIN},
    {"SuperscriptBottomMaxWithSubscript", HB_OT_MATH_CONSTANT_SUPERSCRIPT_BOTTOM_MAX_WITH_SUBSCRIPT},
    {"SpaceAfterScript", HB_OT_MATH_CONSTANT_SPACE_AFTER_SCRIPT},
    {"UpperLimitGapMin", HB_OT_MATH_CONSTANT_UPPER_LIMIT_GAP_MIN},
    {"UpperLimitBaselineRiseMin", HB_OT_MATH_CONSTANT_UPPER_LIMIT_BASELINE_RISE_MIN},
    {"LowerLimitGapMin", HB_OT_MATH_CONSTANT_LOWER_LIMIT_GAP_MIN},
    {"LowerLimitBaselineDropMin", HB_OT_MATH_CONSTANT_LOWER_LIMIT_BASELINE_DROP_MIN},
    {"StackTopShiftUp", HB_OT_MATH_CONSTANT_STACK_TOP_SHIFT_UP},
    {"StackTopDisplayStyleShiftUp", HB_OT_MATH_CONSTANT_STACK_TOP_DISPLAY_STYLE_SHIFT_UP},
    {"StackBottomShiftDown", HB_OT_MATH_CONSTANT_STACK_BOTTOM_SHIFT_DOWN},
    {"StackBottomDisplayStyleShiftDown", HB_OT_MATH_CONSTANT_STACK_BOTTOM_DISPLAY_STYLE_SHIFT_DOWN},
    {"StackGapMin", HB_OT_MATH_CONSTANT_STACK_GAP_MIN},
    {"StackDisplayStyleGapMin", HB_OT_MATH_CONSTANT_STACK_DISPLAY_STYLE_GAP_MIN},
    {"StretchStackTopShiftUp", HB_OT_MATH_CONSTANT_STRETCH_STACK_TOP_SHIFT_UP},
    {"StretchStackBottomShiftDown", HB_OT_MATH_CONSTANT_STRETCH_STACK_BOTTOM_SHIFT_DOWN},
    {"StretchStackGapAboveMin", HB_OT_MATH_CONSTANT_STRETCH_STACK_GAP_ABOVE_MIN},
    {"StretchStackGapBelowMin", HB_OT_MATH_CONSTANT_STRETCH_STACK_GAP_BELOW_MIN},
    {"FractionNumeratorShiftUp", HB_OT_MATH_CONSTANT_FRACTION_NUMERATOR_SHIFT_UP},
    {"FractionNumeratorDisplayStyleShiftUp", HB_OT_MATH_CONSTANT_FRACTION_NUMERATOR_DISPLAY_STYLE_SHIFT_UP},
    {"FractionDenominatorShiftDown", HB_OT_MATH_CONSTANT_FRACTION_DENOMINATOR_SHIFT_DOWN},
    {"FractionDenominatorDisplayStyleShiftDown",
     HB_OT_MATH_CONSTANT_FRACTION_DENOMINATOR_DISPLAY_STYLE_SHIFT_DOWN},
    {"FractionNumeratorGapMin", HB_OT_MATH_CONSTANT_FRACTION_NUMERATOR_GAP_MIN},
    {"FractionNumDisplayStyleGapMin", HB_OT_MATH_CONSTANT_FRACTION_NUM_DISPLAY_STYLE_GAP_MIN},
    {"FractionRuleThickness", HB_OT_MATH_CONSTANT_FRACTION_RULE_THICKNESS},
    {"FractionDenominatorGapMin", HB_OT_MATH_CONSTANT_FRACTION_DENOMINATOR_GAP_MIN},
    {"FractionDenomDisplayStyleGapMin", HB_OT_MATH_CONSTANT_FRACTION_DENOM_DISPLAY_STYLE_GAP_MIN},
    {"SkewedFractionHorizontalGap", HB_OT_MATH_CONSTANT_SKEWED_FRACTION_HORIZONTAL_GAP},
    {"SkewedFractionVerticalGap", HB_OT_MATH_CONSTANT_SKEWED_FRACTION_VERTICAL_GAP},
    {"OverbarVerticalGap", HB_OT_MATH_CONSTANT_OVERBAR_VERTICAL_GAP},
    {"OverbarRuleThickness", HB_OT_MATH_CONSTANT_OVERBAR_RULE_THICKNESS},
    {"OverbarExtraAscender", HB_OT_MATH_CONSTANT_OVERBAR_EXTRA_ASCENDER},
    {"UnderbarVerticalGap", HB_OT_MATH_CONSTANT_UNDERBAR_VERTICAL_GAP},
    {"UnderbarRuleThickness", HB_OT_MATH_CONSTANT_UNDERBAR_RULE_THICKNESS},
    {"UnderbarExtraDescender", HB_OT_MATH_CONSTANT_UNDERBAR_EXTRA_DESCENDER},
    {"RadicalVerticalGap", HB_OT_MATH_CONSTANT_RADICAL_VERTICAL_GAP},
    {"RadicalDisplayStyleVerticalGap", HB_OT_MATH_CONSTANT_RADICAL_DISPLAY_STYLE_VERTICAL_GAP},
    {"RadicalRuleThickness", HB_OT_MATH_CONSTANT_RADICAL_RULE_THICKNESS},
    {"RadicalExtraAscender", HB_OT_MATH_CONSTANT_RADICAL_EXTRA_ASCENDER},
    {"RadicalKernBeforeDegree", HB_OT_MATH_CONSTANT_RADICAL_KERN_BEFORE_DEGREE},
    {"RadicalKernAfterDegree", HB_OT_MATH_CONSTANT_RADICAL_KERN_AFTER_DEGREE},
    {"RadicalDegreeBottomRaisePercent", HB_OT_MATH_CONSTANT_RADICAL_DEGREE_BOTTOM_RAISE_PERCENT},
};
static_assert(std::size(kConstants) == HB_OT_MATH_CONSTANT_RADICAL_DEGREE_BOTTOM_RAISE_PERCENT + 1);

QVariantMap constants(hb_font_t* font) {
    QVariantMap values;
    for (const NamedConstant& entry : kConstants)
        values.insert(QLatin1String(entry.name), qlonglong(hb_ot_math_get_constant(font, entry.constant)));
    values.insert(QStringLiteral("MinConnectorOverlap"),
                  qlonglong(hb_ot_math_get_min_connector_overlap(font, HB_DIRECTION_BTT)));
    return values;
}

QVariantMap variants(const FontFace& face, hb_direction_t direction) {
    QVariantMap section;
    std::vector<hb_ot_math_glyph_variant_t> found;
    for (unsigned glyph = 0; glyph < face.glyphCount(); ++glyph) {
        const unsigned total =
            hb_ot_math_get_glyph_variants(face.hbFont(), glyph, direction, 0, nullptr, nullptr);
        if (total == 0)
            continue;
        found.resize(total);
        unsigned count = total;
        hb_ot_math_get_glyph_variants(face.hbFont(), glyph, direction, 0, &count, found.data());
        QVariantList names;
        for (unsigned i = 0; i < count; ++i)
            names.append(face.nameForGlyph(quint16(found[i].glyph)));
        section.insert(face.nameForGlyph(quint16(glyph)), names);
    }
    return section;
}

QVariantMap perGlyphValues(const FontFace& face, GlyphInfoSubtable subtable,
                           hb_position_t (*value)(hb_font_t*, hb_codepoint_t)) {
    QVariantMap section;
    for (quint16 glyph : mathCoverage(hb_font_get_face(face.hbFont()), subtable))
        section.insert(face.nameForGlyph(glyph), qlonglong(value(face.hbFont(), glyph)));
    return section;
}

QVariantMap verticalAssemblies(const FontFace& face) {
    QVariantMap section;
    std::vector<hb_ot_math_glyph_part_t> found;
    for (unsigned glyph = 0; glyph < face.glyphCount(); ++glyph) {
        const unsigned total = hb_ot_math_get_glyph_assembly(face.hbFont(), glyph, HB_DIRECTION_BTT, 0,
                                                             nullptr, nullptr, nullptr);
        if (total == 0)
            continue;
        found.resize(total);
        unsigned count = total;
        hb_ot_math_get_glyph_assembly(face.hbFont(), glyph, HB_DIRECTION_BTT, 0, &count, found.data(),
                                      nullptr);
        QVariantList parts;
        for (unsigned i = 0; i < count; ++i) {
            const hb_ot_math_glyph_part_t& part = found[i];
            parts.append(QVariantMap{
                {QStringLiteral("advance"), qlonglong(part.full_advance)},
                {QStringLiteral("endConnector"), qlonglong(part.end_connector_length)},
                {QStringLiteral("startConnector"), qlonglong(part.start_connector_length)},
                {QStringLiteral("extender"), bool(part.flags & HB_OT_MATH_GLYPH_PART_FLAG_EXTENDER)},
                {QStringLiteral("glyph"), face.nameForGlyph(quint16(part.glyph))},
            });
        }
        section.insert(face.nameForGlyph(quint16(glyph)), QVariantMap{{QStringLiteral("parts"), parts}});
    }
    return section;
}

} // namespace

QVariantMap exportMathTable(const FontFace& face) {
    if (!hb_ot_math_has_data(hb_font_get_face(face.hbFont())))
        return {};
    return {
        {QStringLiteral("version"), QLatin1String(zepla::math::kMathTableVersion)},
        {QStringLiteral("constants"), constants(face.hbFont())},
        {QStringLiteral("v_variants"), variants(face, HB_DIRECTION_BTT)},
        {QStringLiteral("h_variants"), variants(face, HB_DIRECTION_LTR)},
        {QStringLiteral("italic"),
         perGlyphValues(face, GlyphInfoSubtable::italicsCorrection, hb_ot_math_get_glyph_italics_correction)},
        {QStringLiteral("accents"), perGlyphValues(face, GlyphInfoSubtable::topAccentAttachment,
                                                   hb_ot_math_get_glyph_top_accent_attachment)},
        {QStringLiteral("v_assembly"), verticalAssemblies(face)},
    };
}

} // namespace zepla::mathexport
