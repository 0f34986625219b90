#include "ui/theme/ColorSwatchButton.h"

#include "ui/theme/ThemePainting.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace zepla::ui {

ColorSwatchButton::ColorSwatchButton(const QColor& color, QWidget* parent)
    : ThemeButton(false, color, {}, parent), m_color(color) {
    setFixedSize(diameter, diameter);
    connect(this, &QAbstractButton::clicked, this, [this] { emit colorSelected(m_color); });
    watchParent();
}

bool ColorSwatchButton::takesPressAt(const QPointF& point) const {
    const QPointF centre = QRectF(rect()).center();
    const qreal reach = diameter / 2.0 + hitMargin;
    const QPointF d = point - centre;
    return d.x() * d.x() + d.y() * d.y() <= reach * reach;
}

bool ColorSwatchButton::hitButton(const QPoint& pos) const {
    return takesPressAt(pos);
}

void ColorSwatchButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath circle;
    circle.addEllipse(QRectF(0, 0, diameter, diameter));
    painter.fillPath(circle, m_color);
    Theme::hoverDarken(painter, circle, hoverProgress());
}

void ColorSwatchButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ParentChange)
        watchParent();
    ThemeButton::changeEvent(event);
}

void ColorSwatchButton::watchParent() {
    if (parentWidget())
        parentWidget()->installEventFilter(this);
}

// The enlarged circle reaches past the widget's square into its parent; presses there reach the parent, so
// the swatch listens to it. Where the circles of neighbouring swatches overlap, the nearest swatch takes the
// press.
bool ColorSwatchButton::eventFilter(QObject* watched, QEvent* event) {
    if (watched != parentWidget() || !isEnabled() || !isVisible())
        return false;
    if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonRelease)
        return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton)
        return false;
    const QPointF inParent = mouse->position();
    const QPointF local = inParent - QPointF(pos());
    const auto distance = [&](const QWidget* swatch) {
        const QPointF d = inParent - QRectF(swatch->geometry()).center();
        return d.x() * d.x() + d.y() * d.y();
    };
    const bool nearest = std::none_of(
        parentWidget()->children().cbegin(), parentWidget()->children().cend(), [&](const QObject* child) {
            const auto* other = qobject_cast<const ColorSwatchButton*>(child);
            return other && other != this && other->isVisible() && distance(other) < distance(this);
        });
    if (!nearest || !takesPressAt(local)) {
        m_pressedOutside = false;
        return false;
    }
    if (event->type() == QEvent::MouseButtonPress) {
        m_pressedOutside = true;
        return true;
    }
    if (!m_pressedOutside)
        return false;
    m_pressedOutside = false;
    click();
    return true;
}

} // namespace zepla::ui
