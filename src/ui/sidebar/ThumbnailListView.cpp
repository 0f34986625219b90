#include "ui/sidebar/ThumbnailListView.h"

#include "document/PDFEditorDocument.h"
#include "document/ThumbnailCache.h"
#include "ui/sidebar/PageDropPayload.h"
#include "ui/sidebar/ThumbnailCell.h"
#include "ui/theme/Colors.h"

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSet>
#include <QVariantAnimation>

#include <algorithm>

namespace zepla::ui {

namespace {

constexpr int dropMarkerWidth = 3;

} // namespace

ThumbnailListView::ThumbnailListView(document::PDFEditorDocument* document, QWidget* parent)
    : QAbstractScrollArea(parent), m_document(document), m_scrollAnimation(new QVariantAnimation(this)) {
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameShape(QFrame::NoFrame);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    viewport()->setAutoFillBackground(false);
    verticalScrollBar()->setSingleStep(24);
    m_scrollAnimation->setDuration(200);
    m_scrollAnimation->setEasingCurve(QEasingCurve::InOutQuad);
    connect(m_scrollAnimation, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { verticalScrollBar()->setValue(value.toInt()); });
    connect(&m_loader, &ThumbnailLoader::thumbnailReady, this, &ThumbnailListView::thumbnailArrived);
    reload();
}

void ThumbnailListView::reload() {
    const pdf::Document& pdf = *m_document->pdfDocument();
    const int count = pdf.pageCount();
    m_aspects.assign(std::size_t(count), 0.0);
    const auto geometries = pdf.geometries(0, count - 1);
    for (std::size_t i = 0; i < geometries.size(); ++i)
        m_aspects[i] = geometries[i] ? ThumbnailCell::aspectRatioOf(geometries[i].value())
                                     : ThumbnailCell::aspectRatioOf({});
    layoutRows();
}

void ThumbnailListView::setCurrentPage(std::optional<int> index) {
    m_current = index;
    viewport()->update();
}

void ThumbnailListView::setSelection(const document::IndexSet& selection) {
    m_selection = selection;
    viewport()->update();
}

int ThumbnailListView::cellWidth() const {
    return std::max(1, viewport()->width() - 2 * padding);
}

void ThumbnailListView::layoutRows() {
    const int width = cellWidth();
    m_tops.resize(m_aspects.size());
    int y = padding;
    for (std::size_t i = 0; i < m_aspects.size(); ++i) {
        m_tops[i] = y;
        y += ThumbnailCell::height(width, m_aspects[i]) + spacing;
    }
    m_contentHeight = m_aspects.empty() ? 2 * padding : y - spacing + padding;
    verticalScrollBar()->setPageStep(viewport()->height());
    verticalScrollBar()->setRange(0, std::max(0, m_contentHeight - viewport()->height()));
    viewport()->update();
}

int ThumbnailListView::rowAtContentY(int y) const {
    // The last row whose top, less half the gap before it, lies at or above y.
    const auto after = std::upper_bound(m_tops.begin(), m_tops.end(), y + spacing / 2);
    return after == m_tops.begin() ? (m_tops.empty() ? -1 : 0) : int(after - m_tops.begin()) - 1;
}

int ThumbnailListView::rowAt(const QPoint& viewportPoint) const {
    if (!viewport()->rect().contains(viewportPoint))
        return -1;
    return rowAtContentY(viewportPoint.y() + verticalScrollBar()->value());
}

QRect ThumbnailListView::rowRect(int row) const {
    if (row < 0 || row >= rowCount())
        return {};
    const int width = cellWidth();
    return QRect(padding, m_tops[std::size_t(row)] - verticalScrollBar()->value(), width,
                 ThumbnailCell::height(width, m_aspects[std::size_t(row)]));
}

void ThumbnailListView::scrollToCentre(int row, bool animated) {
    const QRect rect = rowRect(row);
    if (rect.isNull())
        return;
    QScrollBar* bar = verticalScrollBar();
    const int target = std::clamp(bar->value() + rect.center().y() - viewport()->height() / 2, bar->minimum(),
                                  bar->maximum());
    m_scrollAnimation->stop();
    if (!animated || target == bar->value()) {
        bar->setValue(target);
        return;
    }
    m_scrollAnimation->setStartValue(bar->value());
    m_scrollAnimation->setEndValue(target);
    m_scrollAnimation->start();
}

void ThumbnailListView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const auto pdf = m_document->pdfDocument();
    const int offset = verticalScrollBar()->value();
    if (pdf->serial() != m_picturesSerial) {
        m_pictures.clear();
        m_picturesSerial = pdf->serial();
    }
    std::vector<int> missing;
    QSet<int> painted;
    for (int row = rowAtContentY(offset + event->rect().top()); row >= 0 && row < rowCount(); ++row) {
        const QRect rect = rowRect(row);
        if (rect.top() > event->rect().bottom())
            break;
        if (!rect.intersects(event->rect()))
            continue;
        const double aspectRatio = m_aspects[std::size_t(row)];
        ThumbnailCell cell{row + 1, aspectRatio, std::nullopt, m_current == row, m_selection.count(row) > 0};
        const int page = pdf->page(row).objectNumber();
        painted.insert(page);
        if (const auto picture =
                pictureFor(*pdf, row, page, ThumbnailCell::pictureRect(rect, aspectRatio).size())) {
            cell.picture = *picture;
        } else {
            missing.push_back(row);
            if (const auto last = m_pictures.constFind(page); last != m_pictures.constEnd())
                cell.picture = last->pixmap;
        }
        cell.paint(painter, rect, this);
    }
    // Only what was on screen lately is worth keeping.
    if (m_pictures.size() > 4 * std::max<qsizetype>(painted.size(), 16))
        m_pictures.removeIf([&painted](const auto& entry) { return !painted.contains(entry.key()); });
    if (const QRect marker = dropMarker(); !marker.isNull())
        painter.fillRect(marker, Color::brandBlue());
    m_loader.setDevicePixelRatio(devicePixelRatioF());
    m_loader.request(pdf, missing);
}

QRect ThumbnailListView::dropMarker() const {
    if (!m_dropMarkerY)
        return {};
    const int y = *m_dropMarkerY - verticalScrollBar()->value();
    return QRect(padding, y - dropMarkerWidth / 2, cellWidth(), dropMarkerWidth);
}

void ThumbnailListView::setDropMarker(std::optional<int> contentY) {
    if (contentY == m_dropMarkerY)
        return;
    const QRect before = dropMarker();
    m_dropMarkerY = contentY;
    viewport()->update(before.united(dropMarker()).adjusted(0, -1, 0, 1));
}

std::optional<QPixmap> ThumbnailListView::pictureFor(const pdf::Document& pdf, int row, int page,
                                                     const QSize& size) {
    const qreal ratio = devicePixelRatioF();
    const QSize box = size * ratio;
    const QString key = document::ThumbnailCache::key(pdf, row);
    if (const auto last = m_pictures.constFind(page);
        last != m_pictures.constEnd() && last->key == key && last->box == box)
        return last->pixmap;
    const auto thumbnail = m_loader.thumbnail(pdf, row);
    if (!thumbnail)
        return std::nullopt;
    QPixmap pixmap = QPixmap::fromImage(thumbnail->scaled(thumbnail->size().scaled(box, Qt::KeepAspectRatio),
                                                          Qt::KeepAspectRatio, Qt::SmoothTransformation));
    pixmap.setDevicePixelRatio(ratio);
    m_pictures[page] = Picture{key, box, pixmap};
    return pixmap;
}

void ThumbnailListView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    layoutRows();
}

void ThumbnailListView::thumbnailArrived(int row) {
    const QRect rect = rowRect(row);
    if (rect.intersects(viewport()->rect()))
        viewport()->update(rect);
}

void ThumbnailListView::mousePressEvent(QMouseEvent* event) {
    m_pressedRow = event->button() == Qt::LeftButton ? rowAt(event->position().toPoint()) : -1;
    m_pressPosition = event->position().toPoint();
}

void ThumbnailListView::mouseMoveEvent(QMouseEvent* event) {
    if (m_pressedRow < 0 || !(event->buttons() & Qt::LeftButton) ||
        (event->position().toPoint() - m_pressPosition).manhattanLength() < QApplication::startDragDistance())
        return;
    const int row = m_pressedRow;
    m_pressedRow = -1; // a drag is no click
    startDrag(row);
}

void ThumbnailListView::mouseReleaseEvent(QMouseEvent* event) {
    const int row = m_pressedRow;
    m_pressedRow = -1;
    if (event->button() == Qt::LeftButton && row >= 0 && row == rowAt(event->position().toPoint()))
        emit clicked(row, event->modifiers());
}

void ThumbnailListView::startDrag(int row) {
    auto* drag = new QDrag(this);
    auto* data = new QMimeData;
    data->setText(PageDropPayload::make(row));
    drag->setMimeData(data);
    if (const auto image = m_loader.thumbnail(*m_document->pdfDocument(), row)) {
        const QPixmap pixmap = QPixmap::fromImage(*image).scaledToWidth(int(96 * image->devicePixelRatio()),
                                                                        Qt::SmoothTransformation);
        drag->setPixmap(pixmap);
        drag->setHotSpot(QPoint(pixmap.width() / 2, pixmap.height() / 2) / pixmap.devicePixelRatio());
    }
    drag->exec(Qt::MoveAction | Qt::CopyAction, Qt::MoveAction);
}

void ThumbnailListView::contextMenuEvent(QContextMenuEvent* event) {
    const int row = rowAt(event->pos()); // viewport events arrive in viewport coordinates
    if (row >= 0)
        emit contextMenuRequested(row, event->globalPos());
}

void ThumbnailListView::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasText())
        event->acceptProposedAction();
}

// A page dropped on a row takes that row's place: coming from above it lands below the row's page, coming
// from below it lands above it. The line shows which.
void ThumbnailListView::dragMoveEvent(QDragMoveEvent* event) {
    const int row = rowAt(event->position().toPoint());
    if (!event->mimeData()->hasText() || row < 0) {
        setDropMarker(std::nullopt);
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    const std::optional<qint64> source = PageDropPayload::read(event->mimeData()->text());
    if (!source || *source < 0 || *source >= rowCount() || *source == row) {
        setDropMarker(std::nullopt);
        return;
    }
    const QRect target = rowRect(row).translated(0, verticalScrollBar()->value());
    setDropMarker(*source < row ? target.bottom() + 1 + spacing / 2 : target.top() - spacing / 2);
}

void ThumbnailListView::dragLeaveEvent(QDragLeaveEvent* event) {
    setDropMarker(std::nullopt);
    QAbstractScrollArea::dragLeaveEvent(event);
}

void ThumbnailListView::dropEvent(QDropEvent* event) {
    setDropMarker(std::nullopt);
    const int row = rowAt(event->position().toPoint());
    if (row < 0 || !event->mimeData()->hasText())
        return;
    event->acceptProposedAction();
    emit textDropped(event->mimeData()->text(), row);
}

} // namespace zepla::ui
