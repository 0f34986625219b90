// The process-wide cache of rendered page thumbnails: 300 images at most, emptied after page edits and on
// memory pressure. Safe to use from any thread. The images are kept compressed: a thumbnail is mostly blank
// paper, and 300 of them as plain pixels would hold over 100 MB while a long document is read.
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

// The image as it was stored (size, format, device pixel ratio and pixels), made anew at every call.
std::optional<QImage> object(const QString& key);
bool contains(const QString& key);
void setObject(const QString& key, const QImage& image);
void removeAllObjects();
// Drops the thumbnails of one document, whatever their revision: the document is closing.
void removeObjects(const pdf::Document& document);
int count();

// Empties the cache on every memory-pressure event; called once at start-up.
void install();

} // namespace zepla::document::ThumbnailCache
