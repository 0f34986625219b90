#include "SignatureAnnotation.h"

#include <algorithm>
#include <cmath>

namespace zepla::annotations {

SignatureAnnotation::SignatureAnnotation(const QImage& image, const QRectF& rect) : m_image(image) {
    bounds = rect;
}

Appearance SignatureAnnotation::appearance() const {
    Appearance look = Appearance::upright(bounds, pageRotation);
    if (!m_image.isNull())
        look.image(m_image, look.bbox());
    return look;
}

qreal SignatureAnnotation::aspectRatio(const QSizeF& imageSize) {
    return imageSize.height() / std::max<qreal>(imageSize.width(), 1);
}

QRectF SignatureAnnotation::placedBounds(const QSizeF& imageSize, const QPointF& start) {
    const qreal height = aspectRatio(imageSize) * defaultWidth;
    return QRectF(start.x(), start.y() - height, defaultWidth, height);
}

QRectF SignatureAnnotation::draggedBounds(const QSizeF& imageSize, const QPointF& start, qreal x) {
    const qreal width = std::max(std::abs(x - start.x()), minimumWidth);
    const qreal height = aspectRatio(imageSize) * width;
    return QRectF(std::min(x, start.x()), start.y() - height, width, height);
}

} // namespace zepla::annotations
