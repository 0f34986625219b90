#include "TileCache.h"

#include "core/MemoryPressureMonitor.h"

#include <QCache>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace zepla::pdfview::TileCache {

namespace {

constexpr qint64 screensHeld = 6;
constexpr qint64 floorBytes = 64 << 20;

// Costs are counted in kilobytes, so a cache on a large screen stays well within an int.
qint64 cost(const QImage& image) {
    return std::max<qint64>(1, image.sizeInBytes() / 1024);
}

QCache<TileKey, Tile>& cache() {
    static QCache<TileKey, Tile>* instance = [] {
        auto* c = new QCache<TileKey, Tile>(budgetBytes() / 1024);
        // Handlers are never removed, so the cache lives as long as the process.
        platform::MemoryPressureMonitor::shared().onPressure([c] { c->clear(); });
        return c;
    }();
    return *instance;
}

} // namespace

std::optional<Tile> find(const TileKey& key) {
    if (const Tile* tile = cache().object(key))
        return *tile;
    return std::nullopt;
}

qint64 budgetBytes() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return floorBytes;
    const QSizeF pixels = QSizeF(screen->size()) * screen->devicePixelRatio();
    const qint64 screenBytes = qint64(pixels.width()) * qint64(pixels.height()) * 4;
    return std::max(floorBytes, screensHeld * screenBytes);
}

qint64 bytesHeld() {
    return cache().totalCost() * 1024;
}

void insert(const TileKey& key, const Tile& tile) {
    cache().insert(key, new Tile(tile), cost(tile.image));
}

void clear() {
    cache().clear();
}

void removeDocument(quint64 serial) {
    QCache<TileKey, Tile>& tiles = cache();
    for (const TileKey& key : tiles.keys())
        if (key.serial == serial)
            tiles.remove(key);
}

int count() {
    return int(cache().count());
}

} // namespace zepla::pdfview::TileCache
