// The PDF view: a document's pages in one continuous column, scaled to fit the width or zoomed, scrolled
// smoothly, with the current page, navigation, text selection and copy, links and form filling. Pages are
// drawn in tiles on worker threads, so a slow page never holds up the window.
//
// The annotating view derives from this class: it overrides the mouse and key handlers and calls these
// for the default behaviour (selection, links, forms), draws its own marks in page space through
// `drawPageOverlay`, and hears about layout changes through `documentLayoutChanged`.
//
// Spaces: view coordinates are the viewport's pixels; page space is PDF points of a page, origin at the
// lower left of its media box, y upward (the PDF layer's).
#pragma once

#include "PageLayout.h"
#include "TextSelection.h"
#include "TileCache.h"
#include "pdf/PdfDocument.h"
#include "pdf/PdfRender.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QTransform>

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

class QLineEdit;
class QVariantAnimation;

namespace zepla::pdfview {

class TileRenderer;

class PDFView : public QAbstractScrollArea {
    Q_OBJECT
    Q_PROPERTY(double scaleFactor READ scaleFactor WRITE setScaleFactor NOTIFY scaleChanged)

public:
    // Zoom limits: a tenth of actual size shows a dozen pages at once; eight times is enough to read the
    // smallest print, and keeps a tile row of a page within reasonable memory.
    static constexpr double minScaleFactor = 0.1;
    static constexpr double maxScaleFactor = 8.0;

    explicit PDFView(QWidget* parent = nullptr);
    ~PDFView() override;

    void setDocument(std::shared_ptr<pdf::Document> document);
    const std::shared_ptr<pdf::Document>& document() const { return m_document; }

    // Scale: view pixels per PDF point. Setting a scale ends autoscaling; autoscaling fits the widest page
    // to the view's width and follows the view's size.
    double scaleFactor() const { return m_scale; }
    void setScaleFactor(double scale);
    // Zooms keeping the page point under `viewPoint` where it is (as far as the scroll range allows): how
    // Ctrl+wheel and a touchpad pinch zoom about the pointer.
    void setScaleFactor(double scale, const QPointF& viewPoint);
    bool autoScales() const { return m_autoScales; }
    void setAutoScales(bool on);
    double scaleFactorForSizeToFit() const;

    bool displaysPageBreaks() const { return m_pageBreaks; }
    void setDisplaysPageBreaks(bool on);
    void setBackgroundColor(const QColor& color);

    // The current page is the one under the viewport's vertical centre (the nearest one when the centre
    // falls between pages); scrolled to the very top it is the first page and to the very bottom the last.
    // A page just navigated to stays current until the view scrolls again. -1 without pages.
    int currentPageIndex() const { return m_currentPage; }
    // Scrolls so the page's top (or the given point of it, page space) is at the top of the view.
    void goToPage(int index, std::optional<QPointF> pagePoint = std::nullopt);
    // An outline entry: its page, or its address opened with the desktop.
    void goToOutlineItem(const pdf::OutlineItem& item);
    bool canGoToNextPage() const;
    bool canGoToPreviousPage() const;
    void goToNextPage();
    void goToPreviousPage();

    // Re-reads the pages (their number and sizes may have changed) and lays them out again.
    void layoutDocumentView();

    // Geometry. `pageForPoint` gives -1 off the pages unless `nearest`.
    int pageForPoint(const QPointF& viewPoint, bool nearest) const;
    QPointF convertToPage(const QPointF& viewPoint, int pageIndex) const;
    QPointF convertFromPage(const QPointF& pagePoint, int pageIndex) const;
    QRectF convertRectToPage(const QRectF& viewRect, int pageIndex) const;
    QRectF convertRectFromPage(const QRectF& pageRect, int pageIndex) const;
    // The page's rectangle in view coordinates.
    QRectF pageRectInView(int pageIndex) const;

    // Selection: one piece per selected line, in reading order.
    const std::vector<LineSelection>& selectionsByLine() const { return m_selection; }
    QString selectedText() const { return joinedText(m_selection); }
    void clearSelection();
    // Puts the selected text on the clipboard (Ctrl+C).
    void copy();

    // Follows a link: a page of this document, or an address opened with the desktop.
    void followLink(const pdf::Link& link);

    // Whether every tile asked for has come back.
    bool isRenderingIdle() const;

signals:
    void currentPageChanged(int pageIndex);
    void scaleChanged(double scale);
    void selectionChanged();
    // A form field of the document was filled in: the document changed. `previous` is the field as it was.
    void formFieldEdited(int pageIndex, const zepla::pdf::FormWidget& previous);
    // Every tile asked for has come back (or been dropped).
    void renderingIdle();
    // A page tile arrived and is about to be shown.
    void pageImageReady(int pageIndex);
    // A page was drawn on screen; `complete` when every tile of it in view was there at the current scale.
    void pageDrawn(int pageIndex, bool complete);

protected:
    // Drawing hook: called after each visible page has been drawn, with a painter in view coordinates and
    // the transform from that page's space to view coordinates.
    virtual void drawPageOverlay(QPainter& painter, int pageIndex, const QTransform& pageToView);
    // Layout hook: called after the pages have been laid out anew (document, scale, size or page set).
    virtual void documentLayoutChanged();

    // Default pointer and key behaviour; a subclass calls these for what it does not handle itself.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool viewportEvent(QEvent* event) override;

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

    QTransform pageToViewTransform(int pageIndex) const;

private:
    struct PageCache {
        quint64 revision = 0;
        pdf::DisplayList displayList;
        bool failed = false;
        std::optional<PageText> text;
        std::optional<std::vector<pdf::Link>> links;
        std::optional<std::vector<pdf::FormWidget>> widgets;
    };
    enum class Gesture { None, Selecting, Link, Form };

    // Where a page point should stay in the view across a relayout (a zoom keeps the view's centre).
    struct Anchor {
        int page = -1;
        QPointF pagePoint;
        QPointF viewPoint;
    };
    Anchor anchorAt(const QPointF& viewPoint) const;
    void relayout(const Anchor& anchor);

    // Page geometry is read in batches: opening a long document must not wait for every page's boxes.
    static constexpr int initialGeometryPages = 32;
    static constexpr int geometryBatch = 64;
    static pdf::PageGeometry letterPage();
    std::vector<QSizeF> pageSizes() const;
    // Reads the real geometry of the pages up to `last`; returns whether any laid-out size changed.
    bool loadGeometry(int last);
    // Makes the layout exact up to page `last`, keeping what is on screen in place.
    void ensureGeometry(int last);
    void loadMoreGeometry();
    // The page's object number, looked up once.
    int pageObject(int pageIndex);
    double availableWidth() const;
    void updateScrollBars();
    QPointF scrollOffset() const;
    void updateCurrentPage();
    void setCurrentPage(int index);
    void setScale(double scale, bool autoScale, const QPointF& anchorPoint);
    QPointF viewportCentre() const;
    void scrollTo(double x, double y);

    PageCache& pageCache(int pageIndex);
    // Pages this far before the first page on screen or after the last keep what was read of them; the
    // others let it go, since a display list holds the page's fonts and pictures.
    static constexpr int keptPagesAround = 8;
    void forgetPagesOutside(int first, int last);
    const PageText& pageText(int pageIndex);
    const std::vector<pdf::Link>& pageLinks(int pageIndex);
    const std::vector<pdf::FormWidget>& pageWidgets(int pageIndex);
    std::optional<pdf::Link> linkAt(int pageIndex, const QPointF& pagePoint);
    std::optional<pdf::FormWidget> widgetAt(int pageIndex, const QPointF& pagePoint);

    // The tiles of the page that meet `viewArea`: drawn when a painter is given, and collected as wanted
    // (and to be requested when missing or out of date). Returns whether all of them were there.
    bool visitTiles(QPainter* painter, int pageIndex, const QRectF& viewArea, quint64 revision,
                    std::set<TileKey>& wanted);
    // Columns and rows of the page's tiles at scale key `key` that meet `viewArea`; empty when none do.
    struct TileRange {
        int firstColumn = 0, lastColumn = -1, firstRow = 0, lastRow = -1;
    };
    TileRange tilesMeeting(int pageIndex, const QRectF& viewArea, int key) const;
    // Draws a tile of the page where it belongs, stretched when it was rendered at another scale.
    void drawTile(QPainter& painter, int pageIndex, const TileKey& key, const QImage& image) const;
    // Asks at once for the tiles of what is on screen, ahead of the paint.
    void requestVisibleTiles();
    // Asks for the missing or outdated tiles of the pages meeting `area` (view coordinates).
    void requestTiles(const QRectF& area, quint64 revision, std::set<TileKey>& wanted);
    void drawErrorMark(QPainter& painter, const QRectF& pageRect);
    void tileArrived(const TileKey& key, quint64 revision, const QImage& image);
    int scaleKey() const;

    void setSelection(const TextPosition& anchor, const TextPosition& head);
    // Offers the selection as the X11 primary selection, for middle-click pasting, once a gesture ends.
    void publishPrimarySelection();
    TextPosition textPositionAt(const QPointF& viewPoint);
    void updateHoverCursor(const QPointF& viewPoint);
    void continueDragScroll();

    void beginFormEdit(int pageIndex, const pdf::FormWidget& widget);
    void commitFormEdit();
    void cancelFormEdit();
    void placeFormEditor();

    std::shared_ptr<pdf::Document> m_document;
    std::vector<pdf::PageGeometry> m_geometries;
    // Pages [0, m_geometryKnown) have their real geometry; later ones borrow the last page read.
    int m_geometryKnown = 0;
    QTimer m_geometryLoader;
    std::vector<int> m_pageObjects; // each page's object number (0 until asked): tiles stay with their page
    PageLayout m_layout;
    double m_scale = 1.0;
    bool m_autoScales = true;
    bool m_pageBreaks = true;
    QColor m_background{Qt::lightGray};
    int m_currentPage = -1;
    bool m_navigating = false; // a programmatic scroll that must not recompute the current page

    TileRenderer* m_renderer;
    int m_settledScaleKey = 0; // the scale key at which every visible page was last drawn in full
    std::map<int, PageCache> m_pages;

    Gesture m_gesture = Gesture::None;
    QPointF m_pressPoint;
    TextPosition m_anchor;
    std::optional<pdf::Link> m_pressedLink;
    std::vector<LineSelection> m_selection;
    QElapsedTimer m_sinceDoubleClick;
    QPointF m_doubleClickPoint;
    QPointF m_dragPoint; // the pointer during a selection drag
    QTimer m_dragScroll; // scrolls while that drag is beyond the top or bottom edge

    QVariantAnimation* m_scrollAnimation;

    QPointer<QLineEdit> m_formEditor;
    int m_formEditorPage = -1;
    pdf::FormWidget m_formEditorWidget;
};

} // namespace zepla::pdfview
