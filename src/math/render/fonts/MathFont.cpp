// The twelve math fonts the engine can draw with, named by their resource base names.
#include "fonts/MathFont.h"

#include "fonts/BundleManager.h"
#include "fonts/MTFontV2.h"

#include <utility>

namespace zepla::math {

namespace {

constexpr const char* kRawValues[] = {
    "latinmodern-math",     "KpMath-Light",
    "KpMath-Sans",          "xits-math",
    "texgyretermes-math",   "Asana-Math",
    "Euler-Math",           "FiraMath-Regular",
    "NotoSansMath-Regular", "LibertinusMath-Regular",
    "Garamond-Math",        "LeteSansMath",
};
static_assert(std::size(kRawValues) == MathFont::leteSansFont + 1);

} // namespace

std::optional<MathFont> MathFont::fromRawValue(const QString& rawValue) {
    for (MathFont font : allCases()) {
        if (rawValue == QLatin1String(kRawValues[font.id()]))
            return font;
    }
    return std::nullopt;
}

const std::array<MathFont, 12>& MathFont::allCases() {
    static constexpr auto cases = []<std::size_t... I>(std::index_sequence<I...>) {
        return std::array<MathFont, 12>{MathFont(static_cast<Case>(I))...};
    }
    (std::make_index_sequence<12>());
    return cases;
}

QString MathFont::rawValue() const {
    return QLatin1String(kRawValues[m_case]);
}

std::shared_ptr<const FontFace> MathFont::cgFont() const {
    return BundleManager::manager().obtainCGFont(*this);
}

std::shared_ptr<const SizedFont> MathFont::ctFont(double size) const {
    return BundleManager::manager().obtainCTFont(*this, size);
}

std::shared_ptr<MTFontV2> MathFont::mtfont(double size) const {
    return std::make_shared<MTFontV2>(*this, size);
}

} // namespace zepla::math
