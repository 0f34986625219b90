#include "document/pages/PDFCompressor.h"

#include "document/pages/PDFPageRasterizer.h"
#include "pdf/PdfImagePage.h"

#include <QBuffer>

#include <cstdlib>

namespace zepla::document::PDFCompressor {

namespace {

struct QualityTraits {
    Quality quality;
    const char* raw;
    double scale;
    double factor;
    const char* label;
};

constexpr std::array<QualityTraits, 3> traits{{
    {Quality::good, "good", 1.0, 0.4, "Good (smallest file)"},
    {Quality::better, "better", 1.5, 0.6, "Better"},
    {Quality::best, "best", 2.0, 0.8, "Best (larger file)"},
}};

const QualityTraits& traitsOf(Quality quality) {
    return traits[std::size_t(quality)];
}

// Channels this close count as one grey: colour management may move a grey a step off in one channel.
constexpr int greyTolerance = 2;

bool isGrey(const QImage& picture) {
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            const int r = qRed(line[x]), g = qGreen(line[x]), b = qBlue(line[x]);
            if (std::abs(r - g) > greyTolerance || std::abs(g - b) > greyTolerance)
                return false;
        }
    }
    return true;
}

// A grey page is stored as a one-channel JPEG: a third of the samples, and no colour to fringe.
QByteArray jpegData(const QImage& picture, double factor) {
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    // Drawn on white: the alpha channel carries nothing.
    const QImage::Format format = isGrey(picture) ? QImage::Format_Grayscale8 : QImage::Format_RGB888;
    if (!picture.convertToFormat(format).save(&buffer, "JPEG", qRound(factor * 100)))
        return {};
    return data;
}

// The page's picture added at the end of `copy`.
bool compressPage(const pdf::Document& source, int index, Quality quality, pdf::Document& copy) {
    const auto geometry = source.geometry(index);
    if (!geometry)
        return false;
    const pdf::PageGeometry& g = geometry.value();
    const QRectF shown = g.cropBox.isEmpty() ? g.mediaBox : g.cropBox;
    const QImage picture = PDFPageRasterizer::render(source, index, traitsOf(quality).scale, shown);
    if (picture.isNull())
        return false;
    const QByteArray jpeg = jpegData(picture, traitsOf(quality).factor);
    if (jpeg.isEmpty())
        return false;
    const QTransform placement(shown.width(), 0, 0, shown.height(), shown.left(), shown.top());
    const pdf::ImagePage page{g.mediaBox, g.cropBox, g.rotation, {jpeg, QImage(), placement}};
    return bool(pdf::insertImagePage(copy, -1, page));
}

} // namespace

QString rawValue(Quality quality) {
    return QString::fromLatin1(traitsOf(quality).raw);
}

std::optional<Quality> qualityFromRawValue(const QString& raw) {
    for (const QualityTraits& t : traits)
        if (raw == QLatin1String(t.raw))
            return t.quality;
    return std::nullopt;
}

double renderScale(Quality quality) {
    return traitsOf(quality).scale;
}

double compressionFactor(Quality quality) {
    return traitsOf(quality).factor;
}

QString label(Quality quality) {
    return QString::fromUtf8(traitsOf(quality).label);
}

Outcome compress(const pdf::Document& document, Quality quality, const Progress& progress) {
    const int count = document.pageCount();
    if (count == 0)
        return QStringLiteral("Couldn't compress this PDF.");
    auto copy = pdf::Document::createEmpty();
    for (int i = 0; i < count; ++i) {
        if (!compressPage(document, i, quality, *copy))
            return QStringLiteral("Couldn't compress page %1, so no copy was made.").arg(i + 1);
        if (progress && !progress(i + 1, count))
            return std::shared_ptr<pdf::Document>();
    }
    return copy;
}

} // namespace zepla::document::PDFCompressor
