// The fonts that draw characters a math font has no glyph for: first the default math font, then the text
// fonts DejaVu Sans and Noto Sans as the system installs them (Cyrillic, for one).
#pragma once

#include "fonts/FontFace.h"
#include "fonts/SizedFont.h"

#include <memory>
#include <vector>

namespace zepla::math {

// The installed fallback faces in the order they are tried, read once per process; empty when none is
// installed, in which case such characters draw as the math font's missing-glyph box.
const std::vector<std::shared_ptr<const FontFace>>& fallbackFontFaces();

// The default math font's face, tried before the text fonts.
std::shared_ptr<const FontFace> defaultMathFontFace();

// The size to draw a fallback face at beside `font`: a math face at the same size, a text face scaled so
// that its x-height matches the math font's.
qreal fallbackPointSize(const SizedFont& font, const FontFace& fallback);

} // namespace zepla::math
