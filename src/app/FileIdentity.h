// Which file a path names, and whether it is still the same: device, inode, size and modification time.
#pragma once

#include <QString>

#include <optional>

namespace zepla::app {

struct FileIdentity {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0; // nanoseconds since the epoch

    bool operator==(const FileIdentity&) const = default;

    // Nothing when the path names no file (deleted, or never written).
    static std::optional<FileIdentity> ofPath(const QString& path);
    // The file open on `descriptor`: the very one that was read, whatever the path names by now.
    static std::optional<FileIdentity> ofDescriptor(int descriptor);
};

} // namespace zepla::app
