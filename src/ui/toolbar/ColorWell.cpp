#include "ui/toolbar/ColorWell.h"

#include "ui/theme/Colors.h"
#include "ui/theme/Symbols.h"

#include <QColorDialog>
#include <QPainter>
#include <QPainterPath>

namespace zepla::ui {

ColorWell::ColorWell(const QColor& color, QWidget* parent) : QAbstractButton(parent), m_color(color) {
    setFixedSize(diameter, diameter);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setToolTip(QStringLiteral("Custom marker color"));
    connect(this, &QAbstractButton::clicked, this, &ColorWell::openDialog);
}

void ColorWell::setColor(const QColor& color) {
    if (color == m_color)
        return;
    m_color = color;
    update();
}

bool ColorWell::hitButton(const QPoint& pos) const {
    const QPointF d = QPointF(pos) - QRectF(rect()).center();
    return d.x() * d.x() + d.y() * d.y() <= diameter * diameter / 4.0;
}

void ColorWell::openDialog() {
    if (!m_dialog) {
        m_dialog = new QColorDialog(m_color, window());
        m_dialog->setAttribute(Qt::WA_DeleteOnClose);
        m_dialog->setOptions(QColorDialog::ShowAlphaChannel | QColorDialog::DontUseNativeDialog);
        m_dialog->setWindowTitle(tr("Colors"));
        // Like a colour panel: every colour picked applies at once, and closing it keeps the last one.
        connect(m_dialog, &QColorDialog::currentColorChanged, this, &ColorWell::colorChosen);
        connect(m_dialog, &QColorDialog::colorSelected, this, &ColorWell::colorChosen);
    }
    m_dialog->setCurrentColor(m_color);
    m_dialog->show();
    m_dialog->raise();
    m_dialog->activateWindow();
}

void ColorWell::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF circle = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(Color::primary(this, 0.15), 1));
    painter.setBrush(m_color);
    painter.drawEllipse(circle);
    const int plus = 9;
    const QRectF plusRect(circle.center() - QPointF(plus / 2.0, plus / 2.0), QSizeF(plus, plus));
    const qreal ratio = devicePixelRatioF();
    painter.drawPixmap(plusRect.translated(0, 0.5),
                       Symbols::pixmap(QStringLiteral("plus"), plus, QColor(0, 0, 0, 128), false, ratio),
                       QRectF());
    painter.drawPixmap(plusRect, Symbols::pixmap(QStringLiteral("plus"), plus, Qt::white, false, ratio),
                       QRectF());
}

} // namespace zepla::ui
