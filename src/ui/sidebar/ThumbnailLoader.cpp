#include "ui/sidebar/ThumbnailLoader.h"

#include "core/MemoryRelease.h"
#include "document/ThumbnailCache.h"
#include "pdf/PdfDocument.h"
#include "pdf/PdfRender.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThread>
#include <QThreadPool>

#include <algorithm>

namespace zepla::ui {

namespace {

// Thumbnails are drawn on workers of their own. Qt's global pool also runs the helpers that painting and
// image conversion on the UI thread hand work to and wait for: a global pool full of thumbnails after every
// page edit held the window until a thumbnail finished.
QThreadPool& thumbnailPool() {
    static QThreadPool* pool = [] {
        auto* p = new QThreadPool;
        p->setMaxThreadCount(std::max(2, QThread::idealThreadCount() - 1));
        p->setExpiryTimeout(platform::idleWorkerExpiryMs);
        return p;
    }();
    return *pool;
}

QImage renderThumbnail(const pdf::DisplayList& list, qreal devicePixelRatio) {
    const QSizeF page = list.geometry().displaySize();
    if (page.isEmpty())
        return {};
    const double scale = std::min(ThumbnailLoader::thumbnailSize.width() / page.width(),
                                  ThumbnailLoader::thumbnailSize.height() / page.height());
    QImage image = list.render(scale * devicePixelRatio);
    image.setDevicePixelRatio(devicePixelRatio);
    return image;
}

} // namespace

ThumbnailLoader::ThumbnailLoader(QObject* parent)
    : QObject(parent), m_maxRunning(thumbnailPool().maxThreadCount()) {}

void ThumbnailLoader::setDevicePixelRatio(qreal ratio) {
    m_devicePixelRatio = ratio;
}

std::optional<QImage> ThumbnailLoader::thumbnail(const pdf::Document& document, int page) const {
    return document::ThumbnailCache::object(document::ThumbnailCache::key(document, page));
}

void ThumbnailLoader::request(const std::shared_ptr<pdf::Document>& document, const std::vector<int>& pages) {
    m_document = document;
    m_waiting.assign(pages.begin(), pages.end());
    startWaiting();
}

void ThumbnailLoader::startWaiting() {
    const std::shared_ptr<pdf::Document> document = m_document.lock();
    while (document && m_running < m_maxRunning && !m_waiting.empty()) {
        const int page = m_waiting.front();
        m_waiting.pop_front();
        // Keyed now: a render that an edit overtakes lands under the old revision, where nobody looks.
        const QString key = document::ThumbnailCache::key(*document, page);
        if (m_rendering.contains(key) || m_failed.contains(key) || document::ThumbnailCache::contains(key))
            continue;
        // Recording is quick and needs the document; the rasterising that follows does not.
        auto list = document->displayList(page);
        if (!list) {
            m_failed.insert(key);
            continue;
        }
        m_rendering.insert(key);
        ++m_running;
        thumbnailPool().start([list = std::move(list.value()), ratio = m_devicePixelRatio, key, page,
                               self = QPointer<ThumbnailLoader>(this)]() mutable {
            const QImage image = renderThumbnail(list, ratio);
            if (!image.isNull())
                document::ThumbnailCache::setObject(key, image);
            // Delivered through the application object, which outlives every loader.
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [self = std::move(self), key, page, rendered = !image.isNull()] {
                    if (self)
                        self->finished(key, page, rendered);
                },
                Qt::QueuedConnection);
        });
    }
}

void ThumbnailLoader::finished(const QString& key, int page, bool rendered) {
    m_rendering.remove(key);
    --m_running;
    if (rendered)
        emit thumbnailReady(page);
    else
        m_failed.insert(key);
    startWaiting();
}

} // namespace zepla::ui
