// One row of the page list: a page's picture, or a placeholder of the page's shape until the picture
// arrives, with its number under it; bordered when current, tinted when selected.
#pragma once

#include "pdf/PdfTypes.h"

#include <QFont>
#include <QPixmap>
#include <QRect>

#include <optional>

class QPainter;
class QWidget;

namespace zepla::ui {

struct ThumbnailCell {
    int pageNumber = 0;             // counted from 1
    double aspectRatio = 0.77;      // width / height of the displayed page
    std::optional<QPixmap> picture; // already at the size `pictureRect` gives, or it is scaled to fit
    bool isCurrent = false;
    bool isSelected = false;

    // The page's displayed proportions; a page without a usable height gets 0.77.
    static double aspectRatioOf(const pdf::PageGeometry& geometry);
    static QFont numberFont();
    // The row's height at `width`: the picture at its proportions, the gap and the number.
    static int height(int width, double aspectRatio);
    // Where the picture goes in a row drawn in `rect`.
    static QRect pictureRect(const QRect& rect, double aspectRatio);

    void paint(QPainter& painter, const QRect& rect, const QWidget* widget) const;
};

} // namespace zepla::ui
