// Reading a page's text by recognition, without changing the document: the page context menu's text
// extraction.
#pragma once

#include "document/PDFEditorDocument.h"

#include <QObject>

#include <functional>
#include <optional>

namespace zepla::document::PageOCRExtractor {

// Recognises page `index` off the UI thread; `done` gets its lines joined by "\n", or nothing when there is
// no page, its box is empty, recognition fails or finds nothing. `done` runs on the UI thread, and not at
// all when `context` is gone first.
void recognizeText(const pdf::Document& document, int index, QObject* context,
                   std::function<void(std::optional<QString>)> done);

} // namespace zepla::document::PageOCRExtractor
