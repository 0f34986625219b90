#include "ImportFixtures.h"

#include "ExternalTool.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QtEndian>

#include <libheif/heif.h>
#include <zlib.h>

namespace importfixtures {

namespace {

QByteArray bigEndian16(quint16 v) {
    QByteArray b(2, 0);
    qToBigEndian(v, b.data());
    return b;
}
QByteArray bigEndian32(quint32 v) {
    QByteArray b(4, 0);
    qToBigEndian(v, b.data());
    return b;
}

QImage picture(const QSize& size, const QColor& corner) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter(&image).fillRect(QRect(QPoint(0, 0), size / 2), corner);
    return image;
}

QByteArray encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (!writer.write(image))
        qFatal("cannot encode %s", format);
    return bytes;
}

} // namespace

QByteArray jpeg(const QSize& size, const QColor& corner) {
    return encoded(picture(size, corner), "jpeg");
}

QByteArray withExifOrientation(const QByteArray& jpeg, int orientation) {
    // A big-endian TIFF header and one IFD entry: tag 0x0112 (orientation), type SHORT, one value.
    QByteArray tiff = QByteArray("MM\0*", 4) + bigEndian32(8) + bigEndian16(1) + bigEndian16(0x0112) +
                      bigEndian16(3) + bigEndian32(1) + bigEndian16(quint16(orientation)) + bigEndian16(0) +
                      bigEndian32(0);
    const QByteArray payload = QByteArray("Exif\0\0", 6) + tiff;
    const QByteArray segment = QByteArray("\xFF\xE1", 2) + bigEndian16(quint16(payload.size() + 2)) + payload;
    return jpeg.left(2) + segment + jpeg.mid(2);
}

QByteArray png(const QSize& size) {
    return encoded(picture(size, Qt::blue), "png");
}

void writeHeic(const QString& path, const QSize& size) {
    heif_context* context = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    if (heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder).code)
        qFatal("libheif cannot encode HEVC here");
    heif_image* image = nullptr;
    heif_image_create(size.width(), size.height(), heif_colorspace_RGB, heif_chroma_interleaved_RGB, &image);
    heif_image_add_plane(image, heif_channel_interleaved, size.width(), size.height(), 8);
    int stride = 0;
    uint8_t* pixels = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width() * 3; ++x)
            pixels[y * stride + x] = (x % 3 == 2) ? 255 : 0;
    const bool written = !heif_context_encode_image(context, image, encoder, nullptr, nullptr).code &&
                         !heif_context_write_to_file(context, path.toLocal8Bit().constData()).code;
    heif_image_release(image);
    heif_encoder_release(encoder);
    heif_context_free(context);
    if (!written)
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray pngHeaderOnly(const QSize& size) {
    const QByteArray ihdr = QByteArray("IHDR") + bigEndian32(quint32(size.width())) +
                            bigEndian32(quint32(size.height())) + QByteArray("\x08\x02\x00\x00\x00", 5);
    const quint32 crc =
        quint32(crc32(0, reinterpret_cast<const Bytef*>(ihdr.constData()), uInt(ihdr.size())));
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + bigEndian32(13) + ihdr + bigEndian32(crc);
}

QString docxFromText(const QString& folder, const QString& text) {
    const QString source = QDir(folder).filePath("made-by-office.txt");
    QFile file(source);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0)
        qFatal("cannot write %s", qPrintable(source));
    file.close();
    return convertWithOffice(source, "docx:MS Word 2007 XML", folder);
}

} // namespace importfixtures
