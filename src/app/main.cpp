// Zepla's entry point.
#include "FirstPageWindow.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zepla"));
    QApplication::setOrganizationName(QStringLiteral("Zepla"));
    const QStringList files = app.arguments().mid(1);
    std::vector<std::unique_ptr<FirstPageWindow>> windows;
    if (files.isEmpty())
        windows.push_back(std::make_unique<FirstPageWindow>(QString()));
    for (const QString& file : files)
        windows.push_back(std::make_unique<FirstPageWindow>(file));
    for (auto& window : windows)
        window->show();
    return app.exec();
}
