// An image of a laid-out formula that draws the formula's display tree each time it is drawn.
#pragma once

#include "display/MTMathListDisplay.h"

#include <QImage>
#include <QPainter>
#include <QSizeF>

namespace zepla::math {

class DrawnImage {
public:
    // `display` is already placed in a box of `size` (y upward, origin bottom left).
    DrawnImage(QSizeF size, MTMathListDisplayPtr display);

    // In points.
    QSizeF size() const { return m_size; }
    const MTMathListDisplayPtr& display() const { return m_display; }

    // Draws the image with its top-left corner at the painter's origin.
    void draw(QPainter& painter) const;
    // The image in pixels, `devicePixelRatio` pixels per point, on a transparent ground, carrying the ratio.
    QImage toImage(qreal devicePixelRatio = 1) const;

private:
    QSizeF m_size;
    MTMathListDisplayPtr m_display;
};

} // namespace zepla::math
