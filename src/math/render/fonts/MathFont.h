// The twelve math fonts the engine can draw with, named by their resource base names.
#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

namespace zepla::math {

class FontFace;
class MTFontV2;
class SizedFont;

class MathFont {
public:
    enum Case : std::uint8_t {
        latinModernFont,
        kpMathLightFont,
        kpMathSansFont,
        xitsFont,
        termesFont,
        asanaFont,
        eulerFont,
        firaFont,
        notoSansFont,
        libertinusFont,
        garamondFont,
        leteSansFont,
    };

    constexpr MathFont(Case value) : m_case(value) {}

    // An exact, case-sensitive match against the resource base names.
    static std::optional<MathFont> fromRawValue(const QString& rawValue);
    static const std::array<MathFont, 12>& allCases();

    Case id() const { return m_case; }
    QString rawValue() const;
    QString fontName() const { return rawValue(); }

    // The registry's font file, a font of that size, and a new engine font of that size.
    std::shared_ptr<const FontFace> cgFont() const;
    std::shared_ptr<const SizedFont> ctFont(double size) const;
    std::shared_ptr<MTFontV2> mtfont(double size) const;

    friend constexpr bool operator==(MathFont a, MathFont b) { return a.m_case == b.m_case; }

private:
    Case m_case;
};

} // namespace zepla::math

template <> struct std::hash<zepla::math::MathFont> {
    std::size_t operator()(zepla::math::MathFont font) const noexcept { return std::hash<int>()(font.id()); }
};
