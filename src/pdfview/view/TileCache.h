// The process-wide cache of rendered page tiles, bounded in bytes by a budget tied to the screen's size and
// emptied on memory pressure. Main thread only.
#pragma once

#include <QHashFunctions>
#include <QImage>

#include <compare>
#include <optional>

namespace zepla::pdfview {

// One square of a page rendered at one scale. The document's serial number keeps documents apart.
struct TileKey {
    quint64 serial = 0;
    int page = 0;
    int scaleKey = 0; // device pixels per point, in thousandths
    int column = 0;
    int row = 0;
    auto operator<=>(const TileKey&) const = default;
};

inline size_t qHash(const TileKey& k, size_t seed = 0) {
    return qHashMulti(seed, k.serial, k.page, k.scaleKey, k.column, k.row);
}

// A rendered tile and the document revision it shows: an older revision is still worth drawing until the
// new render arrives.
struct Tile {
    QImage image;
    quint64 revision = 0;
};

namespace TileCache {

// Side of a tile in device pixels.
inline constexpr int tileSize = 1024;

// What the cache may hold, in bytes: a few screens' worth of pixels, enough for what is on screen, the
// half screens drawn ahead above and below, and the way back, with a floor for small screens.
qint64 budgetBytes();
qint64 bytesHeld();

std::optional<Tile> find(const TileKey& key);
void insert(const TileKey& key, const Tile& tile);
void clear();
// Drops every tile of one document: the view showing it lets it go.
void removeDocument(quint64 serial);
int count();

} // namespace TileCache

} // namespace zepla::pdfview
