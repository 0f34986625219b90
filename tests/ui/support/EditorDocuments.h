// Window documents for the widget tests, made from the shared PDF fixtures: plain and password-protected.
#pragma once

#include "PdfFixtures.h"
#include "document/PDFEditorDocument.h"

#include <memory>

namespace testsupport {

// `pages` pages of fixture text, encrypted with AES-256 under `password`.
inline QByteArray encryptedPdf(const QString& password, int pages = 3) {
    auto plain = zepla::pdf::Document::open(fixtures::makeTextPdf(pages)).value();
    zepla::pdf::SaveOptions options;
    options.encryption = zepla::pdf::SaveOptions::Encryption::Aes256;
    options.userPassword = options.ownerPassword = password;
    return plain->save(options).value();
}

// A window's document read from the bytes of a file.
inline std::unique_ptr<zepla::document::PDFEditorDocument> editorDocument(const QByteArray& bytes) {
    auto read = zepla::document::PDFEditorDocument::read(bytes);
    return std::move(read).value();
}

} // namespace testsupport
