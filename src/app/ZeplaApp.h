// The application: its delegate, update checker and document controller, and where opened files go.
#pragma once

#include "app/AppDelegate.h"
#include "app/DocumentController.h"
#include "app/ShellFileOpenTargets.h"
#include "app/UpdaterController.h"

#include <QObject>

namespace zepla::app {

class SingleInstance;

class ZeplaApp : public QObject {
    Q_OBJECT

public:
    // Files that later launches hand over arrive through `instance`.
    explicit ZeplaApp(SingleInstance* instance = nullptr, QObject* parent = nullptr);
    ~ZeplaApp() override;

    // Start-up, then the files given on the command line, routed like files opened from the file manager.
    void launch(const QStringList& files);

    AppDelegate& appDelegate() { return m_appDelegate; }
    DocumentController& documentController() { return m_documentController; }
    UpdaterController& updaterController() { return m_updaterController; }

private:
    UpdaterController m_updaterController;
    DocumentController m_documentController;
    AppDelegate m_appDelegate;
    ShellFileOpenTargets m_fileOpenTargets;
};

// The application's name, organisation and version, for settings and dialogs.
void describeApplication();

} // namespace zepla::app
