// A toolbar button with a symbol and a text label in a capsule: a faint capsule of its tint, the full tint
// with white content when selected. Given less than its width, it shows the symbol alone.
#pragma once

#include "ui/theme/ThemeButton.h"

namespace zepla::ui {

class ToolbarLabeledButton : public ThemeButton {
    Q_OBJECT

public:
    static constexpr int capsuleHeight = 29;

    ToolbarLabeledButton(const QString& systemImage, const QString& label, bool isSelected,
                         const QColor& tint, std::function<void()> action = {}, QWidget* parent = nullptr);

    QString systemImage() const { return m_systemImage; }
    QString label() const { return m_label; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // Whether the button is wide enough for its label; narrower, it shows its symbol alone.
    bool showsLabel() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QFont labelFont() const;
    QRectF capsuleRect() const;

    QString m_systemImage;
    QString m_label;
};

} // namespace zepla::ui
