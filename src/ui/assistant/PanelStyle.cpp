#include "ui/assistant/PanelStyle.h"

#include "ui/theme/Colors.h"
#include "ui/theme/Symbols.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace zepla::ui {

QColor assistantBackground() {
    return QColor(250, 247, 245);
}

RoundedBox::RoundedBox(BoxStyle style, QWidget* parent) : QWidget(parent), m_style(std::move(style)) {}

void RoundedBox::setStyle(BoxStyle style) {
    m_style = std::move(style);
    update();
}

void paintInBands(QPainter& painter, const QRect& area, const std::function<void()>& paint) {
    for (int top = area.top(); top <= area.bottom(); top += paintBandLines) {
        painter.save();
        painter.setClipRect(
            QRect(area.left(), top, area.width(), std::min(paintBandLines, area.bottom() + 1 - top)),
            Qt::IntersectClip);
        paint();
        painter.restore();
    }
}

void RoundedBox::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath shape;
    shape.addRoundedRect(box, m_style.radius, m_style.radius);
    const QColor fill = m_style.fill ? *m_style.fill : Color::primary(this, m_style.primaryFill);
    const QPen stroke(Color::primary(this, m_style.primaryStroke), 1);
    paintInBands(painter, event->rect(), [&] {
        if (fill.alpha() > 0)
            painter.fillPath(shape, fill);
        if (m_style.primaryStroke > 0)
            painter.strokePath(shape, stroke);
    });
}

QFont panelFont(int pixels, QFont::Weight weight) {
    QFont font;
    font.setPixelSize(pixels);
    font.setWeight(weight);
    return font;
}

QToolButton* symbolButton(const QString& symbol, int points, const QString& toolTip, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setCursor(Qt::PointingHandCursor);
    button->setToolTip(toolTip);
    button->setStyleSheet(QStringLiteral("QToolButton { border: none; padding: 2px; }"));
    setButtonSymbol(button, symbol, points, Color::secondary(button));
    return button;
}

void setButtonSymbol(QToolButton* button, const QString& symbol, int points, const QColor& colour) {
    button->setIcon(QIcon(Symbols::pixmap(symbol, points, colour, false, button->devicePixelRatioF())));
    button->setIconSize(QSize(points, points));
}

} // namespace zepla::ui
