// The font object the math engine works with: a font file, its sized font and its math table at that size.
#include "fonts/MTFont.h"

#include "fonts/MathFontResources.h"
#include "fonts/PropertyList.h"

namespace zepla::math {

std::shared_ptr<MTFont> MTFont::make(std::shared_ptr<const FontFace> face, qreal size,
                                     const QVariantMap& table) {
    if (!face)
        stopOnDamagedResource(QStringLiteral("A math font without a font file has no sized copies"));
    auto font = std::make_shared<MTFont>();
    font->m_ctFont = std::make_shared<const SizedFont>(face, size);
    font->m_defaultCGFont = std::move(face);
    font->m_rawMathTable = table;
    font->m_mathTable = std::make_unique<MTFontMathTable>(font, table);
    return font;
}

std::shared_ptr<MTFont> MTFont::fontWithName(const QString& name, qreal size) {
    const QString folder = fontBundle();
    const QString fontPath = mathFontFile(folder, name);
    const QString tablePath = mathTableFile(folder, name);
    if (fontPath.isEmpty() || tablePath.isEmpty()) {
        if (name == QLatin1String(kDefaultMathFontName))
            stopOnDamagedResource(QStringLiteral("The default math font \"%1\" is not installed").arg(name));
        warnMathFontReplaced(name);
        return fontWithName(QLatin1String(kDefaultMathFontName), size);
    }
    const FontFace::Loaded loaded = FontFace::fromFile(fontPath);
    if (!loaded.face)
        stopOnDamagedResource(QStringLiteral("The math font file %1 cannot be read").arg(fontPath));
    const PropertyListResult table = readPropertyList(tablePath);
    if (!table.dictionary)
        stopOnDamagedResource(table.error);
    return make(loaded.face, size, *table.dictionary);
}

QString MTFont::fontBundle() {
    return mathFontFolder();
}

std::shared_ptr<MTFont> MTFont::copyWithSize(qreal size) const {
    return make(defaultCGFont(), size, rawMathTable());
}

QString MTFont::nameForGlyph(quint16 glyph) const {
    const auto face = defaultCGFont();
    return face ? face->nameForGlyph(glyph) : QString();
}

quint16 MTFont::glyphWithName(const QString& name) const {
    const auto face = defaultCGFont();
    return face ? face->glyphWithName(name) : 0;
}

qreal MTFont::fontSize() const {
    const auto sized = ctFont();
    return sized ? sized->pointSize() : 0;
}

} // namespace zepla::math
