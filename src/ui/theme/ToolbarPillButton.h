// An icon-only toolbar button: the symbol alone, or white and filled on a capsule of its tint when selected.
#pragma once

#include "ui/theme/ThemeButton.h"

namespace zepla::ui {

class ToolbarPillButton : public ThemeButton {
    Q_OBJECT

public:
    static constexpr QSize pillSize{36, 30};

    ToolbarPillButton(const QString& systemImage, bool isSelected, const QColor& tint,
                      std::function<void()> action = {}, QWidget* parent = nullptr);

    QString systemImage() const { return m_systemImage; }
    void setSystemImage(const QString& name);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_systemImage;
};

} // namespace zepla::ui
