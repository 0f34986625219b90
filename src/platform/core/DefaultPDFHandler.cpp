#include "core/DefaultPDFHandler.h"

#include <QCoreApplication>
#include <QProcess>

namespace zepla::platform::DefaultPDFHandler {

namespace {

const QString kXdgMime = QStringLiteral("xdg-mime");
const QString kPdfType = QStringLiteral("application/pdf");

} // namespace

bool isDefault() {
    QProcess query;
    query.start(kXdgMime, {QStringLiteral("query"), QStringLiteral("default"), kPdfType});
    if (!query.waitForFinished(5000) || query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0)
        return false;
    return QString::fromUtf8(query.readAllStandardOutput()).trimmed() == QLatin1String(desktopEntryName);
}

void setAsDefault(std::function<void(std::optional<QString>)> completion) {
    auto* process = new QProcess(QCoreApplication::instance());
    const auto finish = [process, completion](std::optional<QString> error) {
        process->deleteLater();
        if (completion)
            completion(std::move(error));
    };
    QObject::connect(process, &QProcess::errorOccurred, process, [process, finish](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            finish(QCoreApplication::translate("DefaultPDFHandler", "xdg-mime could not be started: %1")
                       .arg(process->errorString()));
    });
    QObject::connect(process, &QProcess::finished, process, [process, finish](int code, QProcess::ExitStatus status) {
        if (status == QProcess::NormalExit && code == 0)
            finish(std::nullopt);
        else
            finish(QCoreApplication::translate("DefaultPDFHandler", "xdg-mime could not set the default: %1")
                       .arg(QString::fromUtf8(process->readAllStandardError()).trimmed()));
    });
    process->start(kXdgMime, {QStringLiteral("default"), QLatin1String(desktopEntryName), kPdfType});
}

} // namespace zepla::platform::DefaultPDFHandler
