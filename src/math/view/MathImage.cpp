// Formula images over a math font named by MathFont.
#include "view/MathImage.h"

#include "fonts/MTFontV2.h"

#include <cmath>

namespace zepla::math {

MathImage::MathImage(QString latex, qreal fontSize, QColor textColor, MTMathUILabelMode labelMode,
                     MTTextAlignment textAlignment)
    : fontSize(fontSize), textColor(std::move(textColor)), labelMode(labelMode), textAlignment(textAlignment),
      latex(std::move(latex)) {}

MathImage::Result MathImage::asImage() {
    const std::shared_ptr<MTFont> mtfont = font.mtfont(fontSize);
    const LaidOutFormula formula = layOutLatex(latex, mtfont, currentStyle());
    if (formula.error || !formula.display)
        return {formula.error, std::nullopt, std::nullopt};
    intrinsicContentSize = sizeWithInsets(*formula.display, contentInsets);
    const QSizeF size(std::ceil(intrinsicContentSize.width()), std::ceil(intrinsicContentSize.height()));
    return {std::nullopt,
            placedImage(formula.display, size, contentInsets, textAlignment, fontSize, textColor),
            LayoutInfo{formula.display->ascent(), formula.display->descent()}};
}

DrawnImage placedImage(const MTMathListDisplayPtr& display, QSizeF size, const MTEdgeInsets& insets,
                       MTTextAlignment alignment, qreal fontSize, const QColor& color) {
    display->setTextColor(color);
    display->setPosition(placedDisplayPosition(*display, size, insets, alignment, fontSize));
    return DrawnImage(size, display);
}

} // namespace zepla::math
