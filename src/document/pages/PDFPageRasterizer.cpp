#include "document/pages/PDFPageRasterizer.h"

#include "pdf/PdfImagePage.h"

#include <cmath>

namespace zepla::document::PDFPageRasterizer {

double cappedScale(const QSizeF& size, double scale) {
    const double pixels = size.width() * size.height() * scale * scale;
    return pixels > maxPixels ? scale * std::sqrt(maxPixels / pixels) : scale;
}

QImage render(const pdf::Document& document, int pageIndex, double scale, const Overlay& overlay) {
    const auto geometry = document.geometry(pageIndex);
    return geometry ? render(document, pageIndex, scale, geometry.value().mediaBox, overlay) : QImage();
}

QImage render(const pdf::Document& document, int pageIndex, double scale, const QRectF& area,
              const Overlay& overlay) {
    if (area.width() <= 0 || area.height() <= 0)
        return {};
    const double s = cappedScale(area.size(), scale);
    auto image = pdf::renderArea(document, pageIndex, s, area);
    if (!image)
        return {};
    if (overlay) {
        QPainter painter(&image.value());
        painter.setTransform(QTransform(s, 0, 0, -s, -area.left() * s, area.bottom() * s));
        overlay(painter);
    }
    return image.value();
}

} // namespace zepla::document::PDFPageRasterizer
