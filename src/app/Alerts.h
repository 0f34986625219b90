// Alerts of the shell: a title and a message in a box that does not block the caller.
#pragma once

#include <QString>

class QMessageBox;
class QWidget;

namespace zepla::app {

// Shown over `parent` (window-modal) or on its own when there is none; deletes itself when dismissed.
QMessageBox* showAlert(QWidget* parent, const QString& title, const QString& message);

} // namespace zepla::app
