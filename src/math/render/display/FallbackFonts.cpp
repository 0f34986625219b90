// The text fonts that draw characters a math font has no glyph for.
#include "display/FallbackFonts.h"

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

} // namespace zepla::math
