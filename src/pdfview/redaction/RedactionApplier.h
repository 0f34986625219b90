// Makes redactions permanent: every page with pending redaction marks is replaced by a picture of what
// the reader sees of it, the marks burnt in as black boxes, so the hidden content no longer exists in the
// document. All pages are replaced as one undoable edit.
#pragma once

#include "document/PDFEditorDocument.h"
#include "document/pages/PageOperations.h"
#include "pdf/PdfRender.h"

#include <optional>

namespace zepla::platform {
class UndoManager;
}

namespace zepla::pdfview {

struct RedactionOutcome {
    int pagesRedacted = 0;
    // Pages with marks that could not be drawn or rebuilt: left as they were, marks and all.
    int pagesFailed = 0;
    bool cancelled = false;
};

namespace RedactionApplier {

// Pixels per point of the pictures that replace redacted pages (lower for very large pages).
constexpr double scale = 3.0;

// A page with pending marks, taken on the document's thread so that any thread can draw it.
struct MarkedPage {
    pdf::PageHandle page;
    pdf::DisplayList list;
    std::vector<QRectF> boxes; // page space
};

// Page `index` when it has pending marks.
std::optional<MarkedPage> markedPage(const pdf::Document& pdf, int index);
// The pages with pending marks, in page order.
std::vector<MarkedPage> markedPages(const pdf::Document& pdf);

// Any thread: the picture that replaces the page (its shown area with the marks filled black, compressed),
// or nothing when it cannot be drawn.
std::optional<pdf::PreparedPicture> flatten(const MarkedPage& page);

// The document's thread: puts the picture in place of the marked page, wherever it now stands; nothing
// when the page has left the document or the swap fails.
std::optional<document::PageOperations::PageReplacement> swapIn(pdf::Document& pdf, const MarkedPage& page,
                                                                const pdf::PreparedPicture& picture);

// Every marked page drawn and swapped in on the calling thread (the main thread), as one undo step.
RedactionOutcome apply(document::PDFEditorDocument& document, platform::UndoManager* undoManager);

} // namespace RedactionApplier

} // namespace zepla::pdfview
