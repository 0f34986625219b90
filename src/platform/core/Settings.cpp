#include "core/Settings.h"

#include "core/AppPaths.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>

#include <fcntl.h>
#include <unistd.h>

namespace zepla::platform {

namespace {

QString settingsFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Zepla/Zepla.conf");
}

// Qt rewrites the file through a temporary copy that keeps the existing file's permissions, so creating it
// with 0600 (or tightening one made otherwise) keeps it private for good.
void createPrivateFile(const QString& path) {
    if (QFileInfo::exists(path))
        return tightenToOwner(path);
    ensurePrivateDirectory(QFileInfo(path).absolutePath());
    const int fd = ::open(QFile::encodeName(path).constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600);
    if (fd >= 0)
        ::close(fd);
}

QString tr(const char* text) {
    return QCoreApplication::translate("Settings", text);
}

} // namespace

std::unique_ptr<QSettings> userSettings() {
    const QString path = settingsFilePath();
    createPrivateFile(path);
    return std::make_unique<QSettings>(path, QSettings::IniFormat);
}

QString settingsFileProblem() {
    const QString path = settingsFilePath();
    const QFileInfo file(path);
    if (file.isDir())
        return tr("%1 is a folder, not a settings file; move it away so that Zepla can keep its settings.")
            .arg(path);
    if (userSettings()->status() == QSettings::AccessError || !file.isReadable() || !file.isWritable())
        return tr("%1 cannot be read or written; make it readable and writable for you so that Zepla can "
                  "keep "
                  "its settings.")
            .arg(path);
    return {};
}

} // namespace zepla::platform
