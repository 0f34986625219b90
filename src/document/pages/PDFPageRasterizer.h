// The one page renderer of the program: a page as a bitmap at a chosen scale, with its annotations, on
// white, and optionally something drawn over it in page points (redaction, the OCR text layer).
#pragma once

#include "pdf/PdfDocument.h"

#include <QImage>
#include <QPainter>

#include <functional>

namespace zepla::document::PDFPageRasterizer {

// Draws over the page; the painter works in page points, y up, origin where the page's own coordinates
// have it.
using Overlay = std::function<void(QPainter&)>;

// Larger pictures are not made: a page that would need more pixels is drawn at the scale that fits, so a
// 200-inch page never costs gigabytes.
constexpr double maxPixels = 40'000'000;

// The scale for an area of `size` points: `scale`, or lower when the picture would pass `maxPixels`.
double cappedScale(const QSizeF& size, double scale);

// The page's media box at `scale` pixels per point (capped), premultiplied RGBA, white where the page
// paints nothing; null when the box is empty, the picture would be under one pixel, or drawing fails.
QImage render(const pdf::Document& document, int pageIndex, double scale, const Overlay& overlay = {});
// The same over any area of the page (page space): flattening keeps to what the reader sees, the crop box.
QImage render(const pdf::Document& document, int pageIndex, double scale, const QRectF& area,
              const Overlay& overlay = {});

} // namespace zepla::document::PDFPageRasterizer
