#include "app/ShellFileOpenTargets.h"

#include "app/DocumentController.h"
#include "ui/preview/PreviewWindowController.h"

#include <QMainWindow>

namespace zepla::app {

void ShellFileOpenTargets::openDocument(const QString& path) {
    m_controller.openDocument(path);
}

void ShellFileOpenTargets::importDocument(const QString& path) {
    m_controller.importDocument(path);
}

void ShellFileOpenTargets::openPreview(const QString& path) {
    // The preview window gets the menus of every window, with their shortcuts: Open, Close, Settings, Quit.
    ui::PreviewWindowController* preview = ui::PreviewWindowController::open(path);
    m_controller.installMenus(*preview->window(), nullptr);
}

} // namespace zepla::app
