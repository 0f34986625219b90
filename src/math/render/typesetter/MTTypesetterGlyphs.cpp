// Glyphs whose size follows the formula: vertical variants, glyph assemblies, delimiters centred on the math
// axis, radical signs and horizontal variants of accents.
#include "typesetter/MTTypesetter.h"

#include "fonts/MTFontManager.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zepla::math {

namespace {

// No screen or page shows a glyph taller than this many points; it bounds the pieces of an assembly whatever
// height a damaged or enormous formula asks for.
constexpr qreal kMaxAssemblyHeight = 1e6;

// A glyph measured by its ink above and below the baseline and its advance.
MTTypesetter::SizedGlyph measureGlyph(const MTFont& font, quint16 glyph) {
    const SizedFont& sized = *font.ctFont();
    const QRectF ink = sized.boundingRect(glyph);
    const qreal top = ink.isNull() ? 0 : ink.y() + ink.height();
    const qreal bottom = ink.isNull() ? 0 : ink.y();
    return {glyph, std::max(top, 0.0), std::max(-bottom, 0.0), sized.advance(glyph)};
}

char32_t codePointAt(const QString& text, qsizetype index) {
    if (index < 0 || index >= text.size())
        return 0;
    const QChar first = text.at(index);
    if (first.isHighSurrogate() && index + 1 < text.size() && text.at(index + 1).isLowSurrogate())
        return QChar::surrogateToUcs4(first, text.at(index + 1));
    return first.unicode();
}

// The pieces placed with `extenders` copies of each extender, joined as tightly as the connectors allow;
// `maxDelta` receives how far every joint may still open.
MTTypesetter::GlyphAssembly tightAssembly(const QList<GlyphPart>& parts, qsizetype extenders,
                                          qreal minConnectorOverlap, qreal& maxDelta) {
    MTTypesetter::GlyphAssembly assembly;
    maxDelta = std::numeric_limits<qreal>::max();
    const GlyphPart* previous = nullptr;
    qreal offset = 0;
    for (const GlyphPart& part : parts) {
        const qsizetype copies = part.isExtender ? extenders : 1;
        for (qsizetype i = 0; i < copies; ++i) {
            assembly.glyphs.push_back(part.glyph.value_or(0));
            if (previous) {
                const qreal maxOverlap = std::min(previous->endConnectorLength, part.startConnectorLength);
                const qreal minOffsetDelta = previous->fullAdvance - maxOverlap;
                const qreal maxOffsetDelta = previous->fullAdvance - minConnectorOverlap;
                maxDelta = std::min(maxDelta, maxOffsetDelta - minOffsetDelta);
                offset += minOffsetDelta;
            }
            assembly.offsets.push_back(offset);
            previous = &part;
        }
    }
    assembly.height = previous ? offset + previous->fullAdvance : 0;
    return assembly;
}

// Opens every joint by the same amount so that the assembly grows by `extra`.
void spreadJoints(MTTypesetter::GlyphAssembly& assembly, qreal extra) {
    const std::size_t joints = assembly.glyphs.size() - 1;
    if (joints == 0 || extra <= 0)
        return;
    const float increase = float(extra / joints);
    for (std::size_t i = 1; i < assembly.offsets.size(); ++i)
        assembly.offsets[i] += float(i) * increase;
    assembly.height += extra;
}

} // namespace

quint16 MTTypesetter::findGlyphForCharacterAtIndex(qsizetype index, const QString& string) const {
    return styleFont()->ctFont()->glyphForCodePoint(codePointAt(string, index));
}

MTTypesetter::CharacterGlyph MTTypesetter::glyphForCharacter(const QString& text, qsizetype index) const {
    const std::shared_ptr<MTFont>& font = styleFont();
    const char32_t code = codePointAt(text, index);
    const quint16 glyph = font->ctFont()->glyphForCodePoint(code);
    if (glyph != 0 || code == 0)
        return {font, glyph};
    std::shared_ptr<MTFont> fallback = MTFontManager::manager()->latinModernFont(font->fontSize());
    if (fallback->defaultCGFont() != font->defaultCGFont()) {
        if (const quint16 fallbackGlyph = fallback->ctFont()->glyphForCodePoint(code); fallbackGlyph != 0)
            return {std::move(fallback), fallbackGlyph};
    }
    return {font, 0};
}

MTTypesetter::SizedGlyph MTTypesetter::findGlyph(quint16 glyph, qreal height) const {
    return findGlyph(*styleFont(), glyph, height);
}

MTTypesetter::SizedGlyph MTTypesetter::findGlyph(const MTFont& font, quint16 glyph, qreal height) const {
    const QList<quint16> variants = font.mathTable()->getVerticalVariantsForGlyph(glyph);
    if (variants.isEmpty())
        return measureGlyph(font, glyph);
    SizedGlyph found;
    for (quint16 variant : variants) {
        found = measureGlyph(font, variant);
        if (found.ascent + found.descent >= height)
            break;
    }
    return found;
}

std::shared_ptr<MTGlyphConstructionDisplay> MTTypesetter::constructGlyph(quint16 glyph, qreal height) const {
    return constructGlyph(styleFont(), glyph, height);
}

std::shared_ptr<MTGlyphConstructionDisplay> MTTypesetter::constructGlyph(const std::shared_ptr<MTFont>& font,
                                                                         quint16 glyph, qreal height) const {
    const QList<GlyphPart> parts = font->mathTable()->getVerticalGlyphAssembly(glyph);
    if (parts.isEmpty())
        return nullptr;
    const GlyphAssembly assembly =
        constructGlyphWithParts(parts, height, font->mathTable()->minConnectorOverlap());
    auto display = MTNodePool::make<MTGlyphConstructionDisplay>(assembly.glyphs, assembly.offsets, font);
    display->setWidth(font->ctFont()->advance(assembly.glyphs.front()));
    display->setAscent(assembly.height);
    display->setDescent(0);
    return display;
}

MTTypesetter::GlyphAssembly MTTypesetter::constructGlyphWithParts(const QList<GlyphPart>& parts, qreal height,
                                                                  qreal minConnectorOverlap) {
    height = height > 0 ? std::min(height, kMaxAssemblyHeight) : 0;
    const bool hasExtender =
        std::any_of(parts.begin(), parts.end(), [](const GlyphPart& p) { return p.isExtender; });
    qreal previousReach = 0;
    for (qsizetype extenders = 0;; ++extenders) {
        qreal maxDelta = 0;
        GlyphAssembly assembly = tightAssembly(parts, extenders, minConnectorOverlap, maxDelta);
        if (assembly.height >= height || assembly.glyphs.empty())
            return assembly;
        const qreal joints = qreal(assembly.glyphs.size() - 1);
        const qreal reach =
            joints > 0 && maxDelta > 0 ? assembly.height + maxDelta * joints : assembly.height;
        if (height <= reach) {
            spreadJoints(assembly, height - assembly.height);
            return assembly;
        }
        // Pieces that cannot be repeated, or repeats that add nothing, stop at the loosest joining.
        const qreal growth = reach - previousReach;
        if (!hasExtender || (extenders >= 2 && growth <= 0)) {
            spreadJoints(assembly, reach - assembly.height);
            return assembly;
        }
        // From two extenders on, each more adds the same height: skip straight to just below the height
        // needed, so that a very tall assembly costs one layout per try only near the end.
        if (extenders >= 2) {
            const qreal more = std::floor((height - reach) / growth) - 1;
            if (more > 0)
                extenders += qsizetype(std::min(more, qreal(std::numeric_limits<int>::max())));
        }
        previousReach = reach;
    }
}

std::shared_ptr<MTDisplayDS> MTTypesetter::glyphWithHeight(const CharacterGlyph& base, qreal height,
                                                           MTRange range) const {
    const SizedGlyph variant = findGlyph(*base.font, base.glyph, height);
    if (variant.ascent + variant.descent < height) {
        if (auto construction = constructGlyph(base.font, base.glyph, height))
            return construction;
    }
    auto display = MTNodePool::make<MTGlyphDisplay>(variant.glyph, range, base.font);
    display->setAscent(variant.ascent);
    display->setDescent(variant.descent);
    display->setWidth(variant.width);
    return display;
}

std::shared_ptr<MTDisplayDS> MTTypesetter::getRadicalGlyphWithHeight(qreal height) const {
    return glyphWithHeight(glyphForCharacter(QStringLiteral("\u221A"), 0), height, {MTRange::notFound, 0});
}

MTDisplayPtr MTTypesetter::findGlyphForBoundary(const QString& delimiter, qreal height) const {
    auto display = glyphWithHeight(glyphForCharacter(delimiter, 0), height, {MTRange::notFound, 0});
    display->setShiftDown(0.5 * (display->ascent() - display->descent()) -
                          styleFont()->mathTable()->axisHeight());
    return display;
}

MTTypesetter::SizedGlyph MTTypesetter::findVariantGlyph(quint16 glyph, qreal maxWidth) const {
    return findVariantGlyph(*styleFont(), glyph, maxWidth);
}

MTTypesetter::SizedGlyph MTTypesetter::findVariantGlyph(const MTFont& font, quint16 glyph,
                                                        qreal maxWidth) const {
    QList<quint16> variants = font.mathTable()->getHorizontalVariantsForGlyph(glyph);
    if (variants.isEmpty())
        variants = {glyph};
    std::optional<SizedGlyph> current;
    for (quint16 variant : variants) {
        const QRectF ink = font.ctFont()->boundingRect(variant);
        const qreal inkRight = ink.isNull() ? 0 : ink.x() + ink.width();
        if (inkRight > maxWidth)
            return current ? *current : measureGlyph(font, variant);
        current = measureGlyph(font, variant);
    }
    return *current;
}

} // namespace zepla::math
