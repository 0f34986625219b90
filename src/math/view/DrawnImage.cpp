// An image of a laid-out formula drawn on demand.
#include "view/DrawnImage.h"

#include "view/MTLabelLayout.h"

#include <cmath>

namespace zepla::math {

DrawnImage::DrawnImage(QSizeF size, MTMathListDisplayPtr display)
    : m_size(size), m_display(std::move(display)) {}

void DrawnImage::draw(QPainter& painter) const {
    drawInBox(painter, *m_display, m_size.height());
}

QImage DrawnImage::toImage(qreal devicePixelRatio) const {
    QImage image(int(std::ceil(m_size.width() * devicePixelRatio)),
                 int(std::ceil(m_size.height() * devicePixelRatio)), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    draw(painter);
    return image;
}

} // namespace zepla::math
