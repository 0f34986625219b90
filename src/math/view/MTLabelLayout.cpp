// The placement rule shared by the formula view and the image front ends.
#include "view/MTLabelLayout.h"

#include "mathlist/MTMathListBuilder.h"
#include "typesetter/MTTypesetter.h"

#include <algorithm>

namespace zepla::math {

std::optional<MTTextAlignment> textAlignmentFromRawValue(unsigned rawValue) {
    if (rawValue > static_cast<unsigned>(MTTextAlignment::right))
        return std::nullopt;
    return static_cast<MTTextAlignment>(rawValue);
}

MTLineStyle lineStyleForMode(MTMathUILabelMode mode) {
    return mode == MTMathUILabelMode::display ? MTLineStyle::display : MTLineStyle::text;
}

QPointF placedDisplayPosition(const MTDisplay& display, QSizeF size, const MTEdgeInsets& insets,
                              MTTextAlignment alignment, qreal fontSize) {
    qreal x = insets.left;
    if (alignment == MTTextAlignment::center)
        x = (size.width() - insets.left - insets.right - display.width()) / 2 + insets.left;
    else if (alignment == MTTextAlignment::right)
        x = size.width() - display.width() - insets.right;
    const qreal height = std::max(display.ascent() + display.descent(), fontSize / 2);
    const qreal y =
        (size.height() - insets.bottom - insets.top - height) / 2 + display.descent() + insets.bottom;
    return {x, y};
}

QSizeF sizeWithInsets(const MTDisplay& display, const MTEdgeInsets& insets) {
    return {insets.left + display.width() + insets.right,
            insets.top + display.ascent() + display.descent() + insets.bottom};
}

void drawInBox(QPainter& painter, const MTDisplay& display, qreal boxHeight) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(0, boxHeight);
    MTGraphicsContext context(painter);
    display.draw(context);
    painter.restore();
}

LaidOutFormula layOutLatex(const QString& latex, const std::shared_ptr<MTFont>& font, MTLineStyle style) {
    LaidOutFormula result;
    const MTMathListPtr list = MTMathListBuilder::build(latex, result.error);
    if (!list || result.error)
        return result;
    result.display = MTTypesetter::createLineForMathList(list, font, style);
    return result;
}

} // namespace zepla::math
