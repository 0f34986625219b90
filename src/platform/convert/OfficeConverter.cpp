#include "convert/OfficeConverter.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

#include <optional>

#include <signal.h>
#include <unistd.h>

namespace zepla::platform::OfficeConverter {

namespace {

constexpr int pollMilliseconds = 100;

ConversionError failure(ConversionError::Kind kind, const QString& message) {
    return {kind, message};
}

// LibreOffice runs in a process group of its own, so that the helpers it forks go down with it.
void killGroup(qint64 pid) {
    if (pid > 0)
        ::kill(-static_cast<pid_t>(pid), SIGKILL);
}

QString resolveProgram(const QString& program) {
    if (!program.isEmpty())
        return QFileInfo(program).isExecutable() ? program : QString();
    return QStandardPaths::findExecutable(QStringLiteral("soffice"));
}

} // namespace

QString importFilter(const QString& extension) {
    static const QHash<QString, QString> filters{
        {"rtf", "Rich Text Format"},
        {"doc", "MS Word 97"},
        {"docx", "MS Word 2007 XML"},
        {"xls", "MS Excel 97"},
        {"xlsx", "Calc MS Excel 2007 XML"},
        {"ppt", "MS PowerPoint 97"},
        {"pptx", "Impress MS PowerPoint 2007 XML"},
    };
    return filters.value(extension.toLower());
}

ConversionResult toPdf(const QString& source, const QString& outputFolder, const Options& options) {
    const QString program = resolveProgram(options.program);
    if (program.isEmpty())
        return failure(
            ConversionError::Kind::Missing,
            QStringLiteral("LibreOffice is not installed, so this file cannot be converted. Install "
                           "the Debian package libreoffice-writer-nogui and try again."));
    QTemporaryDir profile(QDir::tempPath() + QStringLiteral("/zepla-office-profile-XXXXXX"));
    QTemporaryDir work(QDir(outputFolder).filePath(QStringLiteral(".convert-XXXXXX")));
    if (!profile.isValid() || !work.isValid())
        return failure(ConversionError::Kind::Failed, QStringLiteral("No temporary folder could be made."));

    QStringList arguments{QStringLiteral("-env:UserInstallation=") +
                              QUrl::fromLocalFile(profile.path()).toString(),
                          QStringLiteral("--headless"),
                          QStringLiteral("--invisible"),
                          QStringLiteral("--norestore"),
                          QStringLiteral("--nologo"),
                          QStringLiteral("--nolockcheck")};
    if (const QString filter = importFilter(QFileInfo(source).suffix()); !filter.isEmpty())
        arguments << QStringLiteral("--infilter=") + filter;
    arguments << QStringLiteral("--convert-to") << QStringLiteral("pdf") << QStringLiteral("--outdir")
              << work.path() << source;
    // LibreOffice's own temporary files go into the private profile too, so that a conversion stopped
    // midway leaves nothing behind in the user's temporary folder.
    const QString scratch = QDir(profile.path()).filePath(QStringLiteral("tmp"));
    QDir().mkpath(scratch);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), scratch);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProgram(program);
    process.setArguments(arguments);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setChildProcessModifier([] { ::setsid(); });
    process.start();
    if (!process.waitForStarted())
        return failure(ConversionError::Kind::Missing,
                       QStringLiteral("LibreOffice could not be started: %1").arg(process.errorString()));
    const qint64 group = process.processId();

    QElapsedTimer clock;
    clock.start();
    std::optional<ConversionError> stopped;
    while (!process.waitForFinished(pollMilliseconds)) {
        if (options.cancelled && options.cancelled->load())
            stopped =
                failure(ConversionError::Kind::Cancelled, QStringLiteral("The conversion was cancelled."));
        else if (clock.elapsed() > options.timeLimit.count())
            stopped = failure(
                ConversionError::Kind::TimedOut,
                QStringLiteral("LibreOffice took longer than %1 seconds and was stopped.")
                    .arg(std::chrono::duration_cast<std::chrono::seconds>(options.timeLimit).count()));
        if (stopped) {
            killGroup(group);
            process.waitForFinished(-1);
            return *stopped;
        }
    }
    killGroup(group);

    if (process.exitStatus() != QProcess::NormalExit)
        return failure(ConversionError::Kind::Failed, QStringLiteral("LibreOffice stopped unexpectedly."));
    const QString written =
        QDir(work.path()).filePath(QFileInfo(source).completeBaseName() + QStringLiteral(".pdf"));
    if (QFileInfo(written).size() <= 0)
        return failure(ConversionError::Kind::Failed,
                       QStringLiteral("LibreOffice could not read this file."));
    const QString target =
        QDir(outputFolder).filePath(QFileInfo(source).completeBaseName() + QStringLiteral(".pdf"));
    QFile::remove(target);
    if (!QFile::rename(written, target))
        return failure(ConversionError::Kind::Failed,
                       QStringLiteral("The converted PDF could not be stored."));
    return target;
}

} // namespace zepla::platform::OfficeConverter
