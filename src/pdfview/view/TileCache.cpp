#include "TileCache.h"

#include "core/MemoryPressureMonitor.h"

#include <QCache>

namespace zepla::pdfview::TileCache {

namespace {

QCache<TileKey, Tile>& cache() {
    static QCache<TileKey, Tile>* instance = [] {
        auto* c = new QCache<TileKey, Tile>(budgetKiB);
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

void insert(const TileKey& key, const Tile& tile) {
    const qsizetype kib = std::max<qsizetype>(1, tile.image.sizeInBytes() / 1024);
    cache().insert(key, new Tile(tile), kib);
}

void clear() {
    cache().clear();
}

int count() {
    return int(cache().count());
}

} // namespace zepla::pdfview::TileCache
