// Formula images over a font manager font.
#include "view/MTMathImage.h"

#include "fonts/MTFontManager.h"
#include "view/MathImage.h"

namespace zepla::math {

MTMathImage::MTMathImage(QString latex, qreal fontSize, QColor textColor, MTMathUILabelMode labelMode,
                         MTTextAlignment textAlignment)
    : m_font(MTFontManager::manager()->defaultFont()), m_textColor(std::move(textColor)),
      m_labelMode(labelMode), m_textAlignment(textAlignment), m_latex(std::move(latex)) {
    setFontSize(fontSize);
}

void MTMathImage::setFontSize(qreal fontSize) {
    m_fontSize = fontSize;
    if (m_font)
        m_font = m_font->copyWithSize(fontSize);
}

MTMathImage::Result MTMathImage::asImage() {
    const LaidOutFormula formula = layOutLatex(m_latex, m_font, currentStyle());
    if (formula.error || !formula.display)
        return {formula.error, std::nullopt};
    m_intrinsicContentSize = sizeWithInsets(*formula.display, m_contentInsets);
    return {std::nullopt, placedImage(formula.display, m_intrinsicContentSize, m_contentInsets,
                                      m_textAlignment, m_fontSize, m_textColor)};
}

} // namespace zepla::math
