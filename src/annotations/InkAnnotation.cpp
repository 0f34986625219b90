#include "InkAnnotation.h"

namespace zepla::annotations {

QPainterPath InkAnnotation::smoothedPath(const QList<QPointF>& points) {
    QPainterPath path;
    if (points.isEmpty())
        return path;
    path.moveTo(points.first());
    if (points.size() < 3) {
        path.lineTo(points.last());
        return path;
    }
    for (qsizetype i = 1; i + 1 < points.size(); ++i) {
        const QPointF mid = (points[i] + points[i + 1]) * 0.5;
        path.cubicTo(points[i], points[i], mid);
    }
    path.lineTo(points.last());
    return path;
}

std::unique_ptr<InkAnnotation> InkAnnotation::through(const QList<QPointF>& points, const QColor& color,
                                                      qreal width) {
    auto ink = std::make_unique<InkAnnotation>();
    ink->color = color;
    ink->borderWidth = width;
    ink->setPoints(points);
    return ink;
}

namespace {

// QRectF's union ignores rectangles of zero size, which a single point or a straight stroke has.
QRectF grown(const QRectF& box, bool empty, const QPointF& p) {
    if (empty)
        return QRectF(p, QSizeF(0, 0));
    const qreal left = std::min(box.left(), p.x()), right = std::max(box.right(), p.x());
    const qreal top = std::min(box.top(), p.y()), bottom = std::max(box.bottom(), p.y());
    return QRectF(left, top, right - left, bottom - top);
}

} // namespace

void InkAnnotation::setPoints(const QList<QPointF>& points) {
    m_points.clear();
    for (const QPointF& p : points)
        appendPoint(p);
    fitBounds();
}

void InkAnnotation::appendPoint(const QPointF& point) {
    m_box = grown(m_box, m_points.isEmpty(), point);
    m_points.append(point);
    fitBounds();
}

void InkAnnotation::fitBounds() {
    const qreal pad = borderWidth.value_or(1) + 2;
    bounds = m_box.adjusted(-pad, -pad, pad, pad);
}

Appearance InkAnnotation::appearance() const {
    Appearance a(bounds);
    a.stroke(smoothedPath(m_points), color,
             StrokeStyle{borderWidth.value_or(1), Qt::RoundCap, Qt::RoundJoin});
    return a;
}

pdf::ObjectValue::Entries InkAnnotation::entries() const {
    auto e = Annotation::entries();
    std::vector<double> coordinates;
    coordinates.reserve(std::size_t(m_points.size()) * 2);
    for (const QPointF& p : m_points) {
        coordinates.push_back(p.x());
        coordinates.push_back(p.y());
    }
    e.emplace_back("InkList", pdf::ObjectValue::array({pdf::ObjectValue::numbers(coordinates)}));
    return e;
}

} // namespace zepla::annotations
