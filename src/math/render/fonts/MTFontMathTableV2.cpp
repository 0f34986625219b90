// The math table of a font named by MathFont, over the dictionary and sized font the registry keeps for it.
#include "fonts/MTFontMathTableV2.h"

#include "fonts/BundleManager.h"

namespace zepla::math {

MTFontMathTableV2::MTFontMathTableV2(MathFont mathFont, qreal size)
    : MTFontMathTable({}, BundleManager::manager().obtainCTFont(mathFont, size),
                      BundleManager::manager().obtainRawMathTable(mathFont)),
      m_mathFont(mathFont) {}

} // namespace zepla::math
