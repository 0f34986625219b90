// A real manual for the benchmarks that need one: valgrind's, from Debian's documentation, unpacked into a
// folder, or a PDF given on the command line.
#pragma once

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

// The manual's path: the first argument when there is one, else valgrind's manual unpacked into `dir`; empty
// when neither can be had.
inline QString benchmarkManual(const QStringList& arguments, const QTemporaryDir& dir) {
    if (arguments.size() > 1)
        return arguments[1];
    const QString path = dir.filePath(QStringLiteral("manual.pdf"));
    QProcess gunzip;
    gunzip.setStandardOutputFile(path);
    gunzip.start(QStringLiteral("gunzip"), {"-c", "/usr/share/doc/valgrind/valgrind_manual.pdf.gz"});
    return gunzip.waitForFinished(60000) && gunzip.exitCode() == 0 ? path : QString();
}
