#include "RedactionMarkerAnnotation.h"

namespace zepla::annotations {

Appearance RedactionMarkerAnnotation::appearance() const {
    Appearance a(bounds);
    QPainterPath box;
    box.addRect(bounds);
    a.fill(box, QColor::fromRgbF(0, 0, 0, 0.75f));
    QPainterPath frame;
    frame.addRect(bounds.adjusted(0.75, 0.75, -0.75, -0.75));
    a.stroke(frame, QColor(255, 59, 48), StrokeStyle{1.5, Qt::FlatCap, Qt::MiterJoin, {4, 3}});
    return a;
}

} // namespace zepla::annotations
