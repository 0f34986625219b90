// Scanned pages for the OCR tests and benchmark: lines of text drawn into a 300-dpi picture that fills a
// page with no text of its own, optionally stored sideways on a page whose rotation turns it upright, and
// speckled like a scan.
#pragma once

#include "pdf/PdfImagePage.h"

#include <QBuffer>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>

namespace scanned {

constexpr double dpi = 300;

struct Page {
    QStringList lines;
    QPointF firstBaseline{72, 100}; // points from the top left of the upright page
    double fontSize = 14;           // points
    int rotation = 0;               // the page's /Rotate; the picture is stored turned back by it
    double cropInset = 0;           // a crop box this far inside the media box on every side, when not 0
    double noise = 0;               // the share of pixels flipped at random
    bool jpeg = false;              // stored as grey JPEG data, as scanners write it, rather than pixels
};

// The upright picture of a US Letter page at 300 dpi.
inline QImage picture(const Page& page, quint32 seed = 1) {
    const double s = dpi / 72;
    QImage image(int(612 * s), int(792 * s), QImage::Format_Grayscale8);
    image.fill(Qt::white);
    QPainter painter(&image);
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setPixelSize(int(page.fontSize * s));
    painter.setFont(font);
    painter.setPen(Qt::black);
    QPointF at = page.firstBaseline * s;
    for (const QString& line : page.lines) {
        painter.drawText(at, line);
        at.ry() += page.fontSize * 1.6 * s;
    }
    painter.end();
    QRandomGenerator random(seed);
    const int flips = int(image.width() * image.height() * page.noise);
    for (int i = 0; i < flips; ++i) {
        uchar* pixel = image.scanLine(random.bounded(image.height())) + random.bounded(image.width());
        *pixel = 255 - *pixel;
    }
    return image;
}

// Appends the page to `document` as a picture only, with the page's rotation.
inline void append(zepla::pdf::Document& document, const Page& page, quint32 seed = 1) {
    const QImage upright = picture(page, seed);
    // Stored turned back, so that the page's rotation shows it upright.
    const QImage stored = upright.transformed(QTransform().rotate(-page.rotation));
    const QSizeF size = QSizeF(stored.size()) * 72 / dpi;
    const QRectF media(QPointF(0, 0), size);
    const double inset = page.cropInset;
    zepla::pdf::ImagePage image{media, media.adjusted(inset, inset, -inset, -inset), page.rotation, {}};
    if (page.jpeg) {
        QBuffer buffer(&image.image.jpegData);
        buffer.open(QIODevice::WriteOnly);
        stored.save(&buffer, "JPEG", 75);
    } else {
        image.image.pixels = stored.convertToFormat(QImage::Format_RGB888);
    }
    image.image.placement = QTransform(size.width(), 0, 0, size.height(), 0, 0);
    zepla::pdf::insertImagePage(document, -1, image);
}

} // namespace scanned
