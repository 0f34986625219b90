#include "InkAnnotation.h"

namespace zepla::annotations {

QPainterPath InkAnnotation::smoothedPath(const QList<QPointF>& points) {
    return smoothedSection(points, 0, lastKnot(points.size()));
}

QPainterPath InkAnnotation::smoothedSection(const QList<QPointF>& points, qsizetype fromKnot,
                                            qsizetype toKnot) {
    QPainterPath path;
    const qsizetype n = points.size();
    if (n == 0)
        return path;
    const bool curved = n >= 3;
    auto knot = [&](qsizetype k) {
        if (k == 0)
            return points.first();
        if (curved && k <= n - 2)
            return (points[k] + points[k + 1]) * 0.5;
        return points.last();
    };
    path.moveTo(knot(fromKnot));
    for (qsizetype k = fromKnot + 1; k <= toKnot; ++k) {
        if (curved && k <= n - 2)
            path.cubicTo(points[k], points[k], knot(k));
        else
            path.lineTo(points.last());
    }
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

StrokeStyle InkAnnotation::strokeStyle() const {
    return StrokeStyle{borderWidth.value_or(1), Qt::RoundCap, Qt::RoundJoin};
}

Appearance InkAnnotation::appearance() const {
    Appearance a(bounds);
    a.stroke(smoothedPath(m_points), color, strokeStyle());
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
