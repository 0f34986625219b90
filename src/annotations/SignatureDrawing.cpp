#include "SignatureDrawing.h"

#include <QPainter>

#include <algorithm>

namespace zepla::annotations::SignatureDrawing {

QPen strokePen() {
    QPen pen(Qt::black, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    pen.setMiterLimit(10);
    return pen;
}

QPainterPath smoothedPath(const Stroke& points) {
    QPainterPath path;
    const qsizetype n = points.size();
    if (n == 0)
        return path;
    path.moveTo(points.front());
    if (n == 1) {
        // A path drops a line of no length, so the dot of a single sample is a line too short to see,
        // which the round caps draw 3 points across.
        path.lineTo(points.front() + QPointF(0.01, 0));
        return path;
    }
    if (n == 2) {
        path.lineTo(points.back());
        return path;
    }
    for (qsizetype k = 1; k <= n - 2; ++k)
        path.quadTo(points[k], (points[k] + points[k + 1]) / 2);
    path.lineTo(points.back());
    return path;
}

QImage render(const QList<Stroke>& strokes) {
    QImage image((canvasSize * saveScale).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(saveScale, saveScale);
    painter.setPen(strokePen());
    painter.setBrush(Qt::NoBrush);
    for (const Stroke& stroke : strokes)
        painter.drawPath(smoothedPath(stroke));
    return image;
}

std::optional<QImage> trimmedToOpaqueContent(const QImage& image) {
    if (image.isNull())
        return std::nullopt;
    if (!image.hasAlphaChannel())
        return image;
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    int left = argb.width(), right = -1, top = argb.height(), bottom = -1;
    for (int y = 0; y < argb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            if (qAlpha(line[x]) <= emptyAlpha)
                continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    if (right < 0)
        return std::nullopt;
    const QRect crop = QRect(std::max(left - trimMargin, 0), std::max(top - trimMargin, 0),
                             right - left + 1 + 2 * trimMargin, bottom - top + 1 + 2 * trimMargin)
                           .intersected(argb.rect());
    if (crop.isEmpty())
        return std::nullopt;
    return image.copy(crop);
}

} // namespace zepla::annotations::SignatureDrawing
