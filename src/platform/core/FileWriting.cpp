#include "core/FileWriting.h"

#include <QFileDevice>

namespace zepla::platform {

bool writeAll(QFileDevice& file, const QByteArray& bytes) {
    qsizetype written = 0;
    while (written < bytes.size()) {
        const qint64 n = file.write(bytes.constData() + written, bytes.size() - written);
        if (n <= 0)
            return false;
        written += qsizetype(n);
    }
    return true;
}

} // namespace zepla::platform
