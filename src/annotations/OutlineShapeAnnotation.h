// A figure drawn as an outline inside the annotation's rectangle, never filled: rectangles and ovals.
#pragma once

#include "Annotation.h"

namespace zepla::annotations {

class OutlineShapeAnnotation : public Annotation {
public:
    Appearance appearance() const override;

    // The stroke width when no border is set.
    static constexpr qreal defaultWidth = 2;

protected:
    virtual QPainterPath figure(const QRectF& rect) const = 0;
    virtual Qt::PenJoinStyle join() const = 0;
};

// An outlined rectangle with round corners of its stroke.
class RectangleAnnotation : public OutlineShapeAnnotation {
public:
    QByteArray subtype() const override { return "Square"; }

protected:
    QPainterPath figure(const QRectF& rect) const override;
    Qt::PenJoinStyle join() const override { return Qt::RoundJoin; }
};

// An outlined ellipse.
class OvalAnnotation : public OutlineShapeAnnotation {
public:
    QByteArray subtype() const override { return "Circle"; }

protected:
    QPainterPath figure(const QRectF& rect) const override;
    Qt::PenJoinStyle join() const override { return Qt::MiterJoin; }
};

} // namespace zepla::annotations
