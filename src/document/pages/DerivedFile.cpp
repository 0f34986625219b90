#include "document/pages/DerivedFile.h"

#include "core/FileWriting.h"
#include "pdf/PdfDocument.h"

#include <QSaveFile>

namespace zepla::document {

pdf::Status writeDerivedFile(const pdf::Document& document, const QString& path) {
    auto bytes = document.save();
    if (!bytes)
        return bytes.error();
    return writeDerivedBytes(bytes.value(), path);
}

pdf::Status writeDerivedBytes(const QByteArray& bytes, const QString& path) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !platform::writeAll(file, bytes) || !file.commit())
        return pdf::Error{pdf::Error::Kind::Failed,
                          QStringLiteral("“%1” could not be written: %2").arg(path, file.errorString())};
    return {};
}

} // namespace zepla::document
