#include "OutlineShapeAnnotation.h"

namespace zepla::annotations {

Appearance OutlineShapeAnnotation::appearance() const {
    Appearance a(bounds);
    const qreal w = borderWidth.value_or(defaultWidth);
    // The stroke lies wholly inside the rectangle.
    const QRectF inner = bounds.adjusted(w / 2, w / 2, -w / 2, -w / 2);
    a.stroke(figure(inner), color, StrokeStyle{w, Qt::FlatCap, join()});
    return a;
}

QPainterPath RectangleAnnotation::figure(const QRectF& rect) const {
    QPainterPath path;
    path.addRect(rect);
    return path;
}

QPainterPath OvalAnnotation::figure(const QRectF& rect) const {
    QPainterPath path;
    path.addEllipse(rect);
    return path;
}

} // namespace zepla::annotations
