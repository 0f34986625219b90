// Makes redactions permanent: every page with pending redaction marks is replaced by a picture of what
// the reader sees of it, the marks burnt in as black boxes, so the hidden content no longer exists in the
// document. All pages are replaced as one undoable edit.
#pragma once

#include "document/PDFEditorDocument.h"

namespace zepla::platform {
class UndoManager;
}

namespace zepla::pdfview {

struct RedactionOutcome {
    int pagesRedacted = 0;
    // Pages with marks that could not be drawn or rebuilt: left as they were, marks and all.
    int pagesFailed = 0;
};

namespace RedactionApplier {

// Pixels per point of the pictures that replace redacted pages (lower for very large pages).
constexpr double scale = 3.0;

// Main thread only.
RedactionOutcome apply(document::PDFEditorDocument& document, platform::UndoManager* undoManager);

} // namespace RedactionApplier

} // namespace zepla::pdfview
