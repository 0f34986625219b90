#include "pdfview/coordinator/CoordinatorAssistantViewer.h"

#include "annotations/NoteAnnotation.h"
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
    return view && addProgrammaticNote(*view, text, pageIndex);
}

AnnotatingPDFView* CoordinatorAssistantViewer::annotatingView() const {
    return hasView() ? qobject_cast<AnnotatingPDFView*>(m_coordinator->pdfView()) : nullptr;
}

bool addProgrammaticNote(AnnotatingPDFView& view, const QString& text, int pageIndex) {
    const std::shared_ptr<pdf::Document>& document = view.document();
    if (!document)
        return false;
    const pdf::Result<pdf::PageGeometry> geometry = document->geometry(pageIndex);
    if (!geometry)
        return false;
    constexpr QSizeF noteSize(120, 80);
    constexpr qreal inset = 20;
    // Page space runs upward, so the box's top edge is its largest y.
    const QRectF box = geometry.value().cropBox;
    auto note = std::make_shared<annotations::NoteAnnotation>();
    note->bounds = QRectF(
        QPointF(box.right() - noteSize.width() - inset, box.bottom() - noteSize.height() - inset), noteSize);
    if (view.toolState())
        note->color = view.toolState()->color();
    note->contents = text;
    return bool(view.addAnnotation(note, document->page(pageIndex)));
}

} // namespace zepla::pdfview
