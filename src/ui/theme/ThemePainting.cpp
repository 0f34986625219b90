#include "ui/theme/ThemePainting.h"

#include "ui/theme/Colors.h"

#include <QPainter>
#include <QPalette>
#include <QWidget>

namespace zepla::ui::Theme {

QPainterPath capsule(const QRectF& rect) {
    QPainterPath path;
    const qreal radius = qMin(rect.width(), rect.height()) / 2;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

void hoverDarken(QPainter& painter, const QPainterPath& shape, qreal amount) {
    if (amount <= 0)
        return;
    painter.fillPath(shape, QColor::fromRgbF(0, 0, 0, float(0.14 * qMin<qreal>(amount, 1))));
}

QColor liquidGlassBluePanelColour() {
    // The frosted layer over white shows white, so only the blue wash changes the colour.
    return Color::appTint();
}

void liquidGlassBluePanel(QWidget* widget) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, liquidGlassBluePanelColour());
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

} // namespace zepla::ui::Theme
