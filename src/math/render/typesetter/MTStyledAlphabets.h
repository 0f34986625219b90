// Font styles realised as code points: letters and digits rewritten into the Mathematical Alphanumeric
// Symbols and Letterlike Symbols blocks, all drawn with the one math font.
#pragma once

#include "mathlist/MTEnums.h"

#include <QString>
#include <QStringView>

namespace zepla::math {

// The text with every character mapped by the alphabet of `style`, one code point per character.
QString changeFont(QStringView text, MTFontStyle style);

// One character each, given by its code; the result is a code point.
char32_t getDefaultStyle(char32_t ch);
char32_t getItalicized(char32_t ch);
char32_t getBold(char32_t ch);
char32_t getBoldItalic(char32_t ch);
char32_t getCaligraphic(char32_t ch);
char32_t getTypewriter(char32_t ch);
char32_t getSansSerif(char32_t ch);
char32_t getFraktur(char32_t ch);
char32_t getBlackboard(char32_t ch);

} // namespace zepla::math
