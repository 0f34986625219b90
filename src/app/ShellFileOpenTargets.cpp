#include "app/ShellFileOpenTargets.h"

#include "app/DocumentController.h"
#include "app/DocumentImport.h"
#include "ui/preview/PreviewWindowController.h"

namespace zepla::app {

void ShellFileOpenTargets::openDocument(const QString& path) {
    m_controller.openDocument(path);
}

void ShellFileOpenTargets::importDocument(const QString& path) {
    app::importDocument(path, m_controller);
}

void ShellFileOpenTargets::openPreview(const QString& path) {
    ui::PreviewWindowController::open(path);
}

} // namespace zepla::app
