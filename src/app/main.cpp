// Zepla's entry point: one running instance per user, which later launches hand their files to.
#include "app/SingleInstance.h"
#include "app/ZeplaApp.h"

#include <QApplication>
#include <QFileInfo>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    zepla::app::describeApplication();
    QApplication::setQuitOnLastWindowClosed(false);

    QStringList files;
    for (const QString& argument : application.arguments().mid(1))
        files << QFileInfo(argument).absoluteFilePath();

    zepla::app::SingleInstance instance;
    if (instance.handOver(files))
        return 0;
    instance.listen();

    zepla::app::ZeplaApp zepla(&instance);
    zepla.launch(files);
    return application.exec();
}
