#include "TileRenderer.h"

#include "core/MemoryRelease.h"

#include <QMetaObject>
#include <QRunnable>
#include <QThreadPool>

#include <algorithm>
#include <atomic>
#include <mutex>

namespace zepla::pdfview {

namespace {

QThreadPool& renderPool() {
    static QThreadPool* pool = [] {
        auto* p = new QThreadPool;
        p->setMaxThreadCount(std::clamp(QThread::idealThreadCount() - 1, 1, 4));
        p->setExpiryTimeout(platform::idleWorkerExpiryMs);
        return p;
    }();
    return *pool;
}

// Newer requests run first: what the user looks at now matters more than what was visible a moment ago.
int nextPriority() {
    static std::atomic<int> counter{0};
    return counter.fetch_add(1) & 0x3fffffff;
}

} // namespace

// What a worker shares with the renderer: whether it still exists and which tiles it still wants. Workers
// post their results while holding the lock, so a renderer being destroyed never receives a call.
struct TileRenderer::Channel {
    std::mutex mutex;
    TileRenderer* owner = nullptr;
    std::set<TileKey> wanted;
};

TileRenderer::TileRenderer(QObject* parent) : QObject(parent), m_channel(std::make_shared<Channel>()) {
    m_channel->owner = this;
}

TileRenderer::~TileRenderer() {
    std::lock_guard lock(m_channel->mutex);
    m_channel->owner = nullptr;
}

void TileRenderer::setWanted(std::set<TileKey> wanted) {
    m_wanted = wanted;
    std::lock_guard lock(m_channel->mutex);
    m_channel->wanted = std::move(wanted);
}

bool TileRenderer::isPending(const TileKey& key, quint64 revision) const {
    return m_inFlight.count({key, revision}) != 0;
}

void TileRenderer::request(const TileKey& key, quint64 revision, const pdf::DisplayList& list, double scale,
                           const QRect& area) {
    if (!m_inFlight.insert({key, revision}).second)
        return;
    // A worker may pick the request up before the caller has said what else it wants.
    m_wanted.insert(key);
    {
        std::lock_guard lock(m_channel->mutex);
        m_channel->wanted.insert(key);
    }
    std::shared_ptr<Channel> channel = m_channel;
    renderPool().start(
        [channel, key, revision, list, scale, area] {
            bool wanted = false;
            {
                std::lock_guard lock(channel->mutex);
                wanted = channel->owner && channel->wanted.count(key);
            }
            const QImage image = wanted ? list.render(scale, area) : QImage();
            std::lock_guard lock(channel->mutex);
            if (TileRenderer* owner = channel->owner) {
                QMetaObject::invokeMethod(
                    owner,
                    [owner, key, revision, image, wanted] { owner->finished(key, revision, image, !wanted); },
                    Qt::QueuedConnection);
            }
        },
        nextPriority());
}

void TileRenderer::finished(const TileKey& key, quint64 revision, const QImage& image, bool skipped) {
    m_inFlight.erase({key, revision});
    if (!skipped)
        emit tileReady(key, revision, image);
    else if (m_wanted.count(key) != 0)
        emit wantedTileDropped(key);
    if (m_inFlight.empty())
        emit idle();
}

} // namespace zepla::pdfview
