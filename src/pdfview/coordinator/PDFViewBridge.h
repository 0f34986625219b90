// Puts a window's PDF view in place: shows the document the way every window does (continuous pages with
// breaks, fitted to the width), hands the view and the file to the coordinator, and goes back to the page
// the user last viewed in that file.
#pragma once

#include "pdf/PdfDocument.h"

#include <QColor>
#include <QString>

#include <memory>
#include <optional>

namespace zepla::pdfview {

class PDFView;
class PDFViewCoordinator;

namespace PDFViewBridge {

// The remembered page of the file worth going back to: stored, at least 1 (the view starts on the first
// page anyway) and within the document.
std::optional<int> pageToRestore(const QString& filePath, int pageCount);

// Configures `view` for `document`, attaches it to `coordinator` under `filePath` (empty for a document
// without a file) and, on the next turn of the event loop, goes to the remembered page.
void attach(PDFView& view, PDFViewCoordinator& coordinator, std::shared_ptr<pdf::Document> document,
            const QString& filePath, const QColor& background);

} // namespace PDFViewBridge

} // namespace zepla::pdfview
