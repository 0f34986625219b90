#include "app/Alerts.h"
#include "ui/theme/DialogSizing.h"

#include <QMessageBox>

namespace zepla::app {

QMessageBox* showAlert(QWidget* parent, const QString& title, const QString& message) {
    auto* box = new QMessageBox(QMessageBox::Warning, title, title, QMessageBox::Ok, parent);
    box->setInformativeText(message);
    ui::sizeAlertToText(*box);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    box->open();
    return box;
}

} // namespace zepla::app
