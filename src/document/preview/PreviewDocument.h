// What the preview window shows of a file it cannot edit, and the text the assistant reads from it:
// spreadsheets and presentations converted to PDF by LibreOffice, books laid out by MuPDF.
#pragma once

#include "core/Result.h"
#include "pdf/PdfDocument.h"

#include <QString>

#include <atomic>
#include <memory>

namespace zepla::document {

struct PreviewDocument {
    std::shared_ptr<pdf::Document> pdf;
    QString indexedText; // the pages' text, trimmed; empty when there is none
};

// Converts and reads the file, or says why there is no PDF in a sentence a user can read. Blocks (LibreOffice
// may take seconds): call it off the UI thread. The document it returns has not been touched by any other
// thread.
Result<PreviewDocument, QString> loadPreviewDocument(const QString& path,
                                                     const std::atomic<bool>* cancelled = nullptr);

// Every page's text in order, pages separated by a blank line, trimmed of white space at both ends.
QString indexedText(const pdf::Document& document);

} // namespace zepla::document
