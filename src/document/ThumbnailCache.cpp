#include "document/ThumbnailCache.h"

#include "core/MemoryPressureMonitor.h"
#include "pdf/PdfDocument.h"

#include <QCache>

#include <algorithm>
#include <cstring>
#include <mutex>

namespace zepla::document::ThumbnailCache {

namespace {

// An image's pixels compressed as they lie in memory: exact, and quick both ways (a thumbnail of a page of
// text packs into a few kilobytes in about a millisecond).
struct Packed {
    QByteArray pixels;
    QSize size;
    QImage::Format format = QImage::Format_Invalid;
    qsizetype bytesPerLine = 0;
    qreal devicePixelRatio = 1;
};

Packed pack(const QImage& image) {
    // A colour table would not survive the packing; thumbnails come in plain colour formats anyway.
    const QImage source = image.colorCount() > 0 ? image.convertToFormat(QImage::Format_ARGB32) : image;
    QByteArray pixels = qCompress(source.constBits(), qsizetype(source.sizeInBytes()), 1);
    pixels.squeeze(); // compressing reserved room for the worst case, as large as the pixels themselves
    return {pixels, source.size(), source.format(), source.bytesPerLine(), source.devicePixelRatio()};
}

QImage unpack(const Packed& packed) {
    const QByteArray pixels = qUncompress(packed.pixels);
    QImage image(packed.size, packed.format);
    if (image.isNull() || pixels.size() < packed.bytesPerLine * packed.size.height())
        return {};
    const qsizetype line = std::min(packed.bytesPerLine, image.bytesPerLine());
    for (int y = 0; y < packed.size.height(); ++y)
        std::memcpy(image.scanLine(y), pixels.constData() + y * packed.bytesPerLine, size_t(line));
    image.setDevicePixelRatio(packed.devicePixelRatio);
    return image;
}

struct Shared {
    std::mutex mutex;
    QCache<QString, Packed> cache{countLimit};
};

Shared& shared() {
    static Shared instance;
    return instance;
}

} // namespace

QString key(const pdf::Document& document, int page) {
    return QStringLiteral("%1.%2-%3").arg(document.serial()).arg(document.revision()).arg(page);
}

QString recentKey(const QString& path) {
    return QStringLiteral("recent-") + path;
}

std::optional<QImage> object(const QString& key) {
    Shared& s = shared();
    std::unique_lock lock(s.mutex);
    const Packed* packed = s.cache.object(key);
    if (!packed)
        return std::nullopt;
    const Packed copy = *packed; // shares its bytes: unpacked outside the lock
    lock.unlock();
    QImage image = unpack(copy);
    if (image.isNull())
        return std::nullopt;
    return image;
}

bool contains(const QString& key) {
    Shared& s = shared();
    std::lock_guard lock(s.mutex);
    return s.cache.contains(key);
}

void setObject(const QString& key, const QImage& image) {
    auto* packed = new Packed(pack(image));
    Shared& s = shared();
    std::lock_guard lock(s.mutex);
    s.cache.insert(key, packed, 1);
}

void removeAllObjects() {
    Shared& s = shared();
    std::lock_guard lock(s.mutex);
    s.cache.clear();
}

void removeObjects(const pdf::Document& document) {
    const QString prefix = QStringLiteral("%1.").arg(document.serial());
    Shared& s = shared();
    std::lock_guard lock(s.mutex);
    for (const QString& key : s.cache.keys())
        if (key.startsWith(prefix))
            s.cache.remove(key);
}

int count() {
    Shared& s = shared();
    std::lock_guard lock(s.mutex);
    return int(s.cache.count());
}

void install() {
    platform::MemoryPressureMonitor::shared().onPressure([] { removeAllObjects(); });
}

} // namespace zepla::document::ThumbnailCache
