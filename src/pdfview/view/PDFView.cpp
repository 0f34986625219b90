#include "PDFView.h"

#include "TileRenderer.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QLineEdit>
#include <QNativeGestureEvent>
#include <QPainter>
#include <QScrollBar>
#include <QShortcut>
#include <QStyle>
#include <QUrl>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>

namespace zepla::pdfview {

namespace {

constexpr int scrollStep = 40;  // pixels per arrow key
constexpr int wheelNotch = 120; // pixels per notch of a mouse wheel
constexpr int smoothScrollMs = 160;
constexpr double zoomPerNotch = 1.1; // Ctrl+wheel: one notch zooms by a tenth
const QColor selectionColor(164, 205, 255);
const QColor pageShadowColor(0, 0, 0, 50);
const QColor pageEdgeColor(0, 0, 0, 90);

// Addresses a link may open with the desktop. A PDF could name anything (a local program, a script); only
// web and mail addresses are handed on.
bool isOpenableAddress(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
                             scheme == QLatin1String("mailto"));
}

void openAddress(const QString& address) {
    const QUrl url(address);
    if (isOpenableAddress(url))
        QDesktopServices::openUrl(url);
}

} // namespace

PDFView::PDFView(QWidget* parent)
    : QAbstractScrollArea(parent), m_renderer(new TileRenderer(this)),
      m_scrollAnimation(new QVariantAnimation(this)) {
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    verticalScrollBar()->setSingleStep(scrollStep);
    horizontalScrollBar()->setSingleStep(scrollStep);
    m_scrollAnimation->setDuration(smoothScrollMs);
    m_scrollAnimation->setEasingCurve(QEasingCurve::OutCubic);
    connect(m_scrollAnimation, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { verticalScrollBar()->setValue(value.toInt()); });
    connect(m_renderer, &TileRenderer::tileReady, this, &PDFView::tileArrived);
    connect(m_renderer, &TileRenderer::wantedTileDropped, viewport(), qOverload<>(&QWidget::update));
    m_dragScroll.setInterval(16);
    connect(&m_dragScroll, &QTimer::timeout, this, &PDFView::continueDragScroll);
    m_geometryLoader.setInterval(0);
    connect(&m_geometryLoader, &QTimer::timeout, this, &PDFView::loadMoreGeometry);
    connect(m_renderer, &TileRenderer::idle, this, &PDFView::renderingIdle);
}

// The tiles of a document no view shows any more would only wait in the cache to be pushed out.
PDFView::~PDFView() {
    if (m_document)
        TileCache::removeDocument(m_document->serial());
}

// --- document and layout ---

void PDFView::setDocument(std::shared_ptr<pdf::Document> document) {
    cancelFormEdit();
    if (m_document && m_document != document)
        TileCache::removeDocument(m_document->serial());
    m_document = std::move(document);
    m_pages.clear();
    m_selection.clear();
    m_anchor = {};
    m_currentPage = -1;
    layoutDocumentView();
    m_navigating = true;
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    m_navigating = false;
    updateCurrentPage();
    emit selectionChanged();
    // A view not shown yet asks when it gets its size, as it is being shown.
    if (isVisible())
        requestVisibleTiles();
}

void PDFView::requestVisibleTiles() {
    if (!m_document || m_layout.pageCount() == 0)
        return;
    std::set<TileKey> wanted;
    requestTiles(viewport()->rect(), m_document->revision(), wanted);
    m_renderer->setWanted(std::move(wanted));
}

void PDFView::layoutDocumentView() {
    const Anchor anchor = anchorAt(QPointF(viewport()->width() / 2.0, 0));
    const int count = m_document ? m_document->pageCount() : 0;
    m_geometries.assign(size_t(count), letterPage());
    m_pageObjects.assign(size_t(count), 0);
    m_geometryKnown = 0;
    // The pages up to what is on screen now are read at once; the rest follow in the background.
    loadGeometry(std::max(initialGeometryPages, anchor.page + initialGeometryPages) - 1);
    m_layout.setPageSizes(pageSizes());
    m_pages.clear();
    if (m_formEditor && m_formEditorPage >= count)
        cancelFormEdit();
    relayout(anchor.page < count ? anchor : Anchor{});
    if (m_currentPage >= count)
        setCurrentPage(count - 1);
    else if (m_currentPage < 0 && count > 0)
        updateCurrentPage();
    if (m_geometryKnown < count)
        m_geometryLoader.start();
}

pdf::PageGeometry PDFView::letterPage() {
    return {QRectF(0, 0, 612, 792), QRectF(0, 0, 612, 792), 0};
}

std::vector<QSizeF> PDFView::pageSizes() const {
    std::vector<QSizeF> sizes;
    sizes.reserve(m_geometries.size());
    for (const pdf::PageGeometry& g : m_geometries)
        sizes.push_back(g.displaySize());
    return sizes;
}

bool PDFView::loadGeometry(int last) {
    const int count = int(m_geometries.size());
    last = std::min(last, count - 1);
    if (last < m_geometryKnown)
        return false;
    bool changed = false;
    auto assign = [&](size_t i, const pdf::PageGeometry& g) {
        changed |= g.displaySize() != m_geometries[i].displaySize();
        m_geometries[i] = g;
    };
    const auto read = m_document->geometries(m_geometryKnown, last);
    for (int i = m_geometryKnown; i <= last; ++i) {
        const auto& geometry = read[size_t(i - m_geometryKnown)];
        // A page whose boxes cannot be read is laid out at Letter size and shows its error mark.
        assign(size_t(i), geometry ? geometry.value() : letterPage());
    }
    m_geometryKnown = last + 1;
    // Pages not read yet are laid out like the last page read: most documents have one page size.
    for (int i = m_geometryKnown; i < count; ++i)
        assign(size_t(i), m_geometries[size_t(m_geometryKnown - 1)]);
    return changed;
}

void PDFView::ensureGeometry(int last) {
    if (last < m_geometryKnown)
        return;
    const Anchor anchor = anchorAt(QPointF(viewport()->width() / 2.0, 0));
    if (loadGeometry(last + initialGeometryPages)) {
        m_layout.setPageSizes(pageSizes());
        relayout(anchor);
    }
}

void PDFView::loadMoreGeometry() {
    // A hidden view leaves its document alone (a save may be holding it) and goes on once shown again.
    if (!isVisible())
        return;
    ensureGeometry(m_geometryKnown + geometryBatch - 1);
    if (m_geometryKnown >= int(m_geometries.size()))
        m_geometryLoader.stop();
}

int PDFView::pageObject(int pageIndex) {
    int& number = m_pageObjects[size_t(pageIndex)];
    if (number == 0)
        number = m_document->page(pageIndex).objectNumber();
    return number;
}

double PDFView::availableWidth() const {
    // Room for a vertical scroll bar is kept whether or not one shows: fitting the width must not change
    // whether the scroll bar is needed, or the two would chase each other.
    return contentsRect().width() - style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
}

PDFView::Anchor PDFView::anchorAt(const QPointF& viewPoint) const {
    const int page = pageForPoint(viewPoint, true);
    if (page < 0)
        return {};
    return Anchor{page, convertToPage(viewPoint, page), viewPoint};
}

void PDFView::relayout(const Anchor& anchor) {
    if (m_autoScales) {
        const double fit = scaleFactorForSizeToFit();
        if (fit != m_scale) {
            m_scale = fit;
            emit scaleChanged(m_scale);
        }
    }
    m_layout.layout(m_scale, viewport()->width(), m_pageBreaks);
    // New ranges clamp the scroll bars on the way to the anchor: what the view passes through then is not
    // a page the user went to.
    m_navigating = true;
    updateScrollBars();
    if (anchor.page >= 0) {
        const QPointF content = pageToViewTransform(anchor.page).map(anchor.pagePoint) + scrollOffset();
        scrollTo(content.x() - anchor.viewPoint.x(), content.y() - anchor.viewPoint.y());
    }
    m_navigating = false;
    placeFormEditor();
    viewport()->update();
    documentLayoutChanged();
}

void PDFView::updateScrollBars() {
    const QSizeF content = m_layout.contentSize();
    const QSize view = viewport()->size();
    // A page fitted to the width comes back a hair wider than the room it was fitted to, from rounding;
    // that hair must not make the content scroll.
    const auto pixels = [](double length) { return int(std::ceil(length - 1e-6)); };
    verticalScrollBar()->setRange(0, std::max(0, pixels(content.height()) - view.height()));
    verticalScrollBar()->setPageStep(view.height());
    horizontalScrollBar()->setRange(0, std::max(0, pixels(content.width()) - view.width()));
    horizontalScrollBar()->setPageStep(view.width());
}

QPointF PDFView::scrollOffset() const {
    return QPointF(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void PDFView::scrollTo(double x, double y) {
    m_scrollAnimation->stop();
    horizontalScrollBar()->setValue(int(std::round(x)));
    verticalScrollBar()->setValue(int(std::round(y)));
}

void PDFView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    // Keep the current page's top edge where it was.
    relayout(m_currentPage >= 0 ? anchorAt(QPointF(viewport()->width() / 2.0, 0)) : Anchor{});
    // The pages on screen start rendering now rather than at the next paint: when the window is being
    // shown, the first paint then finds them on their way.
    requestVisibleTiles();
}

void PDFView::scrollContentsBy(int, int) {
    // Scrolled ahead of the pages read so far: read them before they are drawn.
    ensureGeometry(
        m_layout.pagesBetween(scrollOffset().y(), scrollOffset().y() + viewport()->height()).second);
    placeFormEditor();
    viewport()->update();
    if (!m_navigating)
        updateCurrentPage();
}

void PDFView::setDisplaysPageBreaks(bool on) {
    if (on == m_pageBreaks)
        return;
    m_pageBreaks = on;
    relayout(anchorAt(viewportCentre()));
}

void PDFView::setBackgroundColor(const QColor& color) {
    m_background = color;
    viewport()->update();
}

void PDFView::documentLayoutChanged() {}

void PDFView::drawPageOverlay(QPainter&, int, const QTransform&) {}

// --- scale ---

double PDFView::scaleFactorForSizeToFit() const {
    return std::clamp(m_layout.fitWidthScale(availableWidth(), m_pageBreaks), minScaleFactor, maxScaleFactor);
}

void PDFView::setScaleFactor(double scale) {
    setScaleFactor(scale, viewportCentre());
}

void PDFView::setScaleFactor(double scale, const QPointF& viewPoint) {
    setScale(std::clamp(scale, minScaleFactor, maxScaleFactor), false, viewPoint);
}

QPointF PDFView::viewportCentre() const {
    return QPointF(viewport()->width() / 2.0, viewport()->height() / 2.0);
}

void PDFView::setAutoScales(bool on) {
    if (on == m_autoScales)
        return;
    m_autoScales = on;
    if (on)
        relayout(anchorAt(viewportCentre()));
}

void PDFView::setScale(double scale, bool autoScale, const QPointF& anchorPoint) {
    const Anchor anchor = anchorAt(anchorPoint);
    m_autoScales = autoScale;
    const bool changed = scale != m_scale;
    m_scale = scale;
    relayout(anchor);
    if (changed)
        emit scaleChanged(m_scale);
}

// --- current page and navigation ---

void PDFView::updateCurrentPage() {
    const int count = m_layout.pageCount();
    if (count == 0) {
        setCurrentPage(-1);
        return;
    }
    const QScrollBar* bar = verticalScrollBar();
    if (bar->maximum() > 0 && bar->value() <= bar->minimum()) {
        setCurrentPage(0);
    } else if (bar->maximum() > 0 && bar->value() >= bar->maximum()) {
        setCurrentPage(count - 1);
    } else {
        setCurrentPage(pageForPoint(viewportCentre(), true));
    }
}

void PDFView::setCurrentPage(int index) {
    if (index == m_currentPage)
        return;
    m_currentPage = index;
    emit currentPageChanged(index);
}

void PDFView::goToPage(int index, std::optional<QPointF> pagePoint) {
    if (index < 0 || index >= m_layout.pageCount())
        return;
    ensureGeometry(index);
    const QRectF page = m_layout.pageRect(index);
    double x = horizontalScrollBar()->value();
    double y = page.top() - (m_pageBreaks ? PageLayout::pageBreakGap : 0.0);
    if (pagePoint) {
        const QPointF target = pageToViewTransform(index).map(*pagePoint) + scrollOffset();
        y = target.y();
        if (target.x() < x || target.x() > x + viewport()->width())
            x = target.x() - viewport()->width() / 2.0;
    }
    m_navigating = true;
    scrollTo(x, y);
    m_navigating = false;
    setCurrentPage(index);
}

void PDFView::goToOutlineItem(const pdf::OutlineItem& item) {
    if (!item.uri.isEmpty())
        openAddress(item.uri);
    else
        goToPage(item.pageIndex);
}

bool PDFView::canGoToNextPage() const {
    return m_currentPage >= 0 && m_currentPage + 1 < m_layout.pageCount();
}

bool PDFView::canGoToPreviousPage() const {
    return m_currentPage > 0;
}

void PDFView::goToNextPage() {
    if (canGoToNextPage())
        goToPage(m_currentPage + 1);
}

void PDFView::goToPreviousPage() {
    if (canGoToPreviousPage())
        goToPage(m_currentPage - 1);
}

void PDFView::followLink(const pdf::Link& link) {
    if (link.isExternal())
        openAddress(link.uri);
    else
        goToPage(link.pageIndex, link.destination);
}

// --- geometry ---

QTransform PDFView::pageToViewTransform(int pageIndex) const {
    const QPointF origin = m_layout.pageRect(pageIndex).topLeft() - scrollOffset();
    return m_geometries[size_t(pageIndex)].pageToImage(m_scale) *
           QTransform::fromTranslate(origin.x(), origin.y());
}

QRectF PDFView::pageRectInView(int pageIndex) const {
    return m_layout.pageRect(pageIndex).translated(-scrollOffset());
}

int PDFView::pageForPoint(const QPointF& viewPoint, bool nearest) const {
    return m_layout.pageAt(viewPoint + scrollOffset(), nearest);
}

QPointF PDFView::convertToPage(const QPointF& viewPoint, int pageIndex) const {
    return pageToViewTransform(pageIndex).inverted().map(viewPoint);
}

QPointF PDFView::convertFromPage(const QPointF& pagePoint, int pageIndex) const {
    return pageToViewTransform(pageIndex).map(pagePoint);
}

QRectF PDFView::convertRectToPage(const QRectF& viewRect, int pageIndex) const {
    return pageToViewTransform(pageIndex).inverted().mapRect(viewRect);
}

QRectF PDFView::convertRectFromPage(const QRectF& pageRect, int pageIndex) const {
    return pageToViewTransform(pageIndex).mapRect(pageRect);
}

// --- per-page data ---

PDFView::PageCache& PDFView::pageCache(int pageIndex) {
    const quint64 revision = m_document->revision();
    PageCache& cache = m_pages[pageIndex];
    if (cache.revision != revision)
        cache = PageCache{revision};
    return cache;
}

void PDFView::forgetPagesOutside(int first, int last) {
    m_pages.erase(m_pages.begin(), m_pages.lower_bound(first));
    m_pages.erase(m_pages.upper_bound(last), m_pages.end());
}

const PageText& PDFView::pageText(int pageIndex) {
    PageCache& cache = pageCache(pageIndex);
    if (!cache.text) {
        auto text = m_document->structuredText(pageIndex);
        cache.text = text ? PageText::from(text.value()) : PageText{};
    }
    return *cache.text;
}

const std::vector<pdf::Link>& PDFView::pageLinks(int pageIndex) {
    PageCache& cache = pageCache(pageIndex);
    if (!cache.links) {
        auto links = m_document->links(pageIndex);
        cache.links = links ? std::move(links.value()) : std::vector<pdf::Link>{};
    }
    return *cache.links;
}

const std::vector<pdf::FormWidget>& PDFView::pageWidgets(int pageIndex) {
    PageCache& cache = pageCache(pageIndex);
    if (!cache.widgets) {
        auto widgets = m_document->formWidgets(pageIndex);
        cache.widgets = widgets ? std::move(widgets.value()) : std::vector<pdf::FormWidget>{};
    }
    return *cache.widgets;
}

std::optional<pdf::Link> PDFView::linkAt(int pageIndex, const QPointF& pagePoint) {
    for (const pdf::Link& link : pageLinks(pageIndex)) {
        if (link.rect.contains(pagePoint))
            return link;
    }
    return std::nullopt;
}

std::optional<pdf::FormWidget> PDFView::widgetAt(int pageIndex, const QPointF& pagePoint) {
    for (const pdf::FormWidget& widget : pageWidgets(pageIndex)) {
        if (widget.type != pdf::FormWidget::Type::Other && widget.rect.contains(pagePoint))
            return widget;
    }
    return std::nullopt;
}

// --- painting ---

int PDFView::scaleKey() const {
    return int(std::lround(m_scale * devicePixelRatioF() * 1000.0));
}

bool PDFView::isRenderingIdle() const {
    return m_renderer->isIdle();
}

void PDFView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    painter.fillRect(event->rect(), m_background);
    if (!m_document || m_layout.pageCount() == 0)
        return;
    const quint64 revision = m_document->revision();
    const QRectF view = viewport()->rect();
    std::set<TileKey> wanted;
    bool allComplete = true;
    const auto [first, last] = m_layout.pagesBetween(scrollOffset().y(), scrollOffset().y() + view.height());
    for (int i = first; i <= last; ++i) {
        const QRectF page = pageRectInView(i);
        if (m_pageBreaks) {
            // A soft shadow below and a fine edge all round, so a white page stands out from a light
            // background.
            painter.fillRect(page.translated(1, 2), pageShadowColor);
            painter.fillRect(page.adjusted(-1, -1, 1, 1), pageEdgeColor);
        }
        painter.fillRect(page, Qt::white);
        const bool complete = visitTiles(&painter, i, view, revision, wanted);
        allComplete &= complete;
        if (pageCache(i).failed)
            drawErrorMark(painter, page);
        painter.save();
        painter.setCompositionMode(QPainter::CompositionMode_Multiply);
        for (const LineSelection& line : m_selection) {
            if (line.pageIndex == i)
                painter.fillRect(convertRectFromPage(line.bounds, i), selectionColor);
        }
        painter.restore();
        painter.save();
        drawPageOverlay(painter, i, pageToViewTransform(i));
        painter.restore();
        emit pageDrawn(i, complete);
    }
    if (allComplete)
        m_settledScaleKey = scaleKey();
    // Half a screen beyond each edge is drawn ahead of time, so scrolling finds it ready.
    requestTiles(view.adjusted(0, -view.height() / 2, 0, view.height() / 2), revision, wanted);
    m_renderer->setWanted(std::move(wanted));
    forgetPagesOutside(first - keptPagesAround, last + keptPagesAround);
}

void PDFView::requestTiles(const QRectF& area, quint64 revision, std::set<TileKey>& wanted) {
    const auto [first, last] =
        m_layout.pagesBetween(scrollOffset().y() + area.top(), scrollOffset().y() + area.bottom());
    for (int i = first; i <= last; ++i)
        visitTiles(nullptr, i, area, revision, wanted);
}

PDFView::TileRange PDFView::tilesMeeting(int pageIndex, const QRectF& viewArea, int key) const {
    const double dpr = devicePixelRatioF();
    const QRectF page = pageRectInView(pageIndex);
    const QRectF shown = page.intersected(viewArea).translated(-page.topLeft());
    if (shown.isEmpty())
        return {};
    // The area in the device pixels of a page drawn at `key`, which may be another scale than the layout's.
    const double stretch = key / (m_scale * dpr * 1000.0);
    const QRectF device(shown.topLeft() * dpr * stretch, shown.size() * dpr * stretch);
    const QSizeF full = m_geometries[size_t(pageIndex)].displaySize() * (key / 1000.0);
    const int size = TileCache::tileSize;
    return {std::max(0, int(device.left()) / size),
            std::min(int(std::ceil(full.width())) - 1, int(device.right())) / size,
            std::max(0, int(device.top()) / size),
            std::min(int(std::ceil(full.height())) - 1, int(device.bottom())) / size};
}

void PDFView::drawTile(QPainter& painter, int pageIndex, const TileKey& key, const QImage& image) const {
    const double dpr = devicePixelRatioF();
    const double stretch = scaleKey() / double(key.scaleKey);
    const QPointF origin = pageRectInView(pageIndex).topLeft();
    const QRectF target(origin + QPointF(key.column, key.row) * (TileCache::tileSize * stretch / dpr),
                        QSizeF(image.size()) * (stretch / dpr));
    painter.drawImage(target, image);
}

bool PDFView::visitTiles(QPainter* painter, int pageIndex, const QRectF& viewArea, quint64 revision,
                         std::set<TileKey>& wanted) {
    PageCache& cache = pageCache(pageIndex);
    if (cache.failed)
        return true;
    const int key = scaleKey();
    const TileRange range = tilesMeeting(pageIndex, viewArea, key);
    const quint64 serial = m_document->serial();
    const int object = pageObject(pageIndex);
    bool complete = true;
    // Until the tiles at this scale arrive, those of the scale last shown in full stand in, stretched: a
    // zoom or a resize never blanks the page.
    if (painter && m_settledScaleKey > 0 && m_settledScaleKey != key) {
        const TileRange old = tilesMeeting(pageIndex, viewArea, m_settledScaleKey);
        for (int row = old.firstRow; row <= old.lastRow; ++row) {
            for (int column = old.firstColumn; column <= old.lastColumn; ++column) {
                const TileKey stale{serial, object, m_settledScaleKey, column, row};
                if (const std::optional<Tile> tile = TileCache::find(stale))
                    drawTile(*painter, pageIndex, stale, tile->image);
            }
        }
    }
    const double deviceScale = m_scale * devicePixelRatioF();
    const int size = TileCache::tileSize;
    for (int row = range.firstRow; row <= range.lastRow; ++row) {
        for (int column = range.firstColumn; column <= range.lastColumn; ++column) {
            const TileKey tileKey{serial, object, key, column, row};
            wanted.insert(tileKey);
            const std::optional<Tile> tile = TileCache::find(tileKey);
            if (tile && painter)
                drawTile(*painter, pageIndex, tileKey, tile->image);
            complete &= tile.has_value();
            if (tile && tile->revision == revision)
                continue;
            if (m_renderer->isPending(tileKey, revision))
                continue;
            if (cache.displayList.isNull()) {
                auto list = m_document->displayList(pageIndex);
                if (!list) {
                    cache.failed = true;
                    return true;
                }
                cache.displayList = list.value();
            }
            m_renderer->request(tileKey, revision, cache.displayList, deviceScale,
                                QRect(column * size, row * size, size, size));
        }
    }
    return complete;
}

void PDFView::drawErrorMark(QPainter& painter, const QRectF& pageRect) {
    const double side = std::clamp(pageRect.width() / 8, 16.0, 64.0);
    const QRectF mark(pageRect.center() - QPointF(side / 2, side / 2), QSizeF(side, side));
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(210, 50, 45));
    painter.drawEllipse(mark);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(int(side * 0.7));
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(mark, Qt::AlignCenter, QStringLiteral("!"));
    painter.restore();
}

// A tile is kept whatever happened to the layout meanwhile: it is keyed by its page object, so it lands on
// that page wherever the page now is, and the repaint asks again for whatever is still missing.
void PDFView::tileArrived(const TileKey& key, quint64 revision, const QImage& image) {
    if (!m_document || key.serial != m_document->serial())
        return;
    if (!image.isNull())
        TileCache::insert(key, Tile{image, revision});
    viewport()->update();
    const auto found = std::find(m_pageObjects.begin(), m_pageObjects.end(), key.page);
    if (found == m_pageObjects.end())
        return;
    const int pageIndex = int(found - m_pageObjects.begin());
    if (!image.isNull())
        emit pageImageReady(pageIndex);
    else if (revision == m_document->revision())
        pageCache(pageIndex).failed = true;
}

// --- selection ---

TextPosition PDFView::textPositionAt(const QPointF& viewPoint) {
    const int page = pageForPoint(viewPoint, true);
    if (page < 0)
        return {};
    return positionAt(pageText(page), page, convertToPage(viewPoint, page));
}

void PDFView::setSelection(const TextPosition& anchor, const TextPosition& head) {
    m_selection = selectLines(anchor, head, [this](int page) -> const PageText& { return pageText(page); });
    viewport()->update();
    emit selectionChanged();
}

void PDFView::clearSelection() {
    if (m_selection.empty())
        return;
    m_selection.clear();
    viewport()->update();
    emit selectionChanged();
}

void PDFView::copy() {
    if (m_selection.empty() || !m_document || !m_document->hasPermission(pdf::Permission::Copy))
        return;
    QApplication::clipboard()->setText(selectedText());
}

void PDFView::publishPrimarySelection() {
    QClipboard* clipboard = QApplication::clipboard();
    if (m_selection.empty() || !clipboard->supportsSelection() || !m_document ||
        !m_document->hasPermission(pdf::Permission::Copy))
        return;
    clipboard->setText(selectedText(), QClipboard::Selection);
}

// --- pointer and keys ---

void PDFView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_document) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    commitFormEdit();
    m_scrollAnimation->stop();
    const QPointF point = event->position();
    m_pressPoint = point;
    m_gesture = Gesture::None;

    const bool thirdClick =
        m_sinceDoubleClick.isValid() && m_sinceDoubleClick.elapsed() < QApplication::doubleClickInterval() &&
        (point - m_doubleClickPoint).manhattanLength() < QApplication::startDragDistance();
    m_sinceDoubleClick.invalidate();
    const int page = pageForPoint(point, !thirdClick);
    if (thirdClick) {
        if (page >= 0) {
            const auto [from, to] = lineAt(pageText(page), page, convertToPage(point, page));
            setSelection(from, to);
            publishPrimarySelection();
        }
        return;
    }
    const int hit = pageForPoint(point, false);
    if (hit >= 0) {
        const QPointF pagePoint = convertToPage(point, hit);
        if (const auto widget = widgetAt(hit, pagePoint)) {
            m_gesture = Gesture::Form;
            if (widget->type == pdf::FormWidget::Type::Checkbox) {
                if (m_document->toggleCheckbox(hit, widget->handle))
                    emit formFieldEdited(hit, *widget);
                viewport()->update();
            } else {
                beginFormEdit(hit, *widget);
            }
            return;
        }
        if (const auto link = linkAt(hit, pagePoint)) {
            m_gesture = Gesture::Link;
            m_pressedLink = link;
            return;
        }
    }
    m_gesture = Gesture::Selecting;
    m_anchor = textPositionAt(point);
    clearSelection();
}

void PDFView::mouseMoveEvent(QMouseEvent* event) {
    const QPointF point = event->position();
    if (!(event->buttons() & Qt::LeftButton)) {
        updateHoverCursor(point);
        QAbstractScrollArea::mouseMoveEvent(event);
        return;
    }
    if (m_gesture == Gesture::Link &&
        (point - m_pressPoint).manhattanLength() >= QApplication::startDragDistance()) {
        // Dragging from a link selects text rather than following it.
        m_pressedLink.reset();
        m_gesture = Gesture::Selecting;
        m_anchor = textPositionAt(m_pressPoint);
    }
    if (m_gesture == Gesture::Selecting) {
        m_dragPoint = point;
        setSelection(m_anchor, textPositionAt(point));
        // Beyond the top or bottom edge the view scrolls on, so a selection can reach pages off screen.
        if (point.y() < 0 || point.y() > viewport()->height())
            m_dragScroll.start();
        else
            m_dragScroll.stop();
    }
}

void PDFView::continueDragScroll() {
    const double y = m_dragPoint.y();
    const double beyond = y < 0 ? y : y - viewport()->height();
    if (m_gesture != Gesture::Selecting || (y >= 0 && y <= viewport()->height())) {
        m_dragScroll.stop();
        return;
    }
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(bar->value() + int(std::clamp(beyond, -60.0, 60.0)));
    const QPointF inside(m_dragPoint.x(), std::clamp(y, 0.0, double(viewport()->height())));
    setSelection(m_anchor, textPositionAt(inside));
}

void PDFView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseReleaseEvent(event);
        return;
    }
    if (m_gesture == Gesture::Link && m_pressedLink)
        followLink(*m_pressedLink);
    if (m_gesture == Gesture::Selecting)
        publishPrimarySelection();
    m_pressedLink.reset();
    m_gesture = Gesture::None;
    m_dragScroll.stop();
}

void PDFView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_document || m_gesture == Gesture::Form) {
        QAbstractScrollArea::mouseDoubleClickEvent(event);
        return;
    }
    const QPointF point = event->position();
    const int page = pageForPoint(point, true);
    if (page < 0)
        return;
    const auto [from, to] = wordAt(pageText(page), page, convertToPage(point, page));
    setSelection(from, to);
    publishPrimarySelection();
    m_gesture = Gesture::None;
    m_sinceDoubleClick.start();
    m_doubleClickPoint = point;
}

void PDFView::updateHoverCursor(const QPointF& viewPoint) {
    Qt::CursorShape shape = Qt::ArrowCursor;
    const int page = m_document ? pageForPoint(viewPoint, false) : -1;
    if (page >= 0) {
        const QPointF pagePoint = convertToPage(viewPoint, page);
        if (linkAt(page, pagePoint) || widgetAt(page, pagePoint))
            shape = Qt::PointingHandCursor;
        else if (isOverText(pageText(page), pagePoint))
            shape = Qt::IBeamCursor;
    }
    viewport()->setCursor(shape);
}

void PDFView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        copy();
        return;
    }
    if (event->modifiers() == Qt::NoModifier &&
        (event->key() == Qt::Key_Home || event->key() == Qt::Key_End)) {
        goToPage(event->key() == Qt::Key_Home ? 0 : m_layout.pageCount() - 1);
        return;
    }
    // Space pages down and Shift+Space up, by a screen, as Page Down and Page Up do.
    if (event->key() == Qt::Key_Space &&
        (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::ShiftModifier)) {
        m_scrollAnimation->stop();
        verticalScrollBar()->triggerAction(event->modifiers() == Qt::ShiftModifier
                                               ? QAbstractSlider::SliderPageStepSub
                                               : QAbstractSlider::SliderPageStepAdd);
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void PDFView::wheelEvent(QWheelEvent* event) {
    if (event->modifiers() == Qt::ControlModifier) {
        m_scrollAnimation->stop();
        if (event->angleDelta().y() != 0)
            setScaleFactor(m_scale * std::pow(zoomPerNotch, event->angleDelta().y() / 120.0),
                           event->position());
        event->accept();
        return;
    }
    // Touchpads report pixels and scroll directly; wheel notches glide to their target.
    if (!event->pixelDelta().isNull() || event->angleDelta().y() == 0 ||
        event->modifiers() != Qt::NoModifier) {
        m_scrollAnimation->stop();
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    QScrollBar* bar = verticalScrollBar();
    const int from = bar->value();
    const int base = m_scrollAnimation->state() == QAbstractAnimation::Running
                         ? m_scrollAnimation->endValue().toInt()
                         : from;
    const int target =
        std::clamp(base - event->angleDelta().y() * wheelNotch / 120, bar->minimum(), bar->maximum());
    m_scrollAnimation->stop();
    m_scrollAnimation->setStartValue(from);
    m_scrollAnimation->setEndValue(target);
    m_scrollAnimation->start();
    event->accept();
}

bool PDFView::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::NativeGesture) {
        const auto* gesture = static_cast<QNativeGestureEvent*>(event);
        if (gesture->gestureType() == Qt::ZoomNativeGesture) {
            m_scrollAnimation->stop();
            setScaleFactor(m_scale * (1.0 + gesture->value()), gesture->position());
            event->accept();
            return true;
        }
    }
    return QAbstractScrollArea::viewportEvent(event);
}

// --- form filling ---

void PDFView::beginFormEdit(int pageIndex, const pdf::FormWidget& widget) {
    cancelFormEdit();
    auto* editor = new QLineEdit(viewport());
    editor->setFrame(false);
    editor->setText(widget.value);
    editor->selectAll();
    m_formEditor = editor;
    m_formEditorPage = pageIndex;
    m_formEditorWidget = widget;
    connect(editor, &QLineEdit::editingFinished, this, &PDFView::commitFormEdit);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), editor, nullptr, nullptr, Qt::WidgetShortcut);
    connect(escape, &QShortcut::activated, this, &PDFView::cancelFormEdit);
    placeFormEditor();
    editor->show();
    editor->setFocus(Qt::MouseFocusReason);
}

void PDFView::placeFormEditor() {
    if (!m_formEditor)
        return;
    const QRect area = convertRectFromPage(m_formEditorWidget.rect, m_formEditorPage).toAlignedRect();
    QFont font = m_formEditor->font();
    font.setPixelSize(std::max(6, int(area.height() * 0.7)));
    m_formEditor->setFont(font);
    m_formEditor->setGeometry(area);
}

void PDFView::commitFormEdit() {
    if (!m_formEditor)
        return;
    QLineEdit* editor = m_formEditor;
    m_formEditor = nullptr;
    const QString text = editor->text();
    editor->hide();
    editor->deleteLater();
    if (text == m_formEditorWidget.value || !m_document)
        return;
    if (m_document->setTextFieldValue(m_formEditorPage, m_formEditorWidget.handle, text))
        emit formFieldEdited(m_formEditorPage, m_formEditorWidget);
    viewport()->update();
}

void PDFView::cancelFormEdit() {
    if (!m_formEditor)
        return;
    QLineEdit* editor = m_formEditor;
    m_formEditor = nullptr;
    editor->hide();
    editor->deleteLater();
    setFocus(Qt::OtherFocusReason);
}

} // namespace zepla::pdfview
