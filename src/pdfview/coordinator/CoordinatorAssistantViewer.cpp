#include "pdfview/coordinator/CoordinatorAssistantViewer.h"

#include "pdfview/annotating/AnnotatingPDFView.h"
#include "pdfview/coordinator/PDFViewCoordinator.h"

namespace zepla::pdfview {

CoordinatorAssistantViewer::CoordinatorAssistantViewer(PDFViewCoordinator& coordinator)
    : ai::AssistantViewer(&coordinator), m_coordinator(&coordinator) {}

bool CoordinatorAssistantViewer::hasView() const {
    return m_coordinator && m_coordinator->pdfView();
}

std::optional<int> CoordinatorAssistantViewer::currentPageIndex() const {
    return m_coordinator ? m_coordinator->currentPageIndex() : std::nullopt;
}

void CoordinatorAssistantViewer::goToPage(int pageIndex) {
    if (hasView())
        m_coordinator->pdfView()->goToPage(pageIndex);
}

QString CoordinatorAssistantViewer::selectionText() const {
    return hasView() ? m_coordinator->pdfView()->selectedText() : QString();
}

bool CoordinatorAssistantViewer::addNote(const QString& text, int pageIndex) {
    AnnotatingPDFView* view = annotatingView();
    return view && view->addProgrammaticNote(text, pageIndex).ok();
}

AnnotatingPDFView* CoordinatorAssistantViewer::annotatingView() const {
    return hasView() ? qobject_cast<AnnotatingPDFView*>(m_coordinator->pdfView()) : nullptr;
}

} // namespace zepla::pdfview
