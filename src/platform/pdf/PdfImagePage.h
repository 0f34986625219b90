// Pictures of pages and pages made of a picture: a part of a page drawn as its own coordinates run, and the
// one builder of pages that show only an image (imported pictures, redaction, the OCR text layer,
// compressed copies).
#pragma once

#include "PdfDocument.h"

namespace zepla::pdf {

// A part of the page (page space, as the page's own coordinates run: no rotation, nothing outside the area)
// at `scale` pixels per point, annotations included, on white; premultiplied RGBA with the area's top edge
// in the first row.
Result<QImage> renderArea(const Document& document, int index, double scale, const QRectF& area);
// The same drawn into pixels of the caller's, as many as `into` holds.
Status renderArea(const Document& document, int index, double scale, const QRectF& area, const Pixels& into);

// A page that shows only a picture. Pixels are stored Flate-compressed the moment the page is made, JPEG
// data exactly as encoded, so a document of picture pages never holds raw pixmaps.
struct ImagePage {
    QRectF mediaBox; // page space
    QRectF cropBox;  // empty, or the media box itself, when the page has no crop box of its own
    int rotation = 0;
    PageImage image;
};

// Puts the page in at `index` (-1: after the last page) and returns it.
Result<PageHandle> insertImagePage(Document& document, int index, const ImagePage& page);
// The same with the picture's pixels compressed beforehand (none for JPEG data); `page.image.pixels` is not
// read.
Result<PageHandle> insertImagePage(Document& document, int index, const ImagePage& page,
                                   const DeflatedImage& pixels);

// A picture over an area of a page (page space), its pixels compressed by whichever thread makes it: work
// prepared on a worker leaves only a quick swap for the thread that owns the document.
struct PreparedPicture {
    DeflatedImage pixels;
    QRectF area;
};
PreparedPicture preparePicture(const QImage& picture, const QRectF& area);

// Puts a page that shows only the picture over its area in place of page `index`, with the old page's boxes
// and rotation. Returns the page taken out, which `insertPage` can put back.
Result<PageHandle> replaceWithImagePage(Document& document, int index, const PreparedPicture& picture);
Result<PageHandle> replaceWithImagePage(Document& document, int index, const QImage& picture,
                                        const QRectF& imageArea);

} // namespace zepla::pdf
