#include "TextMarkupAnnotation.h"

#include "pdf/PageTurn.h"

namespace zepla::annotations {

QByteArray TextMarkupAnnotation::subtype() const {
    return annotations::subtype(m_action).toLatin1();
}

Appearance TextMarkupAnnotation::appearance() const {
    // Drawn in the line's own upright space: an underline runs under it as it reads.
    Appearance a = Appearance::upright(bounds, m_lineDegrees);
    const QRectF b = a.bbox();
    a.setMultiplies(true);
    const QColor c = color.isValid() ? color : QColor(Qt::yellow);
    if (m_action == MarkupAction::highlight) {
        QPainterPath area;
        area.addRect(b);
        a.fill(area, c);
        return a;
    }
    // A line a fourteenth of the text's height, near the bottom or through the middle.
    const qreal width = std::max(0.5, b.height() / 14);
    const qreal y =
        m_action == MarkupAction::underline ? b.top() + b.height() * 0.08 + width / 2 : b.center().y();
    QPainterPath line;
    line.moveTo(b.left(), y);
    line.lineTo(b.right(), y);
    a.stroke(line, c, StrokeStyle{width});
    return a;
}

pdf::ObjectValue::Entries TextMarkupAnnotation::entries() const {
    auto e = Annotation::entries();
    const QRectF b = pdf::uprightRect(bounds, m_lineDegrees);
    const QTransform toPage = pdf::uprightToPage(m_lineDegrees);
    // Upper left, upper right, lower left, lower right of the line as it reads: the order readers expect.
    std::vector<double> quad;
    for (const QPointF& corner : {b.bottomLeft(), b.bottomRight(), b.topLeft(), b.topRight()}) {
        const QPointF p = toPage.map(corner);
        quad.push_back(p.x());
        quad.push_back(p.y());
    }
    e.emplace_back("QuadPoints", pdf::ObjectValue::numbers(quad));
    return e;
}

} // namespace zepla::annotations
