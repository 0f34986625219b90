#include "core/AppPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <sys/stat.h>

namespace zepla::platform {

bool ensurePrivateDirectory(const QString& path) {
    QFileInfo info(path);
    if (info.isDir())
        return true;
    const QString parent = info.absolutePath();
    if (!QFileInfo(parent).isDir() && !QDir().mkpath(parent))
        return false;
    // mkdir with the final mode, so the folder is never open to others, not even for an instant.
    if (::mkdir(QFile::encodeName(path).constData(), 0700) != 0)
        return QFileInfo(path).isDir();
    return true;
}

void tightenToOwner(const QString& path) {
    struct stat status {};
    const QByteArray name = QFile::encodeName(path);
    if (::stat(name.constData(), &status) == 0 && S_ISREG(status.st_mode) && (status.st_mode & 0077))
        ::chmod(name.constData(), status.st_mode & 0600);
}

QString applicationSupportDirectory() {
    const QString dir =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Zepla");
    if (!ensurePrivateDirectory(dir))
        return {};
    // It holds the device key and the chats: a folder made by hand or by an older version, open to others,
    // is closed to them.
    struct stat status {};
    const QByteArray name = QFile::encodeName(dir);
    if (::stat(name.constData(), &status) == 0 && S_ISDIR(status.st_mode) && (status.st_mode & 0077))
        ::chmod(name.constData(), status.st_mode & 0700);
    return dir;
}

} // namespace zepla::platform
