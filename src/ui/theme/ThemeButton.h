// The common ground of the theme's buttons: a tint, a selected state and the pointer's hover, each animated.
#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QVariantAnimation>

#include <functional>

namespace zepla::ui {

class ThemeButton : public QAbstractButton {
    Q_OBJECT
    Q_PROPERTY(bool selected READ isSelected WRITE setSelected)
    Q_PROPERTY(QColor tint READ tint WRITE setTint)

public:
    bool isSelected() const { return m_selected; }
    void setSelected(bool selected);
    QColor tint() const { return m_tint; }
    void setTint(const QColor& tint);
    bool isHovering() const { return m_hovering; }

protected:
    ThemeButton(bool selected, const QColor& tint, std::function<void()> action, QWidget* parent);

    // 0 unselected to 1 selected, following a springy curve (it may overshoot 1 briefly).
    qreal selectionProgress() const { return m_selectionProgress; }
    // 0 without the pointer to 1 with it.
    qreal hoverProgress() const { return m_hoverProgress; }

    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void animate(QVariantAnimation& animation, qreal target);

    bool m_selected;
    bool m_hovering = false;
    QColor m_tint;
    qreal m_selectionProgress;
    qreal m_hoverProgress = 0;
    QVariantAnimation m_selectionAnimation;
    QVariantAnimation m_hoverAnimation;
};

} // namespace zepla::ui
