#include "document/passwords/PasswordCopies.h"

#include "document/pages/DerivedFile.h"
#include "pdf/PdfDocument.h"

#include <QFileInfo>

namespace zepla::document::PasswordCopies {

namespace {

pdf::Status writeCopy(const pdf::Document& document, const QString& path, const pdf::SaveOptions& options) {
    auto bytes = document.save(options);
    if (!bytes)
        return bytes.error();
    return writeDerivedBytes(bytes.value(), path);
}

pdf::SaveOptions unprotected() {
    pdf::SaveOptions options;
    options.encryption = pdf::SaveOptions::Encryption::None;
    return options;
}

} // namespace

QString baseName(const QString& filePath) {
    const QString name = QFileInfo(filePath).completeBaseName();
    return filePath.isEmpty() || name.isEmpty() ? QStringLiteral("Document") : name;
}

QString protectedCopyName(const QString& baseName) {
    return baseName + QStringLiteral(" (Protected).pdf");
}

QString unlockedCopyName(const QString& baseName) {
    return baseName + QStringLiteral(" (Unlocked).pdf");
}

pdf::Status writeProtectedCopy(const pdf::Document& document, const QString& path, const QString& password) {
    pdf::SaveOptions options;
    options.encryption = pdf::SaveOptions::Encryption::Aes256;
    options.userPassword = password;
    options.ownerPassword = password;
    return writeCopy(document, path, options);
}

pdf::Status writeUnlockedCopy(const pdf::Document& document, const QString& path) {
    return writeCopy(document, path, unprotected());
}

Outcome removePassword(const pdf::Document& document, const QString& path) {
    auto bytes = document.save(unprotected());
    // A copy refused by the check of what it holds says why; one the location did not take, where.
    if (!bytes)
        return {QStringLiteral("Couldn't Save"), bytes.error().message};
    if (!writeDerivedBytes(bytes.value(), path))
        return {QStringLiteral("Couldn't Save"),
                QStringLiteral("The unlocked copy couldn't be written to that location.")};
    return {QStringLiteral("Password Removed"),
            QStringLiteral("Saved an unprotected copy to %1.").arg(QFileInfo(path).fileName())};
}

} // namespace zepla::document::PasswordCopies
