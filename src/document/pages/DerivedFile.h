// Writing a new PDF made from the open one (extracted pages, merged files, split halves) to a file.
#pragma once

#include "pdf/PdfError.h"

#include <QByteArray>
#include <QString>

namespace zepla::pdf {
class Document;
}

namespace zepla::document {

// Saves `document` as a whole new file at `path`, atomically: the file is either completely written or
// left as it was.
pdf::Status writeDerivedFile(const pdf::Document& document, const QString& path);
// The same for a copy already saved to bytes.
pdf::Status writeDerivedBytes(const QByteArray& bytes, const QString& path);

} // namespace zepla::document
