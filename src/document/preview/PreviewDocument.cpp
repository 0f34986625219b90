#include "document/preview/PreviewDocument.h"

#include "convert/OfficeConverter.h"
#include "pdf/PdfReflow.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace zepla::document {

namespace {

pdf::Result<QByteArray> officeToPdf(const QString& path, const std::atomic<bool>* cancelled) {
    QTemporaryDir folder;
    if (!folder.isValid())
        return pdf::Error{pdf::Error::Kind::Failed, QStringLiteral("No temporary folder could be made.")};
    platform::OfficeConverter::Options options;
    options.cancelled = cancelled;
    const platform::ConversionResult converted =
        platform::OfficeConverter::toPdf(path, folder.path(), options);
    if (!converted)
        return pdf::Error{pdf::Error::Kind::Failed, converted.error().message};
    QFile file(converted.value());
    if (!file.open(QIODevice::ReadOnly))
        return pdf::Error{pdf::Error::Kind::Failed, file.errorString()};
    return file.readAll();
}

} // namespace

Result<PreviewDocument, QString> loadPreviewDocument(const QString& path,
                                                     const std::atomic<bool>* cancelled) {
    if (!QFileInfo(path).isFile())
        return QStringLiteral("The file is no longer there.");
    const bool isBook = QFileInfo(path).suffix().toLower() == QLatin1String("epub");
    pdf::Result<QByteArray> bytes =
        isBook ? pdf::reflowableToPdf(path, {612, 792}, 12, cancelled) : officeToPdf(path, cancelled);
    if (!bytes)
        return bytes.error().message;
    pdf::Result<std::shared_ptr<pdf::Document>> opened = pdf::Document::open(bytes.value());
    if (!opened)
        return opened.error().message;
    return PreviewDocument{opened.value(), indexedText(*opened.value())};
}

QString indexedText(const pdf::Document& document) {
    QStringList pages;
    for (int index = 0; index < document.pageCount(); ++index)
        if (pdf::Result<QString> text = document.pageText(index))
            pages << text.value();
    return pages.join(QStringLiteral("\n\n")).trimmed();
}

} // namespace zepla::document
