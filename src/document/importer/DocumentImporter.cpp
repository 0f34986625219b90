#include "document/importer/DocumentImporter.h"

#include "convert/OfficeConverter.h"
#include "document/importer/ImageImport.h"
#include "document/importer/TextImport.h"

#include <QDir>
#include <QFileInfo>
#include <QUuid>

namespace zepla::document::DocumentImporter {

namespace {

// Where the PDF of `source` goes: a folder named by a random identifier, so conversions never meet.
QString pdfDestinationPath(const QString& source, QString* failure) {
    const QString folder = QDir::temp().filePath(QUuid::createUuid().toString(QUuid::WithoutBraces));
    if (!QDir().mkpath(folder)) {
        *failure = QStringLiteral("No temporary folder could be made for the converted PDF.");
        return {};
    }
    return QDir(folder).filePath(QFileInfo(source).completeBaseName() + QStringLiteral(".pdf"));
}

// An .rtfd package is a folder; its text is the TXT.rtf inside it.
QString officeSource(const QString& path) {
    if (QFileInfo(path).isDir())
        return QDir(path).filePath(QStringLiteral("TXT.rtf"));
    return path;
}

Result convertWithOffice(const QString& path, const QString& destination, const ImportProgress& progress) {
    progress(-1);
    platform::OfficeConverter::Options options;
    options.cancelled = progress.cancelled;
    const platform::ConversionResult converted =
        platform::OfficeConverter::toPdf(officeSource(path), QFileInfo(destination).path(), options);
    if (!converted)
        return Failure{converted.error().message,
                       converted.error().kind == platform::ConversionError::Kind::Cancelled};
    const QString& written = converted.value();
    if (written != destination && !QFile::rename(written, destination))
        return Failure{QStringLiteral("The converted PDF could not be stored.")};
    return destination;
}

bool isOfficeExtension(const QString& extension) {
    static const QStringList office{"rtf", "rtfd", "doc", "docx"};
    return office.contains(extension);
}

Result convertInto(const QString& path, const QString& destination, const ImportProgress& progress) {
    const QString extension = QFileInfo(path).suffix().toLower();
    if (isOfficeExtension(extension))
        return convertWithOffice(path, destination, progress);
    const QString error = imageExtensions().contains(extension) ? imageToPdf(path, destination)
                                                                : textToPdf(path, destination, progress);
    if (!error.isEmpty())
        return Failure{error, progress.isCancelled()};
    return destination;
}

} // namespace

const QStringList& imageExtensions() {
    static const QStringList extensions{"jpg", "jpeg", "png", "heic", "gif", "bmp", "tiff", "tif"};
    return extensions;
}

Result convert(const QString& path, const ImportProgress& progress) {
    if (!QFileInfo::exists(path))
        return Failure{QStringLiteral("The file no longer exists.")};
    QString failure;
    const QString destination = pdfDestinationPath(path, &failure);
    if (destination.isEmpty())
        return Failure{failure};
    Result result = convertInto(path, destination, progress);
    if (!result)
        discard(destination);
    return result;
}

void discard(const QString& pdfPath) {
    QDir(QFileInfo(pdfPath).path()).removeRecursively();
}

QString conversionFailureTitle(const QString& path) {
    return QStringLiteral("Couldn't Open “%1”").arg(QFileInfo(path).fileName());
}

QString conversionFailureMessage(const QString& reason) {
    const QString message = QStringLiteral("This file couldn't be converted to a PDF.");
    const QString why = reason.trimmed();
    if (why.isEmpty())
        return message;
    const bool closed = why.endsWith(u'.') || why.endsWith(u'!') || why.endsWith(u'?');
    return message + u' ' + why + (closed ? QString() : QStringLiteral("."));
}

} // namespace zepla::document::DocumentImporter
