#include "core/DefaultPDFHandler.h"

#include <QCoreApplication>
#include <QProcess>

namespace zepla::platform::DefaultPDFHandler {

namespace {

const QString kXdgMime = QStringLiteral("xdg-mime");
const QString kPdfType = QStringLiteral("application/pdf");

void startQuery(QProcess& query) {
    query.start(kXdgMime, {QStringLiteral("query"), QStringLiteral("default"), kPdfType});
}

bool namesZepla(QProcess& query) {
    if (query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0)
        return false;
    return QString::fromUtf8(query.readAllStandardOutput()).trimmed() == QLatin1String(desktopEntryName);
}

} // namespace

bool isDefault() {
    QProcess query;
    startQuery(query);
    return query.waitForFinished(5000) && namesZepla(query);
}

void queryIsDefault(std::function<void(bool)> completion) {
    auto* query = new QProcess(QCoreApplication::instance());
    QObject::connect(query, &QProcess::errorOccurred, query,
                     [query, completion](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return;
                         query->deleteLater();
                         completion(false);
                     });
    QObject::connect(query, &QProcess::finished, query, [query, completion] {
        query->deleteLater();
        completion(namesZepla(*query));
    });
    startQuery(*query);
}

void setAsDefault(std::function<void(std::optional<QString>)> completion) {
    auto* process = new QProcess(QCoreApplication::instance());
    const auto finish = [process, completion](std::optional<QString> error) {
        process->deleteLater();
        if (completion)
            completion(std::move(error));
    };
    QObject::connect(
        process, &QProcess::errorOccurred, process, [process, finish](QProcess::ProcessError error) {
            if (error == QProcess::FailedToStart)
                finish(QCoreApplication::translate("DefaultPDFHandler", "xdg-mime could not be started: %1")
                           .arg(process->errorString()));
        });
    QObject::connect(process, &QProcess::finished, process,
                     [process, finish](int code, QProcess::ExitStatus status) {
                         if (status == QProcess::NormalExit && code == 0)
                             finish(std::nullopt);
                         else
                             finish(QCoreApplication::translate("DefaultPDFHandler",
                                                                "xdg-mime could not set the default: %1")
                                        .arg(QString::fromUtf8(process->readAllStandardError()).trimmed()));
                     });
    process->start(kXdgMime, {QStringLiteral("default"), QLatin1String(desktopEntryName), kPdfType});
}

} // namespace zepla::platform::DefaultPDFHandler
