// The application-wide cache of formula images: LaTeX in, a tight transparent bitmap of the typeset formula
// out, at most 500 kept and all of them dropped on memory pressure. Main thread only, but for the drawing
// itself (renderUncached), which any thread may run: large formulas are typeset on a worker thread.
#pragma once

#include <QColor>
#include <QImage>
#include <QObject>
#include <QRect>
#include <QString>

#include <functional>
#include <optional>

namespace zepla::ui::MathImageRenderer {

inline constexpr int countLimit = 500;
// The largest canvas a formula is drawn on, in device pixels: a side, and the whole area (64 MB).
inline constexpr int maxCanvasSide = 8192;
inline constexpr qint64 maxCanvasPixels = 16'000'000;
// The clear border kept around a formula's ink, in points, and the alpha that counts as ink.
inline constexpr int cropMargin = 3;
inline constexpr int inkAlpha = 11;

// The text keys under which a formula image carries its baseline, the formula's baseline as a distance from
// the image's top edge in device pixels, and the typeset formula's height above and depth below it, in
// points.
inline constexpr char baselineKey[] = "baseline";
inline constexpr char ascentKey[] = "ascent";
inline constexpr char descentKey[] = "descent";

// A typeset formula's extent about its baseline, in points.
struct Box {
    qreal ascent = 0;
    qreal descent = 0;
};

// Empties the cache on every memory-pressure event; called once at start-up.
void install();

// The ratio of the primary screen, 1 without one.
qreal screenDevicePixelRatio();

// A number as the cache key writes it: the shortest text that reads back as the same double, with a
// fractional part on whole numbers ("15.0", "0.5", "1e-05").
QString keyNumber(double value);
// "latex|size|r,g,b,a": the LaTeX as given, the size, the colour's RGB components and alpha. A ratio other
// than 1 adds "|ratio".
QString cacheKey(const QString& latex, qreal fontSize, const QColor& color, qreal devicePixelRatio = 1);

// The formula at `fontSize` points in `color`, drawn at `devicePixelRatio` pixels per point and carrying that
// ratio; from the cache when it holds it. None for a formula that does not parse or draws nothing; that is
// not cached.
std::optional<QImage> render(const QString& latex, qreal fontSize, const QColor& color,
                             qreal devicePixelRatio = screenDevicePixelRatio());
// The cached image under a cache key, without drawing it when the cache lacks it.
std::optional<QImage> cached(const QString& key);

// Formulas of this many characters and more are typeset on a worker thread rather than where a view asks
// for them: parsing, laying out and drawing one takes more than a slice of a frame (SliceBudget), a
// megabyte about a second.
inline constexpr qsizetype backgroundCharacters = 2048;
inline bool typesetsInBackground(const QString& latex) {
    return latex.size() >= backgroundCharacters;
}
// render() on a worker thread: `done` gets the image, or none, on the main thread unless `context` is gone by
// then; the image is cached there first. A formula asked for again while it is typeset is not typeset twice:
// every caller gets the one result.
void renderInBackground(const QString& latex, qreal fontSize, const QColor& color, qreal devicePixelRatio,
                        QObject* context, std::function<void(const std::optional<QImage>&)> done);
// What a view shows for a formula until its image comes: a faint band in `color`, four ems wide and a
// line of the formula's size high, carrying a baseline and a box as a formula image does.
QImage placeholder(qreal fontSize, const QColor& color, qreal devicePixelRatio = screenDevicePixelRatio());
// How far the image reaches below the formula's baseline, in device-independent pixels: the formula's depth
// and the clear border under it. 0 for an image without a baseline.
qreal depthBelowBaseline(const QImage& image);
// The formula's baseline in the image: device pixels from its top edge; the image's height for an image
// without one.
qreal baselineRow(const QImage& image);
// The typeset formula's extent the image carries; none for an image without one.
Box typesetBox(const QImage& image);
// The drawing itself, without the cache, on any thread. The formula is laid out in display style as the
// formula view lays it out, and drawn as the view draws it, on a canvas of its own size, bounded by
// maxCanvasSide and maxCanvasPixels: a larger formula is clipped, with a warning. The image carries its
// baseline under baselineKey.
std::optional<QImage> renderUncached(const QString& latex, qreal fontSize, const QColor& color,
                                     qreal devicePixelRatio = screenDevicePixelRatio());

// The bitmap's ink (pixels of alpha inkAlpha and more) with cropMargin points of clear border, the border
// clipped at the bitmap's edges; a border cut at the left or top is made up for on the right or bottom as far
// as the bitmap reaches. None when nothing is drawn.
std::optional<QRect> contentRect(const QImage& bitmap);
std::optional<QImage> trimmedToContent(const QImage& bitmap);

int count();
void removeAllObjects();

} // namespace zepla::ui::MathImageRenderer
