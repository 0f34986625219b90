#include "ui/sidebar/ThumbnailCell.h"

#include "ui/theme/Colors.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace zepla::ui {

namespace {

constexpr int kNumberGap = 4;
constexpr qreal kCornerRadius = 4;
constexpr double kFallbackAspectRatio = 0.77;

int pictureHeight(int width, double aspectRatio) {
    return int(std::lround(width / aspectRatio));
}

} // namespace

double ThumbnailCell::aspectRatioOf(const pdf::PageGeometry& geometry) {
    const QSizeF size = geometry.displaySize();
    return size.height() > 0 && size.width() > 0 ? size.width() / size.height() : kFallbackAspectRatio;
}

QFont ThumbnailCell::numberFont() {
    QFont font;
    font.setPixelSize(11);
    return font;
}

int ThumbnailCell::height(int width, double aspectRatio) {
    return pictureHeight(width, aspectRatio) + kNumberGap + QFontMetrics(numberFont()).height();
}

QRect ThumbnailCell::pictureRect(const QRect& rect, double aspectRatio) {
    return QRect(rect.left(), rect.top(), rect.width(), pictureHeight(rect.width(), aspectRatio));
}

void ThumbnailCell::paint(QPainter& painter, const QRect& rect, const QWidget* widget) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF frame = pictureRect(rect, aspectRatio);
    if (picture && !picture->isNull()) {
        // Fitted into the frame with the picture's own proportions. A picture already made at that size is
        // copied as it is, which keeps scrolling cheap.
        const QSizeF natural = picture->deviceIndependentSize();
        const QSizeF fitted = natural.scaled(frame.size(), Qt::KeepAspectRatio);
        QRectF target(QPointF(), fitted);
        target.moveCenter(frame.center());
        if (std::abs(fitted.width() - natural.width()) < 0.5 &&
            std::abs(fitted.height() - natural.height()) < 0.5)
            painter.drawPixmap(target.topLeft().toPoint(), *picture);
        else
            painter.drawPixmap(target, *picture, QRectF(picture->rect()));
    } else {
        painter.fillRect(frame, Color::primary(widget, 0.06));
    }

    QPainterPath outline;
    const qreal inset = isCurrent ? 1.0 : 0.5; // the stroke stays inside the picture
    outline.addRoundedRect(frame.adjusted(inset, inset, -inset, -inset), kCornerRadius, kCornerRadius);
    QPen pen(isCurrent ? Color::brandBlue() : Color::primary(widget, 0.1), isCurrent ? 2 : 1);
    pen.setJoinStyle(Qt::MiterJoin);
    pen.setCapStyle(Qt::FlatCap);
    painter.strokePath(outline, pen);
    if (isSelected)
        painter.fillPath(outline, Color::withOpacity(Color::systemBlue(), 0.22));

    painter.setFont(numberFont());
    painter.setPen(isCurrent ? Color::brandBlue() : Color::secondary(widget));
    const QRectF number(rect.left(), frame.bottom() + kNumberGap, rect.width(),
                        QFontMetrics(numberFont()).height());
    painter.drawText(number, Qt::AlignHCenter | Qt::AlignTop, QString::number(pageNumber));
    painter.restore();
}

} // namespace zepla::ui
