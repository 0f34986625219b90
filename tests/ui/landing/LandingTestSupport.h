// Helpers of the landing and shell tests: preferences of the test's own and files written into a folder.
#pragma once

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

// Test-mode preferences under a home folder of this test's own, so tests running side by side never share
// (or touch the user's) recent-documents list.
inline void usePrivatePreferences() {
    static QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    QStandardPaths::setTestModeEnabled(true);
}

// Writes `bytes` to the file `name` in `dir` and returns its path.
inline QString writeTestFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return path;
}

inline QByteArray readTestFile(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}
