// Turns pictures, plain text, Markdown, HTML and word-processor files into a PDF in a fresh temporary
// folder, ready to open as an ordinary document.
#pragma once

#include "core/Result.h"
#include "document/importer/ImportProgress.h"

#include <QString>
#include <QStringList>

namespace zepla::document::DocumentImporter {

// Extensions converted as pictures, in this order; every other extension reaching the importer is text.
const QStringList& imageExtensions();

// The PDF written, or why there is none (a sentence a user can read).
struct Failure {
    QString reason;
    bool cancelled = false;
};
using Result = zepla::Result<QString, Failure>;

// Converts the file and returns the path of the new PDF: the file's name with the extension "pdf", in a new
// folder of its own inside the temporary folder. A conversion that fails or is cancelled leaves no folder
// behind. Blocks: run it off the UI thread.
Result convert(const QString& path, const ImportProgress& progress = {});
// Removes a PDF that `convert` made, with its folder.
void discard(const QString& pdfPath);

// The failure alert's texts: the message says why, in the failure's own words.
QString conversionFailureTitle(const QString& path);
QString conversionFailureMessage(const QString& reason);

} // namespace zepla::document::DocumentImporter
