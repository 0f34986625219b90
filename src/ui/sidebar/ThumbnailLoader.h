// Page thumbnails for the sidebar: looked up in the shared thumbnail cache, rendered off the UI thread on a
// miss, the pages on screen first.
#pragma once

#include <QImage>
#include <QObject>
#include <QSet>
#include <QSizeF>
#include <QString>

#include <deque>
#include <memory>
#include <optional>
#include <vector>

namespace zepla::pdf {
class Document;
}

namespace zepla::ui {

class ThumbnailLoader : public QObject {
    Q_OBJECT

public:
    // Every thumbnail fits this box, in device-independent pixels, whatever the sidebar's width.
    static constexpr QSizeF thumbnailSize{280, 360};

    explicit ThumbnailLoader(QObject* parent = nullptr);

    // The device pixels per device-independent pixel that thumbnails are rendered for.
    void setDevicePixelRatio(qreal ratio);

    // The cached thumbnail of a page, or nothing.
    std::optional<QImage> thumbnail(const pdf::Document& document, int page) const;

    // The pages to render, most wanted first; this replaces whatever was still waiting, so pages scrolled
    // out of sight before their turn are never rendered. Cached pages and pages already rendering are
    // skipped.
    void request(const std::shared_ptr<pdf::Document>& document, const std::vector<int>& pages);

    // Renders waiting or running.
    bool isBusy() const { return !m_waiting.empty() || m_running > 0; }

signals:
    // A thumbnail of this page landed in the cache.
    void thumbnailReady(int page);

private:
    void startWaiting();
    void finished(const QString& key, int page, bool rendered);

    std::weak_ptr<pdf::Document> m_document;
    std::deque<int> m_waiting;
    QSet<QString> m_rendering; // cache keys of the renders under way
    QSet<QString> m_failed;    // pages that cannot be drawn keep their placeholder instead of being retried
    int m_running = 0;
    int m_maxRunning;
    qreal m_devicePixelRatio = 1.0;
};

} // namespace zepla::ui
