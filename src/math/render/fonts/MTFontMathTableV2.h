// The math table of a font named by MathFont, over the dictionary and sized font the registry keeps for it.
#pragma once

#include "fonts/MTFontMathTable.h"
#include "fonts/MathFont.h"

namespace zepla::math {

class MTFontMathTableV2 : public MTFontMathTable {
public:
    MTFontMathTableV2(MathFont mathFont, qreal size);

    MathFont mathFont() const { return m_mathFont; }

private:
    MathFont m_mathFont;
};

} // namespace zepla::math
