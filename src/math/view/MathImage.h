// Formula images without a view, over one of the twelve math fonts by name: the image and the formula's
// ascent and descent.
#pragma once

#include "fonts/MathFont.h"
#include "view/DrawnImage.h"
#include "view/MTLabelLayout.h"

#include <QColor>
#include <QString>

#include <optional>

namespace zepla::math {

struct MathImage {
    struct LayoutInfo {
        qreal ascent = 0;
        qreal descent = 0;
    };
    struct Result {
        std::optional<MTParseError> error;
        std::optional<DrawnImage> image;
        std::optional<LayoutInfo> layoutInfo;
    };

    MathImage(QString latex, qreal fontSize, QColor textColor, MTMathUILabelMode labelMode,
              MTTextAlignment textAlignment);

    MathFont font = MathFont::latinModernFont;
    qreal fontSize;
    QColor textColor;
    MTMathUILabelMode labelMode;
    MTTextAlignment textAlignment;
    MTEdgeInsets contentInsets;
    const QString latex;
    // Filled by asImage().
    QSizeF intrinsicContentSize;

    MTLineStyle currentStyle() const { return lineStyleForMode(labelMode); }
    // Parses and lays out afresh. The image is the formula's box plus the insets, each side raised to the
    // next whole point. A parse error gives the error alone; a formula the typesetter cannot lay out gives
    // nothing at all.
    Result asImage();
};

// The image of a laid-out formula in a box of `size`, placed there and coloured.
DrawnImage placedImage(const MTMathListDisplayPtr& display, QSizeF size, const MTEdgeInsets& insets,
                       MTTextAlignment alignment, qreal fontSize, const QColor& color);

} // namespace zepla::math
