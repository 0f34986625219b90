#include "ui/theme/ToolbarSectionDivider.h"

#include "ui/theme/Colors.h"

#include <QPainter>

namespace zepla::ui {

ToolbarSectionDivider::ToolbarSectionDivider(QWidget* parent) : QWidget(parent) {
    setFixedSize(1, 18);
}

void ToolbarSectionDivider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Color::primary(this, 0.15));
}

} // namespace zepla::ui
