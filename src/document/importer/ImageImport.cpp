#include "document/importer/ImageImport.h"

#include "convert/HeifImage.h"
#include "core/FileWriting.h"
#include "core/Result.h"
#include "pdf/PdfDocument.h"
#include "pdf/PdfImagePage.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QSaveFile>

#include <algorithm>

namespace zepla::document {

namespace {

// Decoded pictures stay under 256 MB of RGBA pixels; larger ones are refused before decoding.
constexpr qint64 maximumPixels = 64 * 1024 * 1024;

QString tooLarge(const QSize& size) {
    return QStringLiteral("The picture is too large to convert (%1 × %2 pixels).")
        .arg(size.width())
        .arg(size.height());
}

// From the stored picture's unit square to a page of `page` size, turned the way the file's orientation
// asks: first mirrored and flipped, then turned a quarter clockwise, as image readers apply it.
QTransform placement(const QSizeF& page, QImageIOHandler::Transformations turn) {
    // (s, t): PDF image space, t up. (u, v): the stored picture with v down. Both are unit squares.
    auto toPage = [&](double s, double t) {
        double u = s, v = 1 - t;
        if (turn & QImageIOHandler::TransformationMirror)
            u = 1 - u;
        if (turn & QImageIOHandler::TransformationFlip)
            v = 1 - v;
        if (turn & QImageIOHandler::TransformationRotate90)
            std::tie(u, v) = std::pair(1 - v, u);
        return QPointF(u * page.width(), (1 - v) * page.height());
    };
    const QPointF origin = toPage(0, 0), sAxis = toPage(1, 0) - origin, tAxis = toPage(0, 1) - origin;
    return QTransform(sAxis.x(), sAxis.y(), tAxis.x(), tAxis.y(), origin.x(), origin.y());
}

QSizeF pageSize(const QSize& upright) {
    const double longest = std::max(upright.width(), upright.height());
    const double scale = std::min(maximumImagePageSide / longest, 1.0);
    return QSizeF(upright.width() * scale, upright.height() * scale);
}

// A JPEG file: its bytes as they are, its orientation from the file. The data is decoded once at a small
// scale to make sure it is a picture at all.
Result<pdf::PageImage, QString> readJpeg(const QString& path, QImageReader& reader, QSizeF* page) {
    const QSize stored = reader.size();
    if (!stored.isValid() || stored.isEmpty())
        return QStringLiteral("The picture could not be read.");
    const QImageIOHandler::Transformations turn = reader.transformation();
    reader.setAutoTransform(false);
    reader.setScaledSize(stored.scaled(64, 64, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    if (reader.read().isNull())
        return QStringLiteral("The picture could not be read: %1").arg(reader.errorString());
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    const QSize upright = (turn & QImageIOHandler::TransformationRotate90) ? stored.transposed() : stored;
    *page = pageSize(upright);
    return pdf::PageImage{file.readAll(), QImage(), placement(*page, turn)};
}

Result<QImage, QString> decode(const QString& path, QImageReader& reader) {
    if (QFileInfo(path).suffix().toLower() == QLatin1String("heic"))
        return platform::readHeifImage(path, maximumPixels);
    const QSize stored = reader.size();
    if (stored.isValid() && qint64(stored.width()) * stored.height() > maximumPixels)
        return tooLarge(stored);
    reader.setAutoTransform(true);
    QImage image = reader.read();
    if (image.isNull())
        return QStringLiteral("The picture could not be read: %1").arg(reader.errorString());
    return image;
}

// Any other picture: decoded, turned upright, its pixels embedded.
Result<pdf::PageImage, QString> readDecoded(const QString& path, QImageReader& reader, QSizeF* page) {
    const Result<QImage, QString> decoded = decode(path, reader);
    if (!decoded)
        return decoded.error();
    const QImage& image = decoded.value();
    if (image.isNull())
        return QStringLiteral("The picture is empty.");
    *page = pageSize(image.size());
    return pdf::PageImage{QByteArray(), image, QTransform::fromScale(page->width(), page->height())};
}

} // namespace

QString imageToPdf(const QString& path, const QString& pdfPath) {
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    QSizeF page;
    const Result<pdf::PageImage, QString> picture =
        reader.format() == "jpeg" ? readJpeg(path, reader, &page) : readDecoded(path, reader, &page);
    if (!picture)
        return picture.error();

    std::shared_ptr<pdf::Document> document = pdf::Document::createEmpty();
    const pdf::ImagePage imagePage{QRectF(QPointF(0, 0), page), QRectF(), 0, picture.value()};
    if (auto added = pdf::insertImagePage(*document, -1, imagePage); !added)
        return added.error().message;
    pdf::Result<QByteArray> bytes = document->save();
    if (!bytes)
        return bytes.error().message;
    QSaveFile file(pdfPath);
    if (!file.open(QIODevice::WriteOnly) || !platform::writeAll(file, bytes.value()) || !file.commit())
        return QStringLiteral("The PDF could not be written: %1").arg(file.errorString());
    return {};
}

} // namespace zepla::document
