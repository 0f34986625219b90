#include "TextMarkupAnnotation.h"

namespace zepla::annotations {

QByteArray TextMarkupAnnotation::subtype() const {
    return annotations::subtype(m_action).toLatin1();
}

Appearance TextMarkupAnnotation::appearance() const {
    Appearance a(bounds);
    a.setMultiplies(true);
    const QColor c = color.isValid() ? color : QColor(Qt::yellow);
    if (m_action == MarkupAction::highlight) {
        QPainterPath area;
        area.addRect(bounds);
        a.fill(area, c);
        return a;
    }
    // A line a fourteenth of the text's height, near the bottom or through the middle.
    const qreal width = std::max(0.5, bounds.height() / 14);
    const qreal y = m_action == MarkupAction::underline ? bounds.top() + bounds.height() * 0.08 + width / 2
                                                        : bounds.center().y();
    QPainterPath line;
    line.moveTo(bounds.left(), y);
    line.lineTo(bounds.right(), y);
    a.stroke(line, c, StrokeStyle{width});
    return a;
}

pdf::ObjectValue::Entries TextMarkupAnnotation::entries() const {
    auto e = Annotation::entries();
    const QRectF& b = bounds;
    // Upper left, upper right, lower left, lower right: the order readers expect.
    e.emplace_back("QuadPoints", pdf::ObjectValue::numbers({b.left(), b.bottom(), b.right(), b.bottom(),
                                                            b.left(), b.top(), b.right(), b.top()}));
    return e;
}

} // namespace zepla::annotations
