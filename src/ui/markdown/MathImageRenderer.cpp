// Formula images through the formula view, cropped to their ink and cached.
#include "ui/markdown/MathImageRenderer.h"

#include "core/MemoryPressureMonitor.h"
#include "view/MTMathUILabel.h"

#include <QCache>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace zepla::ui::MathImageRenderer {

namespace {

QCache<QString, QImage>& cache() {
    static QCache<QString, QImage> images(countLimit);
    return images;
}

// The canvas for a formula box, in whole points, within the bounds on its device pixels.
QSize boundedCanvas(QSizeF wanted, qreal ratio) {
    const int side = int(maxCanvasSide / ratio);
    const int height = std::clamp(int(std::ceil(wanted.height())), 1, side);
    const int width = std::clamp(int(std::ceil(wanted.width())), 1, side);
    return {std::min(width, int(maxCanvasPixels / (height * ratio * ratio))), height};
}

QImage cropped(const QImage& bitmap, const QRect& rect) {
    QImage part = bitmap.copy(rect);
    part.setDevicePixelRatio(bitmap.devicePixelRatio());
    return part;
}

} // namespace

void install() {
    platform::MemoryPressureMonitor::shared().onPressure([] { removeAllObjects(); });
}

qreal screenDevicePixelRatio() {
    const QScreen* screen = qGuiApp ? QGuiApplication::primaryScreen() : nullptr;
    return screen ? screen->devicePixelRatio() : 1;
}

QString keyNumber(double value) {
    char text[64];
    const double magnitude = std::abs(value);
    // Plain digits between 1e-4 and 2^53, as the round-trip form people read; exponents outside.
    const bool plain = value == 0 || (magnitude >= 1e-4 && magnitude < 9007199254740992.0);
    const auto result = std::to_chars(text, text + sizeof text, value,
                                      plain ? std::chars_format::fixed : std::chars_format::scientific);
    QString number = QString::fromLatin1(text, int(result.ptr - text));
    if (plain && !number.contains('.'))
        number += QStringLiteral(".0");
    return number;
}

QString cacheKey(const QString& latex, qreal fontSize, const QColor& color, qreal devicePixelRatio) {
    const QColor rgb = color.toRgb();
    QString key = latex + '|' + keyNumber(fontSize) + '|' + keyNumber(rgb.redF()) + ',' +
                  keyNumber(rgb.greenF()) + ',' + keyNumber(rgb.blueF()) + ',' + keyNumber(rgb.alphaF());
    if (devicePixelRatio != 1)
        key += '|' + keyNumber(devicePixelRatio);
    return key;
}

std::optional<QImage> render(const QString& latex, qreal fontSize, const QColor& color,
                             qreal devicePixelRatio) {
    const QString key = cacheKey(latex, fontSize, color, devicePixelRatio);
    if (const QImage* cached = cache().object(key))
        return *cached;
    std::optional<QImage> image = renderUncached(latex, fontSize, color.toRgb(), devicePixelRatio);
    if (image)
        cache().insert(key, new QImage(*image));
    return image;
}

std::optional<QImage> renderUncached(const QString& latex, qreal fontSize, const QColor& color,
                                     qreal devicePixelRatio) {
    math::MTMathUILabel label;
    label.setFontSize(fontSize);
    label.setTextColor(color);
    label.setLabelMode(math::MTMathUILabelMode::display);
    label.setLatex(latex);
    if (label.error())
        return std::nullopt;

    // Room around the formula's box for ink that reaches past it (slanted letters, accents).
    const qreal padding = std::max<qreal>(cropMargin, fontSize / 2);
    label.setContentInsets({padding, padding, padding, padding});
    const QSizeF wanted = label.fittingSize();
    const QSize points = boundedCanvas(wanted, devicePixelRatio);
    const QSize pixels(int(std::ceil(points.width() * devicePixelRatio)),
                       int(std::ceil(points.height() * devicePixelRatio)));
    if (points.width() < std::ceil(wanted.width()) || points.height() < std::ceil(wanted.height()))
        qWarning("A formula of %.0f x %.0f points is cut to %d x %d points: %s", wanted.width(),
                 wanted.height(), points.width(), points.height(), qPrintable(latex.left(80)));
    label.resize(points);
    label.layoutIfNeeded();

    QImage canvas(pixels, QImage::Format_ARGB32_Premultiplied);
    if (canvas.isNull())
        return std::nullopt;
    canvas.setDevicePixelRatio(devicePixelRatio);
    canvas.fill(Qt::transparent);
    label.render(&canvas, QPoint(), QRegion(), QWidget::DrawChildren);
    const std::optional<QRect> content = contentRect(canvas);
    if (!content)
        return std::nullopt;
    QImage image = cropped(canvas, *content);
    // The label draws the formula's baseline this far above its bottom edge (y grows upward in it).
    const qreal baseline = (points.height() - label.displayList()->position().y()) * devicePixelRatio;
    image.setText(baselineKey, keyNumber(baseline - content->y()));
    image.setText(ascentKey, keyNumber(label.displayList()->ascent()));
    image.setText(descentKey, keyNumber(label.displayList()->descent()));
    return image;
}

qreal baselineRow(const QImage& image) {
    bool ok = false;
    const qreal baseline = image.text(baselineKey).toDouble(&ok);
    return ok ? baseline : image.height();
}

qreal depthBelowBaseline(const QImage& image) {
    return (image.height() - baselineRow(image)) / image.devicePixelRatio();
}

Box typesetBox(const QImage& image) {
    return {image.text(ascentKey).toDouble(), image.text(descentKey).toDouble()};
}

std::optional<QRect> contentRect(const QImage& bitmap) {
    const QImage pixels = bitmap.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    int minX = pixels.width(), maxX = -1, minY = pixels.height(), maxY = -1;
    for (int y = 0; y < pixels.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        for (int x = 0; x < pixels.width(); ++x) {
            if (qAlpha(line[x]) < inkAlpha)
                continue;
            minX = std::min(minX, x);
            maxX = std::max(maxX, x);
            minY = std::min(minY, y);
            maxY = std::max(maxY, y);
        }
    }
    if (maxX < minX || maxY < minY)
        return std::nullopt;
    const int margin = int(std::lround(cropMargin * bitmap.devicePixelRatio()));
    const int x = std::max(minX - margin, 0);
    const int y = std::max(minY - margin, 0);
    return QRect(x, y, std::min(maxX - minX + 1 + 2 * margin, pixels.width() - x),
                 std::min(maxY - minY + 1 + 2 * margin, pixels.height() - y));
}

std::optional<QImage> trimmedToContent(const QImage& bitmap) {
    const std::optional<QRect> rect = contentRect(bitmap);
    if (!rect)
        return std::nullopt;
    return cropped(bitmap, *rect);
}

int count() {
    return cache().count();
}

void removeAllObjects() {
    cache().clear();
}

} // namespace zepla::ui::MathImageRenderer
