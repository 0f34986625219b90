// A freehand stroke: the points as drawn, joined by a curve through the midpoints between them.
#pragma once

#include "Annotation.h"

#include <memory>

namespace zepla::annotations {

class InkAnnotation : public Annotation {
public:
    QByteArray subtype() const override { return "Ink"; }
    Appearance appearance() const override;
    pdf::ObjectValue::Entries entries() const override;

    // Page space, in the order drawn, without filtering.
    const QList<QPointF>& points() const { return m_points; }
    // Sets the points and fits the rectangle: their box grown by the stroke width plus 2 on every side.
    void setPoints(const QList<QPointF>& points);
    void appendPoint(const QPointF& point);

    // The curve: each inner point a control point, passing through the midpoints between neighbours; it
    // starts exactly at the first point and ends exactly at the last.
    static QPainterPath smoothedPath(const QList<QPointF>& points);
    // The curve runs through knots: the first point, the midpoints, the last point. This is its part from
    // one knot to another. Knots before `settledKnot(count)` stay where they are when points are added.
    static QPainterPath smoothedSection(const QList<QPointF>& points, qsizetype fromKnot, qsizetype toKnot);
    static qsizetype lastKnot(qsizetype pointCount) { return pointCount < 3 ? 1 : pointCount - 1; }
    static qsizetype settledKnot(qsizetype pointCount) { return pointCount < 3 ? 0 : pointCount - 2; }
    StrokeStyle strokeStyle() const;
    // A finished stroke; `points` must not be empty.
    static std::unique_ptr<InkAnnotation> through(const QList<QPointF>& points, const QColor& color,
                                                  qreal width);

private:
    void fitBounds();

    QList<QPointF> m_points;
    QRectF m_box; // of the points
};

} // namespace zepla::annotations
