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
    // A finished stroke; `points` must not be empty.
    static std::unique_ptr<InkAnnotation> through(const QList<QPointF>& points, const QColor& color,
                                                  qreal width);

private:
    void fitBounds();

    QList<QPointF> m_points;
    QRectF m_box; // of the points
};

} // namespace zepla::annotations
