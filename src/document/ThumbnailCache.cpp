#include "document/ThumbnailCache.h"

#include "core/MemoryPressureMonitor.h"
#include "pdf/PdfDocument.h"

#include <QCache>

#include <mutex>

namespace zepla::document::ThumbnailCache {

namespace {

struct Shared {
    std::mutex mutex;
    QCache<QString, QImage> cache{countLimit};
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
    std::lock_guard lock(s.mutex);
    if (const QImage* image = s.cache.object(key))
        return *image;
    return std::nullopt;
}

void setObject(const QString& key, const QImage& image) {
    Shared& s = shared();
    std::lock_guard lock(s.mutex);
    s.cache.insert(key, new QImage(image), 1);
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
