// The thin vertical rule between groups of toolbar buttons.
#pragma once

#include <QWidget>

namespace zepla::ui {

class ToolbarSectionDivider : public QWidget {
    Q_OBJECT

public:
    explicit ToolbarSectionDivider(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace zepla::ui
