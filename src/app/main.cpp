// Zepla's entry point: one running instance per user, which later launches hand their files to.
#include "app/SingleInstance.h"
#include "app/ZeplaApp.h"
#include "core/DesktopEntry.h"
#include "core/MemoryRelease.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QStandardPaths>

namespace {

// A program run from its build folder has no install step to give the desktop its entry and icon, which
// setting Zepla as the default PDF viewer needs: it writes them into the user's data folder itself.
void installDesktopEntryForBuildRun() {
    const QString program = QCoreApplication::applicationFilePath();
    if (QFileInfo(program).absolutePath() != QDir(QStringLiteral(ZEPLA_BUILD_PROGRAM_DIR)).canonicalPath())
        return;
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (const auto error = zepla::platform::DesktopEntry::installForBuildRun(program, dataHome))
        qWarning("%s", qPrintable(*error));
}

} // namespace

int main(int argc, char** argv) {
    zepla::platform::limitHeapArenas();
    QApplication application(argc, argv);
    zepla::app::describeApplication();
    QApplication::setQuitOnLastWindowClosed(false);
    QGuiApplication::setDesktopFileName(QStringLiteral("zepla"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/desktop/zepla.svg")));

    QStringList files;
    for (const QString& argument : application.arguments().mid(1))
        files << QFileInfo(argument).absoluteFilePath();

    zepla::app::SingleInstance instance;
    if (instance.handOver(files))
        return 0;
    instance.listen();
    installDesktopEntryForBuildRun();

    zepla::app::ZeplaApp zepla(&instance);
    zepla.launch(files);
    return application.exec();
}
