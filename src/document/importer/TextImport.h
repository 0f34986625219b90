// Plain text, Markdown and HTML laid out on US Letter pages inside 54-point margins and written as a PDF.
#pragma once

#include "document/importer/ImportProgress.h"

#include <QString>

namespace zepla::document {

// Writes the PDF of the text file at `pdfPath`; returns an empty string, or why it could not.
// Text must be valid UTF-8; Markdown is shown as its source text; HTML loses its background colours and
// loads nothing from the network.
QString textToPdf(const QString& path, const QString& pdfPath, const ImportProgress& progress);

} // namespace zepla::document
