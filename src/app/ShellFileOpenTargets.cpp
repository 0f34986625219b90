#include "app/ShellFileOpenTargets.h"

#include "app/Alerts.h"
#include "app/DocumentController.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace zepla::app {

namespace {

void notAvailableYet(const QString& path, const QString& what) {
    showAlert(nullptr,
              QCoreApplication::translate("ShellFileOpenTargets", "“%1” can’t be opened yet.")
                  .arg(QFileInfo(path).fileName()),
              what);
}

} // namespace

void ShellFileOpenTargets::openDocument(const QString& path) {
    m_controller.openDocument(path);
}

void ShellFileOpenTargets::importDocument(const QString& path) {
    notAvailableYet(path,
                    QCoreApplication::translate("ShellFileOpenTargets",
                                                "Converting this kind of file to PDF is not available yet."));
}

void ShellFileOpenTargets::openPreview(const QString& path) {
    notAvailableYet(path, QCoreApplication::translate("ShellFileOpenTargets",
                                                      "Previewing this kind of file is not available yet."));
}

} // namespace zepla::app
