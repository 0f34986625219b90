// Pages drawn into QImages: the engine draws into the image's own pixels.
#include "PdfDocument.h"
#include "PdfImagePage.h"
#include "PdfRender.h"

#include <cmath>

namespace zepla::pdf {

namespace {

Pixels pixelsOf(QImage& image, Pixels::Format format) {
    return {image.bits(), image.width(), image.height(), int(image.bytesPerLine()), format};
}

} // namespace

QImage DisplayList::render(double scale, const QRect& area) const {
    return draw(scale, area, QImage::Format_RGB888);
}

QImage DisplayList::renderGrey(double scale) const {
    return draw(scale, {}, QImage::Format_Grayscale8);
}

QImage DisplayList::draw(double scale, const QRect& area, QImage::Format format) const {
    if (!m_list || scale <= 0)
        return {};
    const QSizeF size = m_geometry.displaySize() * scale;
    const QRect full(0, 0, int(std::ceil(size.width() - 0.001)), int(std::ceil(size.height() - 0.001)));
    const QRect target = area.isNull() ? full : area.intersected(full);
    if (target.isEmpty())
        return {};
    QImage image(target.size(), format);
    if (image.isNull())
        return {};
    const Pixels into =
        pixelsOf(image, format == QImage::Format_Grayscale8 ? Pixels::Format::Grey : Pixels::Format::Rgb);
    return renderInto(scale, target.topLeft(), into) ? image : QImage();
}

Result<QImage> Document::render(int index, double scale) const {
    auto list = displayList(index);
    if (!list)
        return list.error();
    QImage image = list->render(scale);
    if (image.isNull())
        return Error{Error::Kind::Failed, QStringLiteral("Page %1 could not be drawn.").arg(index + 1)};
    return image;
}

Result<QImage> renderArea(const Document& document, int index, double scale, const QRectF& area) {
    const QSize size(int(area.width() * scale), int(area.height() * scale));
    if (area.width() <= 0 || area.height() <= 0 || size.width() < 1 || size.height() < 1)
        return Error{Error::Kind::Failed, QStringLiteral("Page %1 is too small to draw.").arg(index + 1)};
    QImage image(size, QImage::Format_RGBA8888_Premultiplied);
    if (image.isNull())
        return Error{Error::Kind::Failed,
                     QStringLiteral("There is not enough memory to draw page %1.").arg(index + 1)};
    if (const Status drawn = renderArea(document, index, scale, area, pixelsOf(image, Pixels::Format::Rgba));
        !drawn)
        return drawn.error();
    return image;
}

} // namespace zepla::pdf
