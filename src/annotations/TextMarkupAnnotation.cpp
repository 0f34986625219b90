#include "TextMarkupAnnotation.h"

#include "pdf/PageTurn.h"

namespace zepla::annotations {

QByteArray TextMarkupAnnotation::subtype() const {
    return annotations::subtype(m_action).toLatin1();
}

Appearance TextMarkupAnnotation::appearance() const {
    // The line reads upright on its page: an underline runs under it as the reader sees it.
    Appearance a = Appearance::upright(bounds, pageRotation);
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
    const QRectF b = pdf::uprightRect(bounds, pageRotation);
    const QTransform toPage = pdf::uprightToPage(pageRotation);
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
