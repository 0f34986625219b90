// The scrolling list of page thumbnails: lays out one cell per page, paints only the rows on screen and
// asks for their thumbnails first, reports clicks, context-menu requests and dropped text, starts drags.
#pragma once

#include "document/pages/PageOperations.h"
#include "ui/sidebar/ThumbnailLoader.h"

#include <QAbstractScrollArea>
#include <QHash>
#include <QImage>
#include <QPixmap>

#include <optional>
#include <vector>

class QVariantAnimation;

namespace zepla::document {
class PDFEditorDocument;
}

namespace zepla::ui {

class ThumbnailListView : public QAbstractScrollArea {
    Q_OBJECT

public:
    static constexpr int padding = 12;
    static constexpr int spacing = 12;

    explicit ThumbnailListView(document::PDFEditorDocument* document, QWidget* parent = nullptr);

    // Reads the page count and the pages' proportions again, after the pages changed.
    void reload();
    void setCurrentPage(std::optional<int> index);
    void setSelection(const document::IndexSet& selection);

    int rowCount() const { return int(m_aspects.size()); }
    // The row under a point of the viewport, each row owning half the gap on either side; -1 for none.
    int rowAt(const QPoint& viewportPoint) const;
    // Where a row is drawn, in viewport coordinates.
    QRect rowRect(int row) const;
    // Scrolls so that the row sits at the centre of the visible area, as far as the list allows.
    void scrollToCentre(int row, bool animated);

    ThumbnailLoader& loader() { return m_loader; }
    // Where the dragged page would land, drawn as a line between rows while a page is dragged over the
    // list; null when no drop would move anything.
    QRect dropMarker() const;

signals:
    void clicked(int row, Qt::KeyboardModifiers modifiers);
    void contextMenuRequested(int row, const QPoint& globalPosition);
    // Text dropped on a row; what it means is the receiver's business.
    void textDropped(const QString& text, int row);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void layoutRows();
    int rowAtContentY(int y) const;
    int cellWidth() const;
    void startDrag(int row);
    void setDropMarker(std::optional<int> contentY);
    void thumbnailArrived(int row);

    document::PDFEditorDocument* m_document;
    ThumbnailLoader m_loader;
    std::vector<double> m_aspects; // per row
    std::vector<int> m_tops;       // content y of every row's top
    int m_contentHeight = 0;
    // A thumbnail made ready to copy to the screen at the size of its row.
    struct Picture {
        QString key; // the cache key of the thumbnail it was made from
        QSize box;   // device pixels it was fitted into
        QPixmap pixmap;
    };
    // The picture of the row's thumbnail fitted into `size`: the one made last when it shows the same
    // thumbnail at that size, else made from the cache (thumbnails are kept compressed there, and unpacking
    // one at every paint would slow scrolling); nothing while the thumbnail is not rendered.
    std::optional<QPixmap> pictureFor(const pdf::Document& pdf, int row, int page, const QSize& size);

    // The picture each page object showed last, by object number. Scaling a thumbnail once instead of at
    // every paint keeps scrolling smooth; and since an edit changes every cache key while a page that only
    // moved still looks the same, such a page keeps its picture until the fresh thumbnail arrives. Object
    // numbers mean something only within one PDF: the serial says which.
    QHash<int, Picture> m_pictures;
    quint64 m_picturesSerial = 0;
    std::optional<int> m_current;
    std::optional<int> m_dropMarkerY; // content y of the insertion line while a page is dragged over
    document::IndexSet m_selection;
    int m_pressedRow = -1;
    QPoint m_pressPosition;
    QVariantAnimation* m_scrollAnimation;
};

} // namespace zepla::ui
