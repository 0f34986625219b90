// How a signature drawn on the pad becomes an image: its strokes smoothed through the midpoints of their
// samples, rendered in black on a transparent bitmap at twice the pad's size, and trimmed to the ink.
#pragma once

#include <QImage>
#include <QList>
#include <QPainterPath>
#include <QPen>
#include <QPointF>
#include <QSizeF>

#include <optional>

namespace zepla::annotations::SignatureDrawing {

using Stroke = QList<QPointF>;

// The pad's canvas in points, and the scale its strokes are saved at.
inline constexpr QSizeF canvasSize{420, 180};
inline constexpr qreal saveScale = 2;
// Pixels whose opacity is at most this count as empty when trimming.
inline constexpr int emptyAlpha = 10;
// The margin kept around the ink, in pixels.
inline constexpr int trimMargin = 6;

// Black, 3 points wide, round caps and joins.
QPen strokePen();

// From the first sample through the midpoints of consecutive samples (quadratic pieces controlled by the
// samples between them) to the last sample; a straight piece for one or two samples.
QPainterPath smoothedPath(const Stroke& points);

// The strokes alone at the save scale: a transparent 840 × 360 bitmap with black ink.
QImage render(const QList<Stroke>& strokes);

// The image cropped to its ink with the margin where the bitmap allows it; a margin cut off at the left or
// top is added at the right or bottom. Nothing when no pixel is more opaque than `emptyAlpha`; an image
// without an alpha channel comes back whole.
std::optional<QImage> trimmedToOpaqueContent(const QImage& image);

} // namespace zepla::annotations::SignatureDrawing
