// Formula images without a view, over an engine font from the font manager.
#pragma once

#include "fonts/MTFont.h"
#include "view/DrawnImage.h"
#include "view/MTLabelLayout.h"

#include <QColor>
#include <QString>

#include <memory>
#include <optional>

namespace zepla::math {

class MTMathImage {
public:
    struct Result {
        std::optional<MTParseError> error;
        std::optional<DrawnImage> image;
    };

    MTMathImage(QString latex, qreal fontSize, QColor textColor, MTMathUILabelMode labelMode,
                MTTextAlignment textAlignment);

    const std::shared_ptr<MTFont>& font() const { return m_font; }
    void setFont(std::shared_ptr<MTFont> font) { m_font = std::move(font); }
    qreal fontSize() const { return m_fontSize; }
    // The font, when one is set, is replaced by its copy at that size.
    void setFontSize(qreal fontSize);
    const QColor& textColor() const { return m_textColor; }
    MTMathUILabelMode labelMode() const { return m_labelMode; }
    MTTextAlignment textAlignment() const { return m_textAlignment; }
    const MTEdgeInsets& contentInsets() const { return m_contentInsets; }
    void setContentInsets(const MTEdgeInsets& insets) { m_contentInsets = insets; }
    const QString& latex() const { return m_latex; }
    // Filled by asImage().
    QSizeF intrinsicContentSize() const { return m_intrinsicContentSize; }
    MTLineStyle currentStyle() const { return lineStyleForMode(m_labelMode); }

    // As MathImage::asImage(), but the image is exactly the formula's box plus the insets, not rounded up.
    Result asImage();

private:
    std::shared_ptr<MTFont> m_font;
    qreal m_fontSize = 0;
    QColor m_textColor;
    MTMathUILabelMode m_labelMode;
    MTTextAlignment m_textAlignment;
    MTEdgeInsets m_contentInsets;
    QString m_latex;
    QSizeF m_intrinsicContentSize;
};

} // namespace zepla::math
