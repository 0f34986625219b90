// Formula images laid out and drawn as the formula view does it, cropped to their ink and cached.
#include "ui/markdown/MathImageRenderer.h"

#include "core/MemoryPressureMonitor.h"
#include "fonts/FontFace.h"
#include "fonts/MTFontManager.h"
#include "view/MTLabelLayout.h"

#include <QCache>
#include <QGuiApplication>
#include <QHash>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QThreadPool>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>
#include <vector>

namespace zepla::ui::MathImageRenderer {

namespace {

// The placeholder's band: its opacity in the formula's colour, and its box in ems.
constexpr qreal placeholderOpacity = 0.1;
constexpr qreal placeholderWidth = 4;
constexpr qreal placeholderAscent = 0.7;
constexpr qreal placeholderDescent = 0.2;

QCache<QString, QImage>& cache() {
    static QCache<QString, QImage> images(countLimit);
    return images;
}

struct Waiter {
    QPointer<QObject> context;
    std::function<void(const std::optional<QImage>&)> done;
};

// The formulas being typeset on worker threads, by cache key, with whoever waits for each.
QHash<QString, std::vector<Waiter>>& waiting() {
    static QHash<QString, std::vector<Waiter>> waiters;
    return waiters;
}

void finishInBackground(const QString& key, const std::optional<QImage>& image) {
    if (image)
        cache().insert(key, new QImage(*image));
    for (const Waiter& waiter : waiting().take(key)) {
        if (waiter.context)
            waiter.done(image);
    }
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
    QString suffix = '|' + keyNumber(fontSize) + '|' + keyNumber(rgb.redF()) + ',' + keyNumber(rgb.greenF()) +
                     ',' + keyNumber(rgb.blueF()) + ',' + keyNumber(rgb.alphaF());
    if (devicePixelRatio != 1)
        suffix += '|' + keyNumber(devicePixelRatio);
    // One allocation: the LaTeX of a large formula is megabytes, and copying it for each piece adds up.
    QString key;
    key.reserve(latex.size() + suffix.size());
    key.append(latex).append(suffix);
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

std::optional<QImage> cached(const QString& key) {
    const QImage* image = cache().object(key);
    return image ? std::optional<QImage>(*image) : std::nullopt;
}

void renderInBackground(const QString& latex, qreal fontSize, const QColor& color, qreal devicePixelRatio,
                        QObject* context, std::function<void(const std::optional<QImage>&)> done) {
    const QString key = cacheKey(latex, fontSize, color, devicePixelRatio);
    std::vector<Waiter>& waiters = waiting()[key];
    waiters.push_back({context, std::move(done)});
    if (waiters.size() > 1)
        return;
    QThreadPool::globalInstance()->start([key, latex, fontSize, color = color.toRgb(), devicePixelRatio] {
        auto image =
            std::make_shared<std::optional<QImage>>(renderUncached(latex, fontSize, color, devicePixelRatio));
        // The fonts this thread drew with go now, while Qt's font machinery of the thread is still there.
        math::FontFace::releaseThreadFonts();
        QMetaObject::invokeMethod(
            qApp, [key, image] { finishInBackground(key, *image); }, Qt::QueuedConnection);
    });
}

QImage placeholder(qreal fontSize, const QColor& color, qreal devicePixelRatio) {
    const qreal ascent = placeholderAscent * fontSize;
    const qreal descent = placeholderDescent * fontSize;
    const QSizeF points(placeholderWidth * fontSize, ascent + descent);
    QImage image(int(std::ceil(points.width() * devicePixelRatio)),
                 int(std::ceil(points.height() * devicePixelRatio)), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    QColor band = color.toRgb();
    band.setAlphaF(band.alphaF() * placeholderOpacity);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(band);
    painter.drawRoundedRect(QRectF(QPointF(), points), descent, descent);
    painter.end();
    image.setText(baselineKey, keyNumber(ascent * devicePixelRatio));
    image.setText(ascentKey, keyNumber(ascent));
    image.setText(descentKey, keyNumber(descent));
    return image;
}

// The formula view's font, layout, placement and drawing, without the view: a widget would tie the drawing
// to the main thread.
std::optional<QImage> renderUncached(const QString& latex, qreal fontSize, const QColor& color,
                                     qreal devicePixelRatio) {
    const auto font = math::MTFontManager::manager()->defaultFont()->copyWithSize(fontSize);
    const math::LaidOutFormula formula = math::layOutLatex(latex, font, math::MTLineStyle::display);
    if (formula.error || !formula.display)
        return std::nullopt;
    math::MTMathListDisplay& display = *formula.display;
    display.setTextColor(color);

    // Room around the formula's box for ink that reaches past it (slanted letters, accents).
    const qreal padding = std::max<qreal>(cropMargin, fontSize / 2);
    const math::MTEdgeInsets insets{padding, padding, padding, padding};
    const QSizeF wanted = math::sizeWithInsets(display, insets);
    const QSize points = boundedCanvas(wanted, devicePixelRatio);
    const QSize pixels(int(std::ceil(points.width() * devicePixelRatio)),
                       int(std::ceil(points.height() * devicePixelRatio)));
    if (points.width() < std::ceil(wanted.width()) || points.height() < std::ceil(wanted.height()))
        qWarning("A formula of %.0f x %.0f points is cut to %d x %d points: %s", wanted.width(),
                 wanted.height(), points.width(), points.height(), qPrintable(latex.left(80)));
    display.setPosition(
        math::placedDisplayPosition(display, QSizeF(points), insets, math::MTTextAlignment::left, fontSize));

    QImage canvas(pixels, QImage::Format_ARGB32_Premultiplied);
    if (canvas.isNull())
        return std::nullopt;
    canvas.setDevicePixelRatio(devicePixelRatio);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    math::drawInBox(painter, display, points.height());
    painter.end();
    const std::optional<QRect> content = contentRect(canvas);
    if (!content)
        return std::nullopt;
    QImage image = cropped(canvas, *content);
    // The formula's baseline stands this far above the canvas's bottom edge (y grows upward in the display).
    const qreal baseline = (points.height() - display.position().y()) * devicePixelRatio;
    image.setText(baselineKey, keyNumber(baseline - content->y()));
    image.setText(ascentKey, keyNumber(display.ascent()));
    image.setText(descentKey, keyNumber(display.descent()));
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
