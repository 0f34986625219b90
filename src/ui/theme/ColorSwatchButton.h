// A round colour swatch of the toolbar; a press on it, or up to 10 points outside its circle, chooses its
// colour.
#pragma once

#include "ui/theme/ThemeButton.h"

namespace zepla::ui {

class ColorSwatchButton : public ThemeButton {
    Q_OBJECT

public:
    static constexpr int diameter = 23;
    static constexpr int hitMargin = 10;

    explicit ColorSwatchButton(const QColor& color, QWidget* parent = nullptr);

    QColor color() const { return m_color; }
    QSize sizeHint() const override { return {diameter, diameter}; }

    // Whether a point in this widget's coordinates falls inside the enlarged circle that takes presses.
    bool takesPressAt(const QPointF& point) const;

signals:
    // The swatch was pressed: the caller stores the colour as its selection.
    void colorSelected(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void watchParent();

    QColor m_color;
    bool m_pressedOutside = false;
};

} // namespace zepla::ui
