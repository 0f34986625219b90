// QImages made into the samples that picture pages and appearances store.
#include "PdfDocument.h"
#include "PdfImagePage.h"

namespace zepla::pdf {

ImageSamples imageSamples(const QImage& image) {
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    ImageSamples samples;
    samples.width = argb.width();
    samples.height = argb.height();
    const qsizetype pixels = qsizetype(samples.width) * samples.height;
    samples.rgb.resize(pixels * 3);
    QByteArray alpha(pixels, Qt::Uninitialized);
    char* rgb = samples.rgb.data();
    char* a = alpha.data();
    bool opaque = true;
    for (int y = 0; y < argb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            *rgb++ = char(qRed(line[x]));
            *rgb++ = char(qGreen(line[x]));
            *rgb++ = char(qBlue(line[x]));
            *a++ = char(qAlpha(line[x]));
            opaque = opaque && qAlpha(line[x]) == 255;
        }
    }
    if (!opaque)
        samples.alpha = alpha;
    return samples;
}

Result<PageHandle> insertImagePage(Document& document, int index, const ImagePage& page) {
    const PageImage& image = page.image;
    const bool pixels = image.jpegData.isEmpty() && !image.pixels.isNull();
    return insertImagePage(document, index, page,
                           pixels ? deflateImage(imageSamples(image.pixels)) : DeflatedImage{});
}

PreparedPicture preparePicture(const QImage& picture, const QRectF& area) {
    // Opaque: the picture is the whole page.
    return {deflateImage(imageSamples(picture.convertToFormat(QImage::Format_RGB32))), area};
}

Result<PageHandle> replaceWithImagePage(Document& document, int index, const QImage& picture,
                                        const QRectF& imageArea) {
    // An empty picture or area comes back as an error about the missing picture.
    return replaceWithImagePage(document, index, preparePicture(picture, imageArea));
}

} // namespace zepla::pdf
