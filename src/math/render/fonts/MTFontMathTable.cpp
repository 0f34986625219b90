// A math font's MATH data at one point size, read from its property-list export: layout constants in points,
// size variants, italic corrections, accent attachments and the parts of vertical glyph assemblies.
#include "fonts/MTFontMathTable.h"

#include "fonts/MTFont.h"
#include "fonts/MathFontResources.h"
#include "fonts/MathTableVersion.h"
#include "fonts/PropertyList.h"

#include <cmath>

namespace zepla::math {

namespace {

std::shared_ptr<const SizedFont> sizedFontOf(const std::shared_ptr<MTFont>& font) {
    std::shared_ptr<const SizedFont> sized = font ? font->ctFont() : nullptr;
    if (!sized)
        stopOnDamagedResource(QStringLiteral("A math table needs a font with a sized font"));
    return sized;
}

int designUnits(const QVariant& number) {
    return static_cast<int>(std::trunc(number.toDouble()));
}

} // namespace

MTFontMathTable::MTFontMathTable(const std::shared_ptr<MTFont>& font, const QVariantMap& mathTable)
    : MTFontMathTable(font, sizedFontOf(font), mathTable) {}

MTFontMathTable::MTFontMathTable(std::weak_ptr<MTFont> font, std::shared_ptr<const SizedFont> sizedFont,
                                 const QVariantMap& mathTable)
    : m_font(std::move(font)), m_sizedFont(std::move(sizedFont)), m_unitsPerEm(m_sizedFont->unitsPerEm()),
      m_fontSize(m_sizedFont->pointSize()), m_mathTable(mathTable) {
    if (auto error = mathTableVersionError(m_mathTable))
        stopOnDamagedResource(*error);
}

qreal MTFontMathTable::constantFromTable(const QString& name) const {
    const QVariant value = m_mathTable.value(QLatin1String(kConstants)).toMap().value(name);
    return isPropertyListNumber(value) ? fontUnitsToPt(designUnits(value)) : 0;
}

qreal MTFontMathTable::percentFromTable(const QString& name) const {
    const QVariant value = m_mathTable.value(QLatin1String(kConstants)).toMap().value(name);
    return isPropertyListNumber(value) ? static_cast<float>(value.toDouble()) / 100.0 : 0;
}

QVariant MTFontMathTable::glyphEntry(const char* section, quint16 glyph) const {
    return m_mathTable.value(QLatin1String(section)).toMap().value(nameOf(glyph));
}

QList<quint16> MTFontMathTable::getVerticalVariantsForGlyph(quint16 glyph) const {
    return getVariantsForGlyph(glyph, m_mathTable.value(QLatin1String(kVertVariants)));
}

QList<quint16> MTFontMathTable::getHorizontalVariantsForGlyph(quint16 glyph) const {
    return getVariantsForGlyph(glyph, m_mathTable.value(QLatin1String(kHorizVariants)));
}

QList<quint16> MTFontMathTable::getVariantsForGlyph(quint16 glyph, const QVariant& variants) const {
    if (variants.typeId() != QMetaType::QVariantMap)
        return {};
    const QString name = nameOf(glyph);
    const QVariant entry = variants.toMap().value(name);
    const QVariantList names = entry.toList();
    if (entry.typeId() != QMetaType::QVariantList || names.isEmpty())
        return {glyphOf(name)};
    QList<quint16> glyphs;
    for (const QVariant& variant : names) {
        if (isPropertyListText(variant))
            glyphs.append(glyphOf(variant.toString()));
    }
    return glyphs;
}

quint16 MTFontMathTable::getLargerGlyph(quint16 glyph) const {
    const QVariant entry = glyphEntry(kVertVariants, glyph);
    if (entry.typeId() != QMetaType::QVariantList)
        return glyph;
    const QString name = nameOf(glyph);
    for (const QVariant& variant : entry.toList()) {
        if (isPropertyListText(variant) && variant.toString() != name)
            return glyphOf(variant.toString());
    }
    return glyph;
}

qreal MTFontMathTable::getItalicCorrection(quint16 glyph) const {
    const QVariant value = glyphEntry(kItalic, glyph);
    return isPropertyListNumber(value) ? fontUnitsToPt(designUnits(value)) : 0;
}

qreal MTFontMathTable::getTopAccentAdjustment(quint16 glyph) const {
    const QVariant value = glyphEntry(kAccents, glyph);
    if (isPropertyListNumber(value))
        return fontUnitsToPt(designUnits(value));
    return m_sizedFont->advance(glyph) / 2;
}

QList<GlyphPart> MTFontMathTable::getVerticalGlyphAssembly(quint16 glyph) const {
    const QVariantList parts =
        glyphEntry(kVertAssembly, glyph).toMap().value(QLatin1String(kAssemblyParts)).toList();
    QList<GlyphPart> assembly;
    for (const QVariant& element : parts) {
        const QVariantMap part = element.toMap();
        const QVariant advance = part.value(QStringLiteral("advance"));
        const QVariant endConnector = part.value(QStringLiteral("endConnector"));
        const QVariant startConnector = part.value(QStringLiteral("startConnector"));
        const QVariant extender = part.value(QStringLiteral("extender"));
        const QVariant name = part.value(QStringLiteral("glyph"));
        const bool wellFormed = isPropertyListNumber(advance) && isPropertyListNumber(endConnector) &&
                                isPropertyListNumber(startConnector) &&
                                (isPropertyListNumber(extender) || extender.typeId() == QMetaType::Bool) &&
                                isPropertyListText(name);
        if (!wellFormed)
            continue;
        assembly.append(GlyphPart{glyphOf(name.toString()), fontUnitsToPt(designUnits(advance)),
                                  fontUnitsToPt(designUnits(startConnector)),
                                  fontUnitsToPt(designUnits(endConnector)), extender.toDouble() != 0});
    }
    return assembly;
}

} // namespace zepla::math
