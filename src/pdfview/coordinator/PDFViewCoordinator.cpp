#include "PDFViewCoordinator.h"

#include "document/RecentPageStore.h"
#include "pdfview/annotating/AnnotatingPDFView.h"

namespace zepla::pdfview {

PDFViewCoordinator::PDFViewCoordinator(QObject* parent) : QObject(parent) {}

PDFViewCoordinator::~PDFViewCoordinator() {
    disconnect(m_pageChangeObserver);
}

PDFView* PDFViewCoordinator::pdfView() const {
    return m_pdfView;
}

void PDFViewCoordinator::setPdfView(PDFView* view) {
    m_pdfView = view;
    observePageChanges();
    emit pdfViewChanged();
}

void PDFViewCoordinator::observePageChanges() {
    disconnect(m_pageChangeObserver);
    updatePageIndicator();
    if (m_pdfView) {
        m_pageChangeObserver =
            connect(m_pdfView, &PDFView::currentPageChanged, this, &PDFViewCoordinator::updatePageIndicator);
    }
}

void PDFViewCoordinator::updatePageIndicator() {
    QString indicator;
    std::optional<int> index;
    if (m_pdfView && m_pdfView->document() && m_pdfView->currentPageIndex() >= 0) {
        index = m_pdfView->currentPageIndex();
        indicator = QStringLiteral("%1 of %2").arg(*index + 1).arg(m_pdfView->document()->pageCount());
    }
    if (indicator != m_pageIndicator) {
        m_pageIndicator = indicator;
        emit pageIndicatorChanged(m_pageIndicator);
    }
    if (index != m_currentPageIndex) {
        m_currentPageIndex = index;
        emit currentPageIndexChanged(m_currentPageIndex);
    }
    if (index && !m_filePath.isEmpty())
        document::RecentPageStore::setPageIndex(*index, m_filePath);
}

void PDFViewCoordinator::goToNextPage() {
    if (m_pdfView)
        m_pdfView->goToNextPage();
}

void PDFViewCoordinator::goToPreviousPage() {
    if (m_pdfView)
        m_pdfView->goToPreviousPage();
}

void PDFViewCoordinator::zoomIn() {
    if (!m_pdfView)
        return;
    const double next = m_pdfView->scaleFactor() + zoomStep;
    m_pdfView->setScaleFactor(next < PDFView::maxScaleFactor ? next : PDFView::maxScaleFactor);
}

void PDFViewCoordinator::zoomOut() {
    if (!m_pdfView)
        return;
    const double next = m_pdfView->scaleFactor() - zoomStep;
    m_pdfView->setScaleFactor(next >= PDFView::minScaleFactor ? next : PDFView::minScaleFactor);
}

void PDFViewCoordinator::zoomToFit() {
    if (m_pdfView)
        m_pdfView->setScaleFactor(m_pdfView->scaleFactorForSizeToFit());
}

bool PDFViewCoordinator::applyMarkup(annotations::MarkupAction action) {
    auto* view = qobject_cast<AnnotatingPDFView*>(m_pdfView.data());
    return view && view->applyMarkup(action);
}

} // namespace zepla::pdfview
