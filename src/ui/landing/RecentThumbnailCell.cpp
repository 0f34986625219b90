#include "ui/landing/RecentThumbnailCell.h"

#include "core/Background.h"
#include "document/ThumbnailCache.h"
#include "pdf/PdfDocument.h"
#include "ui/theme/Colors.h"
#include "ui/theme/Symbols.h"

#include <QApplication>
#include <QFileInfo>
#include <QGraphicsDropShadowEffect>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>

namespace zepla::ui {

namespace {

constexpr int labelSpacing = 6;
constexpr qreal cornerRadius = 8;

QFont labelFont(const QFont& base, int pixels) {
    QFont font = base;
    font.setPixelSize(pixels);
    return font;
}

std::optional<QImage> renderFirstPage(const QString& path) {
    auto opened = pdf::Document::openFile(path);
    if (!opened || opened.value()->pageCount() == 0)
        return std::nullopt;
    const auto geometry = opened.value()->geometry(0);
    if (!geometry || geometry.value().mediaBox.width() <= 0 || geometry.value().mediaBox.height() <= 0)
        return std::nullopt;
    auto image =
        opened.value()->render(0, RecentThumbnailCell::thumbnailHeight / geometry.value().mediaBox.height());
    if (!image || image.value().isNull())
        return std::nullopt;
    return image.value();
}

} // namespace

// The 110 by 140 picture with its soft shadow; a widget of its own so the shadow follows what it draws.
class RecentThumbnailCell::Frame : public QWidget {
public:
    explicit Frame(RecentThumbnailCell* cell) : QWidget(cell), m_cell(cell) {
        setFixedSize(thumbnailFrameSize);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        auto* shadow = new QGraphicsDropShadowEffect(this);
        shadow->setColor(QColor::fromRgbF(0, 0, 0, 0.08f));
        shadow->setBlurRadius(6);
        shadow->setOffset(0, 2);
        setGraphicsEffect(shadow);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
        painter.fillPath(shape, Color::primary(this, 0.05));
        const QImage& thumbnail = m_cell->thumbnail();
        if (thumbnail.isNull()) {
            const int size = 33; // a 28-point symbol
            painter.drawPixmap((width() - size) / 2, (height() - size) / 2,
                               Symbols::pixmap(QStringLiteral("doc.text.fill"), size,
                                               Color::withOpacity(Color::brandBlue(), 0.5), false,
                                               devicePixelRatioF()));
            return;
        }
        const QSizeF fitted = QSizeF(thumbnail.size()).scaled(QSizeF(size()), Qt::KeepAspectRatio);
        const QRectF target(QPointF((width() - fitted.width()) / 2, (height() - fitted.height()) / 2),
                            fitted);
        painter.setClipPath(shape);
        painter.drawImage(target, thumbnail);
    }

private:
    RecentThumbnailCell* m_cell;
};

RecentThumbnailCell::RecentThumbnailCell(const QString& path, QWidget* parent)
    : QAbstractButton(parent), m_path(path), m_frame(new Frame(this)) {
    setCursor(Qt::PointingHandCursor);
    setToolTip(path);
    setAccessibleName(displayName());
    setFixedSize(sizeHint());
    m_frame->move((cellWidth - thumbnailFrameSize.width()) / 2, 0);
}

QString RecentThumbnailCell::displayName() const {
    return QFileInfo(m_path).completeBaseName();
}

QString RecentThumbnailCell::folder() const {
    return QFileInfo(m_path).absolutePath();
}

QSize RecentThumbnailCell::sizeHint() const {
    const int name = QFontMetrics(labelFont(font(), 12)).height();
    const int folderLine = QFontMetrics(labelFont(font(), 9)).height();
    return {cellWidth, thumbnailFrameSize.height() + labelSpacing + name + 1 + folderLine};
}

void RecentThumbnailCell::paintEvent(QPaintEvent*) {
    // Cells load when they are first drawn, so only those that scroll into view render anything.
    if (!m_filling)
        fill();
    QPainter painter(this);
    const QFont nameFont = labelFont(font(), 12);
    const QFont folderFont = labelFont(font(), 9);
    const int nameHeight = QFontMetrics(nameFont).height();
    int y = thumbnailFrameSize.height() + labelSpacing;
    painter.setFont(nameFont);
    painter.setPen(Color::primary(this));
    painter.drawText(QRect(0, y, width(), nameHeight), Qt::AlignHCenter | Qt::AlignVCenter,
                     QFontMetrics(nameFont).elidedText(displayName(), Qt::ElideRight, width()));
    y += nameHeight + 1;
    painter.setFont(folderFont);
    painter.setPen(Color::secondary(this));
    painter.drawText(QRect(0, y, width(), QFontMetrics(folderFont).height()),
                     Qt::AlignHCenter | Qt::AlignVCenter,
                     QFontMetrics(folderFont).elidedText(folder(), Qt::ElideMiddle, width()));
}

void RecentThumbnailCell::fill() {
    m_filling = true;
    const QString key = document::ThumbnailCache::recentKey(m_path);
    if (const auto cached = document::ThumbnailCache::object(key)) {
        m_thumbnail = *cached;
        m_frame->update();
        emit thumbnailChanged();
        return;
    }
    // The render is kept in the shared cache even when this cell has gone meanwhile.
    QPointer<RecentThumbnailCell> self(this);
    loadThumbnail(m_path, qApp, [self, key](std::optional<QImage> image) {
        if (!image)
            return;
        document::ThumbnailCache::setObject(key, *image);
        if (!self)
            return;
        self->m_thumbnail = *image;
        self->m_frame->update();
        emit self->thumbnailChanged();
    });
}

void RecentThumbnailCell::loadThumbnail(const QString& path, QObject* context,
                                        std::function<void(std::optional<QImage>)> done) {
    platform::inBackground<std::optional<QImage>>([path] { return renderFirstPage(path); }, context,
                                                  std::move(done));
}

} // namespace zepla::ui
