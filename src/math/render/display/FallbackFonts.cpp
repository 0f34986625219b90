// The text fonts that draw characters a math font has no glyph for.
#include "display/FallbackFonts.h"

#include "fonts/MTFontManager.h"

#include <QStandardPaths>

namespace zepla::math {

namespace {

// Relative to the system's data folders, where Debian's fonts-dejavu-core and fonts-noto-core put them.
constexpr const char* kFallbackFiles[] = {
    "fonts/truetype/dejavu/DejaVuSans.ttf",
    "fonts/truetype/noto/NotoSans-Regular.ttf",
};

std::vector<std::shared_ptr<const FontFace>> loadFallbackFaces() {
    std::vector<std::shared_ptr<const FontFace>> faces;
    for (const char* file : kFallbackFiles) {
        const QString path = QStandardPaths::locate(QStandardPaths::GenericDataLocation, QLatin1String(file));
        if (path.isEmpty())
            continue;
        if (auto loaded = FontFace::fromFile(path); loaded.face)
            faces.push_back(loaded.face);
    }
    return faces;
}

} // namespace

const std::vector<std::shared_ptr<const FontFace>>& fallbackFontFaces() {
    static const std::vector<std::shared_ptr<const FontFace>> faces = loadFallbackFaces();
    return faces;
}

std::shared_ptr<const FontFace> defaultMathFontFace() {
    static const std::shared_ptr<const FontFace> face =
        MTFontManager::manager()->defaultFont()->defaultCGFont();
    return face;
}

qreal fallbackPointSize(const SizedFont& font, const FontFace& fallback) {
    if (&fallback == defaultMathFontFace().get())
        return font.pointSize();
    const qreal own = font.face()->xHeightPerEm();
    const qreal other = fallback.xHeightPerEm();
    return own > 0 && other > 0 ? font.pointSize() * own / other : font.pointSize();
}

} // namespace zepla::math
