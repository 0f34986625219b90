// Pictures of pages and pages made of a picture: a part of a page drawn as its own coordinates run, and a
// page that shows only an image in place of another (redaction, the OCR text layer).
#pragma once

#include "PdfDocument.h"

namespace zepla::pdf {

// A part of the page (page space, as the page's own coordinates run: no rotation, nothing outside the area)
// at `scale` pixels per point, annotations included, on white; premultiplied RGBA with the area's top edge
// in the first row.
Result<QImage> renderArea(const Document& document, int index, double scale, const QRectF& area);

// Puts a page that shows only `picture` over `imageArea` (page space) in place of page `index`, with the
// old page's boxes and rotation. Returns the page taken out, which `insertPage` can put back.
Result<PageHandle> replaceWithImagePage(Document& document, int index, const QImage& picture,
                                        const QRectF& imageArea);

} // namespace zepla::pdf
