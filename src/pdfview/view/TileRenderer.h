// Rasterises page tiles on worker threads: display lists recorded on the main thread are drawn by a
// thread pool and the images come back to the main thread as queued signals. Requests for tiles that are
// no longer wanted (scrolled away) are dropped before they are drawn, and the newest request goes first.
// No result is lost: a tile asked for is wanted from that moment, and a dropped tile that is wanted again
// by the time the drop comes back is reported, so the view asks for it anew.
#pragma once

#include "TileCache.h"
#include "pdf/PdfRender.h"

#include <QObject>
#include <QRect>

#include <memory>
#include <set>

namespace zepla::pdfview {

class TileRenderer : public QObject {
    Q_OBJECT

public:
    explicit TileRenderer(QObject* parent = nullptr);
    ~TileRenderer() override;

    // Draws `area` (device pixels) of the page at `scale` unless that tile of that revision is on its way.
    // The tile counts as wanted until the next `setWanted`.
    void request(const TileKey& key, quint64 revision, const pdf::DisplayList& list, double scale,
                 const QRect& area);
    // The tiles still worth drawing; queued requests for others are skipped.
    void setWanted(std::set<TileKey> wanted);
    bool isPending(const TileKey& key, quint64 revision) const;
    bool isIdle() const { return m_inFlight.empty(); }

signals:
    // A null image means the tile could not be drawn.
    void tileReady(const zepla::pdfview::TileKey& key, quint64 revision, const QImage& image);
    // A tile was dropped before it was drawn, but is wanted again now: it needs a new request.
    void wantedTileDropped(const zepla::pdfview::TileKey& key);
    // Nothing is on its way any more.
    void idle();

private:
    struct Channel;
    void finished(const TileKey& key, quint64 revision, const QImage& image, bool skipped);

    std::shared_ptr<Channel> m_channel;
    std::set<TileKey> m_wanted; // the main thread's copy of the channel's set
    std::set<std::pair<TileKey, quint64>> m_inFlight;
};

} // namespace zepla::pdfview
