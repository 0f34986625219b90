// Files for tests to read: bytes written to a path, and command-line tools that read files (pdfinfo,
// pdftotext, soffice, ...). A missing tool stops the test run, so a test never passes for want of its
// checker.
#pragma once

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// Writes `bytes` to `path` and returns the path; qFatal when that fails.
inline QString writeTestBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

struct ToolRun {
    int exitCode = -1; // -1 when the tool crashed or did not finish in time
    QByteArray out;
};

inline ToolRun runTool(const QString& program, const QStringList& arguments, int timeoutMs = 120000) {
    if (QStandardPaths::findExecutable(program).isEmpty())
        qFatal("%s is needed (scripts/setup installs it)", qPrintable(program));
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput()};
}

// Converts `source` with LibreOffice (a private profile inside `folder`) to `filter` ("docx", "xlsx", ...)
// and returns the file written into `folder`; qFatal when LibreOffice does not write it.
inline QString convertWithOffice(const QString& source, const QString& filter, const QString& folder) {
    const QString profile = folder + "/office-profile";
    runTool("soffice", {"-env:UserInstallation=file://" + profile, "--headless", "--convert-to", filter,
                        "--outdir", folder, source});
    QString name = source.section('/', -1);
    name = name.left(name.lastIndexOf('.')) + '.' + filter.section(':', 0, 0);
    const QString written = folder + '/' + name;
    if (!QFileInfo(written).isFile())
        qFatal("LibreOffice did not write %s", qPrintable(written));
    return written;
}
