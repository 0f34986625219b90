#include "ui/theme/ThemeButton.h"

#include <QEasingCurve>

namespace zepla::ui {

ThemeButton::ThemeButton(bool selected, const QColor& tint, std::function<void()> action, QWidget* parent)
    : QAbstractButton(parent), m_selected(selected), m_tint(tint), m_selectionProgress(selected ? 1 : 0) {
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::NoFocus);
    if (action)
        connect(this, &QAbstractButton::clicked, this, [action = std::move(action)] { action(); });

    // A spring of 0.25 s response with light damping: a short overshoot, then rest.
    QEasingCurve spring(QEasingCurve::OutBack);
    spring.setOvershoot(0.8);
    m_selectionAnimation.setDuration(250);
    m_selectionAnimation.setEasingCurve(spring);
    connect(&m_selectionAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_selectionProgress = value.toReal();
        update();
    });
    m_hoverAnimation.setDuration(100);
    m_hoverAnimation.setEasingCurve(QEasingCurve::OutQuad);
    connect(&m_hoverAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_hoverProgress = value.toReal();
        update();
    });
}

void ThemeButton::setSelected(bool selected) {
    if (selected == m_selected)
        return;
    m_selected = selected;
    animate(m_selectionAnimation, selected ? 1 : 0);
}

void ThemeButton::setTint(const QColor& tint) {
    m_tint = tint;
    update();
}

void ThemeButton::enterEvent(QEnterEvent* event) {
    m_hovering = true;
    animate(m_hoverAnimation, 1);
    QAbstractButton::enterEvent(event);
}

void ThemeButton::leaveEvent(QEvent* event) {
    m_hovering = false;
    animate(m_hoverAnimation, 0);
    QAbstractButton::leaveEvent(event);
}

void ThemeButton::animate(QVariantAnimation& animation, qreal target) {
    const qreal from = &animation == &m_selectionAnimation ? m_selectionProgress : m_hoverProgress;
    animation.stop();
    animation.setStartValue(from);
    animation.setEndValue(target);
    animation.start();
    update();
}

} // namespace zepla::ui
