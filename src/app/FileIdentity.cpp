#include "app/FileIdentity.h"

#include <QFile>

#include <sys/stat.h>

namespace zepla::app {

namespace {

FileIdentity fromStat(const struct stat& info) {
    return {quint64(info.st_dev), quint64(info.st_ino), qint64(info.st_size),
            qint64(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
}

} // namespace

std::optional<FileIdentity> FileIdentity::ofPath(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return fromStat(info);
}

std::optional<FileIdentity> FileIdentity::ofDescriptor(int descriptor) {
    struct stat info {};
    if (descriptor < 0 || ::fstat(descriptor, &info) != 0)
        return std::nullopt;
    return fromStat(info);
}

} // namespace zepla::app
