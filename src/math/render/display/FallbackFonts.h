// The text fonts that draw characters a math font has no glyph for (Cyrillic, for one): DejaVu Sans, then
// Noto Sans, as the system installs them.
#pragma once

#include "fonts/FontFace.h"

#include <memory>
#include <vector>

namespace zepla::math {

// The installed fallback faces in the order they are tried, read once per process; empty when none is
// installed, in which case such characters draw as the math font's missing-glyph box.
const std::vector<std::shared_ptr<const FontFace>>& fallbackFontFaces();

} // namespace zepla::math
