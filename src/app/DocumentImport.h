// Opening a file that must first become a PDF: the conversion runs off the UI thread with a progress
// window over the window that asked, then the PDF opens as a document or the failure alert names the file.
#pragma once

#include <QString>

namespace zepla::app {

class DocumentController;

void importDocument(const QString& path, DocumentController& controller);

} // namespace zepla::app
