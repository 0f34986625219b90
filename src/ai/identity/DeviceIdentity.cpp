// The device key file: loading, creating under a lock, atomic private writes; signing request bodies.
#include "identity/DeviceIdentity.h"

#include "core/AppPaths.h"

#include <QCryptographicHash>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <mutex>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zepla::ai::DeviceIdentity {

namespace {

constexpr qsizetype kKeyFileSize = 32;

QString systemError(int code = errno) {
    return QString::fromLocal8Bit(std::strerror(code));
}

// Holds an exclusive lock on the key's folder, so that two processes making the first key at once end up
// with one key rather than each trusting its own.
class FolderLock {
public:
    explicit FolderLock(const QString& folder)
        : m_fd(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        if (m_fd >= 0)
            ::flock(m_fd, LOCK_EX);
    }
    ~FolderLock() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int m_fd;
};

std::optional<DeviceKey> loadFromDisk(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    platform::tightenToOwner(path);
    // One byte more than a key, so that a longer file is seen as invalid.
    return DeviceKey::fromRawRepresentation(file.read(kKeyFileSize + 1));
}

bool writeAll(int fd, const QByteArray& data) {
    qsizetype written = 0;
    while (written < data.size()) {
        const ssize_t step = ::write(fd, data.constData() + written, size_t(data.size() - written));
        if (step < 0 && errno == EINTR)
            continue;
        if (step <= 0)
            return false;
        written += step;
    }
    return true;
}

// The temporary file is born with mode 0600 (mkostemp), so no key byte is ever readable by others; the
// rename then replaces the old file in one step.
std::optional<DeviceIdentityError> saveToDisk(const DeviceKey& key, const QString& path) {
    const QByteArray raw = key.rawRepresentation();
    if (raw.size() != kKeyFileSize)
        return DeviceIdentityError::writeFailed(QStringLiteral("the key has no raw form"));
    QByteArray temporary = QFile::encodeName(path) + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return DeviceIdentityError::writeFailed(systemError());
    const bool written = ::fchmod(fd, S_IRUSR | S_IWUSR) == 0 && writeAll(fd, raw) && ::fsync(fd) == 0;
    const int writeErrno = errno;
    ::close(fd);
    if (written && ::rename(temporary.constData(), QFile::encodeName(path).constData()) == 0)
        return std::nullopt;
    const QString reason = systemError(written ? errno : writeErrno);
    ::unlink(temporary.constData());
    return DeviceIdentityError::writeFailed(reason);
}

} // namespace

QString keyFilePath() {
    const QString folder = platform::applicationSupportDirectory();
    return folder.isEmpty() ? QString() : folder + QStringLiteral("/device-identity.key");
}

Result<DeviceKey, DeviceIdentityError> privateKey() {
    const QString path = keyFilePath();
    if (path.isEmpty())
        return DeviceIdentityError::writeFailed(QStringLiteral("the folder for it cannot be created"));
    if (auto key = loadFromDisk(path))
        return *std::move(key);

    static std::mutex creation;
    const std::lock_guard threads(creation);
    const FolderLock processes(path.section(QLatin1Char('/'), 0, -2));
    // Another thread or process may have made the key while this one waited.
    if (auto key = loadFromDisk(path))
        return *std::move(key);
    auto generated = DeviceKey::generate();
    if (!generated)
        return std::move(generated).error();
    if (auto error = saveToDisk(generated.value(), path))
        return *std::move(error);
    return generated;
}

QString publicKeyBase64(const DeviceKey& key) {
    return QString::fromLatin1(key.publicKeyDER().toBase64());
}

QByteArray signedMessage(QByteArrayView bodyBytes, qint64 timestampMillis) {
    return QByteArray::number(timestampMillis) + '.' +
           QCryptographicHash::hash(bodyBytes, QCryptographicHash::Sha256).toHex();
}

Result<QString, DeviceIdentityError> sign(const DeviceKey& key, QByteArrayView bodyBytes,
                                          qint64 timestampMillis) {
    auto signature = key.signatureRaw(signedMessage(bodyBytes, timestampMillis));
    if (!signature)
        return std::move(signature).error();
    return QString::fromLatin1(signature.value().toBase64());
}

} // namespace zepla::ai::DeviceIdentity
