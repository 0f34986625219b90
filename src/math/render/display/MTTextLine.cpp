// A line of text set from an attributed string, the stand-in for a platform text line.
#include "display/MTTextLine.h"

#include "display/FallbackFonts.h"

namespace zepla::math {

namespace {

// The primes: U+2032 to U+2037 (single to triple, and reversed) and U+2057 (quadruple).
bool isPrime(char32_t code) {
    return (code >= 0x2032 && code <= 0x2037) || code == 0x2057;
}

// The level of the font's script forms ("ssty") a style takes: none, script, script of script.
int scriptLevel(MTLineStyle style) {
    switch (style) {
    case MTLineStyle::script:
        return 1;
    case MTLineStyle::scriptOfScript:
        return 2;
    default:
        return 0;
    }
}

// The fonts one line may draw with: its own, and the fallbacks at their sizes beside it, made when first
// needed.
class LineFonts {
public:
    LineFonts(std::shared_ptr<const SizedFont> font, MTLineStyle style)
        : m_font(std::move(font)), m_scriptLevel(scriptLevel(style)) {}

    struct Glyph {
        const std::shared_ptr<const SizedFont>* font;
        quint16 glyph;
    };

    // A math font draws a prime for the base size already raised and small, to stand on the baseline of
    // text; its script form is the prime drawn to be raised as a superscript, as TeX's \prime is. Every
    // other character keeps the glyph of the character map in every style.
    Glyph glyphFor(char32_t code) {
        const quint16 own = m_scriptLevel > 0 && isPrime(code)
                                ? m_font->face()->scriptStyleGlyph(code, m_scriptLevel)
                                : m_font->glyphForCodePoint(code);
        if (own != 0)
            return {&m_font, own};
        if (m_faces.empty()) {
            if (auto math = defaultMathFontFace(); math && math != m_font->face())
                m_faces.push_back(std::move(math));
            const auto& text = fallbackFontFaces();
            m_faces.insert(m_faces.end(), text.begin(), text.end());
        }
        for (std::size_t i = 0; i < m_faces.size(); ++i) {
            if (const quint16 glyph = m_faces[i]->glyphForCodePoint(code); glyph != 0)
                return {&fallback(i), glyph};
        }
        return {&m_font, 0};
    }

private:
    const std::shared_ptr<const SizedFont>& fallback(std::size_t index) {
        if (m_fallbacks.size() <= index)
            m_fallbacks.resize(index + 1);
        if (!m_fallbacks[index])
            m_fallbacks[index] = std::make_shared<const SizedFont>(
                m_faces[index], fallbackPointSize(*m_font, *m_faces[index]));
        return m_fallbacks[index];
    }

    std::shared_ptr<const SizedFont> m_font;
    int m_scriptLevel;
    std::vector<std::shared_ptr<const FontFace>> m_faces;
    std::vector<std::shared_ptr<const SizedFont>> m_fallbacks;
};

} // namespace

MTTextLine::MTTextLine(const MTAttributedString& string) {
    if (!string.font())
        return;
    LineFonts fonts(string.font(), string.style());
    const QString& text = string.string();
    auto kern = string.kerns().begin();
    const auto kernEnd = string.kerns().end();
    auto color = string.colorRanges().begin();
    const auto colorEnd = string.colorRanges().end();

    m_glyphs.reserve(text.size());
    qreal x = 0;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype start = i;
        char32_t code = text.at(i++).unicode();
        if (QChar::isHighSurrogate(code) && i < text.size() && text.at(i).isLowSurrogate())
            code = QChar::surrogateToUcs4(char16_t(code), text.at(i++).unicode());

        while (color != colorEnd && color->end <= start)
            ++color;
        const std::optional<QColor> glyphColor =
            color != colorEnd && color->start <= start ? std::optional(color->color) : std::nullopt;

        const LineFonts::Glyph glyph = fonts.glyphFor(code);
        const SizedFont& font = **glyph.font;
        if (m_runs.empty() || m_runs.back().font != *glyph.font || m_runs.back().color != glyphColor)
            m_runs.push_back({*glyph.font, glyphColor, qsizetype(m_glyphs.size()), 0});
        m_glyphs.push_back({glyph.glyph, x});
        ++m_runs.back().count;

        const QRectF ink = font.boundingRect(glyph.glyph);
        if (!ink.isEmpty())
            m_ink = m_ink.isNull() ? ink.translated(x, 0) : m_ink.united(ink.translated(x, 0));

        x += font.advance(glyph.glyph);
        while (kern != kernEnd && kern->end <= start)
            ++kern;
        if (kern != kernEnd && kern->end == i)
            x += kern->space;
    }
    m_width = x;
}

void MTTextLine::draw(MTGraphicsContext& context, QPointF textPosition) const {
    for (const GlyphRun& run : m_runs) {
        QList<quint32> indexes;
        QList<QPointF> positions;
        indexes.reserve(run.count);
        positions.reserve(run.count);
        for (const PlacedGlyph& placed : glyphs(run)) {
            indexes.append(placed.glyph);
            positions.append(textPosition + QPointF(placed.x, 0));
        }
        context.drawGlyphs(run.font->rawFont(), indexes, positions, run.color);
    }
}

} // namespace zepla::math
