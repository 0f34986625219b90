#include "core/Settings.h"

#include "core/AppPaths.h"

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

} // namespace

std::unique_ptr<QSettings> userSettings() {
    const QString path = settingsFilePath();
    createPrivateFile(path);
    return std::make_unique<QSettings>(path, QSettings::IniFormat);
}

} // namespace zepla::platform
