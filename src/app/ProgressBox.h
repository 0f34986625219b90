// The note shown while a file is read or written: its text over a bar that only says the work goes on.
#pragma once

#include <QString>

class QWidget;

namespace zepla::app {

// Lays the note out in `box`, which takes the label and the bar.
void fillProgressBox(QWidget& box, const QString& text);

} // namespace zepla::app
