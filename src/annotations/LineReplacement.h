// What takes an edited line's place in the page's content: the new text set from the old line's start on
// its baseline, running the old line's way (so it reads upright on a turned page too), over a cover in the
// background's colour where the line sat on a coloured background, clipped to the old glyphs' boxes.
#pragma once

#include "Appearance.h"

#include "pdf/PdfDocument.h"

#include <optional>

namespace zepla::annotations {

struct LineReplacement {
    QString text;
    QString fontFile;
    qreal size = 12;
    QColor color;
    QPointF baselineStart; // page space
    qreal degrees = 0;     // the line's direction, counter-clockwise from page space's x axis
    std::optional<QColor> cover;
    std::vector<QRectF> glyphBoxes; // the old line's, page space

    // The drawing in page space, ready to be added to the page's content.
    pdf::AppearanceStream drawing() const;
};

} // namespace zepla::annotations
