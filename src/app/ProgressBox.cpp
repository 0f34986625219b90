#include "app/ProgressBox.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>
#include <QWidget>

namespace zepla::app {

void fillProgressBox(QWidget& box, const QString& text) {
    auto* label = new QLabel(text, &box);
    auto* bar = new QProgressBar(&box);
    bar->setRange(0, 0); // how far reading or writing a file has come is not known, only that it goes on
    bar->setTextVisible(false);
    bar->setMinimumWidth(260);
    auto* layout = new QVBoxLayout(&box);
    layout->setContentsMargins(20, 16, 20, 16);
    layout->addWidget(label);
    layout->addWidget(bar);
}

} // namespace zepla::app
