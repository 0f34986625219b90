// The OCR text layer: pages without text recognised and rebuilt as their picture with the recognised words
// drawn invisibly on top, replacing the page in the open document as one undo step.
#pragma once

#include "PageRecognition.h"
#include "core/UndoManager.h"
#include "document/PDFEditorDocument.h"
#include "document/pages/PageOperations.h"

#include <QObject>

#include <functional>
#include <optional>

namespace zepla::document::OCRTextLayerApplier {

// Pages whose text, trimmed of white space and line breaks at both ends, is shorter than this many
// user-visible characters need OCR.
constexpr int textCharacterThreshold = 20;

bool pageAlreadyHasText(const pdf::Document& document, int index);
// The pages that need OCR, ascending.
std::vector<int> pagesNeedingOCR(const pdf::Document& document);

// Puts the rebuilt page (the scan itself, or a picture of the page, with the invisible text) in place of the
// recognised page, wherever that page now stands. Nothing when the page has left the document or got a text
// layer in the meantime.
pdf::Result<std::optional<PageOperations::PageReplacement>> flatten(pdf::Document& document,
                                                                    const RecognizedPage& recognized);

// Announces the swapped pages as one edit that undo swaps back.
void replace(PDFEditorDocument& document, std::vector<PageOperations::PageReplacement> entries,
             platform::UndoManager* undoManager);

// The page's text (none when the page has no text to give), or why recognition failed; the page is then
// unchanged.
using PageOutcome = Result<std::optional<QString>, QString>;

// OCR of one page: a page with text gives that text at once and changes nothing; otherwise the page is
// recognised off the UI thread and replaced (one undo step), and `done` gets the recognised text. `done`
// runs on the UI thread, and not at all when `context` is gone first.
void applyToCurrentPage(PDFEditorDocument& document, int index, platform::UndoManager* undoManager,
                        QObject* context, std::function<void(PageOutcome)> done);

} // namespace zepla::document::OCRTextLayerApplier
