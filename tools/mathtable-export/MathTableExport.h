// Turns a font's binary MATH table into the math engine's property-list dictionary, lengths in design units.
#pragma once

#include "fonts/FontFace.h"

#include <QVariantMap>

namespace zepla::mathexport {

// "version", "constants", "v_variants", "h_variants", "italic", "accents" and "v_assembly", glyphs named as
// FontFace names them. Empty when the font has no MATH table.
QVariantMap exportMathTable(const zepla::math::FontFace& face);

} // namespace zepla::mathexport
