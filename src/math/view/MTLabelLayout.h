// How a formula sits in a box: the label modes and alignments, content insets, and the one placement rule
// that the formula view and the image front ends share.
#pragma once

#include "display/MTMathListDisplay.h"
#include "fonts/MTFont.h"
#include "mathlist/MTEnums.h"
#include "mathlist/MTParseError.h"

#include <QPainter>
#include <QSizeF>

#include <memory>
#include <optional>

namespace zepla::math {

enum class MTMathUILabelMode { display, text };

enum class MTTextAlignment : unsigned { left = 0, center = 1, right = 2 };

// The alignment of a raw value; other values give none.
std::optional<MTTextAlignment> textAlignmentFromRawValue(unsigned rawValue);

struct MTEdgeInsets {
    qreal top = 0;
    qreal left = 0;
    qreal bottom = 0;
    qreal right = 0;

    friend bool operator==(const MTEdgeInsets&, const MTEdgeInsets&) = default;
};

// The line style a mode lays out in: display for display, text for text.
MTLineStyle lineStyleForMode(MTMathUILabelMode mode);

// The display's baseline origin in a box of `size` (y upward, origin bottom left): aligned horizontally
// inside the insets, its box centred vertically in them. A box lower than half the font size counts as that
// high, so an empty formula still sits in the middle.
QPointF placedDisplayPosition(const MTDisplay& display, QSizeF size, const MTEdgeInsets& insets,
                              MTTextAlignment alignment, qreal fontSize);

// The box of a laid-out formula with its insets around it.
QSizeF sizeWithInsets(const MTDisplay& display, const MTEdgeInsets& insets);

// Draws a placed display into a box of `boxHeight` whose top-left corner is at the painter's origin.
void drawInBox(QPainter& painter, const MTDisplay& display, qreal boxHeight);

// A formula parsed and laid out in one go: the parse error, or the display (none when the typesetter gives
// none).
struct LaidOutFormula {
    std::optional<MTParseError> error;
    MTMathListDisplayPtr display;
};
LaidOutFormula layOutLatex(const QString& latex, const std::shared_ptr<MTFont>& font, MTLineStyle style);

} // namespace zepla::math
