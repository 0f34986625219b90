// The two copies the password tools write: one protected with a password, one without any. The open
// document and its file are never changed: both are new files where the user chooses.
#pragma once

#include "pdf/PdfError.h"

#include <QString>

namespace zepla::pdf {
class Document;
}

namespace zepla::document::PasswordCopies {

// The window file's name without its extension, or "Document" for a window without a file.
QString baseName(const QString& filePath);
// "<base> (Protected).pdf" and "<base> (Unlocked).pdf".
QString protectedCopyName(const QString& baseName);
QString unlockedCopyName(const QString& baseName);

// Writes the document as it is now (annotations included), encrypted with AES-256 under `password` as both
// the user and the owner password. The file is replaced whole or left as it was.
pdf::Status writeProtectedCopy(const pdf::Document& document, const QString& path, const QString& password);
// Writes the document as it is now without any encryption, keeping its outline and information.
pdf::Status writeUnlockedCopy(const pdf::Document& document, const QString& path);

// What the user is told after an attempt to write the unprotected copy.
struct Outcome {
    QString title;
    QString message;
};
Outcome removePassword(const pdf::Document& document, const QString& path);

} // namespace zepla::document::PasswordCopies
