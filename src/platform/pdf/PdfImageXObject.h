// Image XObjects written into a document: 8-bit samples compressed with Flate before any MuPDF call, their
// opacity as a soft mask, so that no picture is ever held as raw pixels inside the document.
#pragma once

#include "PdfContext.h"
#include "PdfDocument.h"

namespace zepla::pdf {

// Inside a MuPDF try block: the image XObject with its soft mask; the caller owns the new reference.
pdf_obj* addDeflatedImage(fz_context* ctx, pdf_document* doc, const DeflatedImage& image);

} // namespace zepla::pdf
