#include "app/ZeplaApp.h"

#include "app/SingleInstance.h"

#include <QCoreApplication>

namespace zepla::app {

void describeApplication() {
    QCoreApplication::setApplicationName(QStringLiteral("Zepla"));
    QCoreApplication::setOrganizationName(QStringLiteral("Zepla"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZEPLA_VERSION));
}

ZeplaApp::ZeplaApp(SingleInstance* instance, QObject* parent)
    : QObject(parent), m_documentController(m_updaterController), m_appDelegate(m_documentController),
      m_fileOpenTargets(m_documentController) {
    document::FileOpenRouter::setTargets(&m_fileOpenTargets);
    if (instance) {
        connect(instance, &SingleInstance::filesReceived, this, [this](const QStringList& files) {
            if (files.isEmpty())
                m_appDelegate.reopen();
            else
                m_appDelegate.openFiles(files);
        });
    }
}

ZeplaApp::~ZeplaApp() {
    document::FileOpenRouter::setTargets(nullptr);
}

void ZeplaApp::launch(const QStringList& files) {
    m_appDelegate.applicationDidFinishLaunching();
    m_appDelegate.openFiles(files);
}

} // namespace zepla::app
