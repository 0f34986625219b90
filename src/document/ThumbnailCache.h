// The process-wide cache of rendered page thumbnails: 300 images at most, emptied after page edits and on
// memory pressure. Safe to use from any thread.
#pragma once

#include <QImage>
#include <QString>

#include <optional>

namespace zepla::pdf {
class Document;
}

namespace zepla::document::ThumbnailCache {

inline constexpr int countLimit = 300;

// The key of a page thumbnail: the document's serial number (never reused, unlike an address), its
// revision (bumped by every edit) and the page index: "<serial>.<revision>-<page>". A render keyed when it
// started and stored when it ends is stored under its old revision, where no reader looks any more, so a
// slow render finishing after an edit never shows a stale picture.
QString key(const pdf::Document& document, int page);
// The key of a recent file's first page: "recent-" followed by the path.
QString recentKey(const QString& path);

std::optional<QImage> object(const QString& key);
void setObject(const QString& key, const QImage& image);
void removeAllObjects();
// Drops the thumbnails of one document, whatever their revision: the document is closing.
void removeObjects(const pdf::Document& document);
int count();

// Empties the cache on every memory-pressure event; called once at start-up.
void install();

} // namespace zepla::document::ThumbnailCache
