#include "ui/workspace/AssistantResizeHandle.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace zepla::ui {

AssistantResizeHandle::AssistantResizeHandle(int minWidth, int maxWidth, QWidget* parent)
    : QWidget(parent), m_minWidth(minWidth), m_maxWidth(maxWidth) {
    setFixedWidth(hitWidth);
    setCursor(Qt::SizeHorCursor);
    setAttribute(Qt::WA_Hover);
}

void AssistantResizeHandle::enterEvent(QEnterEvent*) {
    m_hovering = true;
    update();
}

void AssistantResizeHandle::leaveEvent(QEvent*) {
    m_hovering = false;
    update();
}

void AssistantResizeHandle::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    m_widthAtDragStart = m_width;
    m_dragStartX = event->globalPosition().x();
    update();
}

void AssistantResizeHandle::mouseMoveEvent(QMouseEvent* event) {
    if (!m_widthAtDragStart)
        return QWidget::mouseMoveEvent(event);
    // The handle is on the panel's left edge: moving left widens the panel.
    const double translation = event->globalPosition().x() - m_dragStartX;
    const int width = std::clamp(int(std::lround(*m_widthAtDragStart - translation)), m_minWidth, m_maxWidth);
    if (width != m_width) {
        m_width = width;
        emit panelWidthChanged(width);
    }
}

void AssistantResizeHandle::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return QWidget::mouseReleaseEvent(event);
    m_widthAtDragStart.reset();
    update();
}

void AssistantResizeHandle::paintEvent(QPaintEvent*) {
    if (!m_hovering && !isDragging())
        return;
    QPainter painter(this);
    painter.fillRect(QRect(hitWidth / 2, 0, 1, height()), palette().color(QPalette::Mid));
}

} // namespace zepla::ui
