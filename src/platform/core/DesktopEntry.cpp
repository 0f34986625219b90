#include "core/DesktopEntry.h"

#include "core/DefaultPDFHandler.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace zepla::platform::DesktopEntry {

namespace {

const QString kBuildMark = QStringLiteral("X-Zepla-Build-Folder=true\n");

QString tr(const char* text) {
    return QCoreApplication::translate("DesktopEntry", text);
}

QByteArray resource(const QString& name) {
    QFile file(QStringLiteral(":/desktop/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Writes `bytes` to `path` unless it already holds them; creates the folders on the way.
std::optional<QString> writeFile(const QString& path, const QByteArray& bytes) {
    QFile existing(path);
    if (existing.open(QIODevice::ReadOnly) && existing.readAll() == bytes)
        return std::nullopt;
    existing.close();
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return tr("Could not create the folder %1.").arg(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return tr("Could not write %1: %2").arg(path, file.errorString());
    return std::nullopt;
}

} // namespace

QString execValue(const QString& program) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QString path = program;
    path.replace(QLatin1Char('%'), QStringLiteral("%%"));
    // A bare path where it can be one: xdg-mime reads the program of an entry as its first word, quotes and
    // all.
    if (std::none_of(path.cbegin(), path.cend(), [](QChar c) { return reserved.contains(c); }))
        return path + QStringLiteral(" %F");
    QString quoted;
    for (const QChar c : path) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    // The entry's own string escaping doubles every backslash once more.
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return QLatin1Char('"') + quoted + QStringLiteral("\" %F");
}

QString text(const QString& program) {
    QString entry = QString::fromUtf8(resource(QStringLiteral("zepla.desktop.in")));
    entry.replace(QStringLiteral("@ZEPLA_EXEC@ %F"), execValue(program));
    return entry + kBuildMark;
}

std::optional<QString> installForBuildRun(const QString& program, const QString& dataHome) {
    const QString entryPath =
        dataHome + QStringLiteral("/applications/") + QLatin1String(DefaultPDFHandler::desktopEntryName);
    QFile existing(entryPath);
    if (existing.open(QIODevice::ReadOnly) && !QString::fromUtf8(existing.readAll()).contains(kBuildMark))
        return std::nullopt;
    existing.close();
    if (auto error = writeFile(entryPath, text(program).toUtf8()))
        return error;
    return writeFile(dataHome + QStringLiteral("/icons/hicolor/scalable/apps/zepla.svg"),
                     resource(QStringLiteral("zepla.svg")));
}

} // namespace zepla::platform::DesktopEntry
