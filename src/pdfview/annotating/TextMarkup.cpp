// Text markup of the annotating view: a highlight, underline or strike-through per selected line, once on
// request or at every release of the mouse while the sticky markup mode is on.
#include "AnnotatingPDFView.h"

#include "annotations/TextMarkupAnnotation.h"

#include <QApplication>
#include <QMouseEvent>

namespace zepla::pdfview {

bool AnnotatingPDFView::applyMarkup(annotations::MarkupAction action) {
    const std::vector<LineSelection> lines = selectionsByLine();
    if (lines.empty() || !document() || !m_toolState)
        return false;
    const QColor color = m_toolState->color();
    for (const LineSelection& line : lines) {
        if (line.pageIndex < 0 || line.bounds.width() <= 0 || line.bounds.height() <= 0)
            continue;
        auto markup = std::make_shared<annotations::TextMarkupAnnotation>(action, line.degrees);
        markup->bounds = line.bounds;
        markup->color = color;
        addAnnotation(markup, document()->page(line.pageIndex));
    }
    clearSelection();
    return true;
}

void AnnotatingPDFView::applyStickyMarkupIfNeeded() {
    if (!m_toolState || !m_toolState->activeMarkupMode() ||
        m_toolState->tool() != annotations::AnnotationTool::select)
        return;
    applyMarkup(*m_toolState->activeMarkupMode());
}

// Every left release in the application, before it is delivered, wherever it lands: a selection made by
// dragging is marked up the moment the button comes up, even over a toolbar button. A release offered again
// to a parent widget finds the selection already cleared.
bool AnnotatingPDFView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease && watched->isWidgetType() &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        applyStickyMarkupIfNeeded();
    return PDFView::eventFilter(watched, event);
}

void AnnotatingPDFView::watchReleasesForStickyMarkup() {
    qApp->installEventFilter(this);
}

} // namespace zepla::pdfview
