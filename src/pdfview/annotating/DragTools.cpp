// The drag tools of the annotating view: ink, rectangle, oval, line, redaction mark, form field and
// signature. A press makes the annotation, the first drag puts it on the page, every drag reshapes it and the
// release keeps it with one undo step; a press without a drag, or Esc, leaves nothing, except for a
// signature, which a click places at its default size.
//
// While the gesture lasts the annotation sits on its page hidden and is drawn live from its own appearance;
// the release writes that same appearance into the file and shows the annotation.
#include "AnnotatingPDFView.h"

#include "annotations/FormFieldPlacer.h"
#include "annotations/InkAnnotation.h"
#include "annotations/LineAnnotation.h"
#include "annotations/OutlineShapeAnnotation.h"
#include "annotations/RedactionMarkerAnnotation.h"
#include "annotations/SignatureAnnotation.h"
#include "pdf/PageTurn.h"

namespace zepla::pdfview {

using namespace annotations;

QRectF AnnotatingPDFView::normalizedRect(const QPointF& a, const QPointF& b) {
    return QRectF(std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::abs(a.x() - b.x()),
                  std::abs(a.y() - b.y()));
}

int AnnotatingPDFView::dragPageIndex() const {
    return m_dragPage.isNull() || !document() ? -1 : document()->indexOf(m_dragPage);
}

void AnnotatingPDFView::beginDragShape(AnnotationTool tool, const QPointF& viewPoint) {
    if (!document() || !m_toolState)
        return;
    const int pageIndex = pageForPoint(viewPoint, true);
    if (pageIndex < 0)
        return;
    const QPointF start = convertToPage(viewPoint, pageIndex);
    const QRectF empty(start, QSizeF(0, 0));
    std::shared_ptr<Annotation> annotation;
    switch (tool) {
    case AnnotationTool::ink: {
        auto ink = std::make_shared<InkAnnotation>();
        ink->borderWidth = m_toolState->lineWidth();
        ink->setPoints({start});
        annotation = ink;
        break;
    }
    case AnnotationTool::rectangle:
        annotation = std::make_shared<RectangleAnnotation>();
        break;
    case AnnotationTool::oval:
        annotation = std::make_shared<OvalAnnotation>();
        break;
    case AnnotationTool::line: {
        auto line = std::make_shared<LineAnnotation>();
        line->setLineStyles(LineEndStyle::none, m_toolState->lineEndStyle());
        line->setWidth(m_toolState->lineWidth());
        line->setPoints(start, start);
        annotation = line;
        break;
    }
    case AnnotationTool::redact:
        annotation = std::make_shared<RedactionMarkerAnnotation>();
        break;
    case AnnotationTool::form:
        annotation =
            FormFieldPlacer::makeAnnotation(m_toolState->formFieldMode(), empty, document()->fieldNames());
        break;
    case AnnotationTool::signature: {
        // Without a usable saved signature a press places nothing.
        const QImage image = m_toolState->signatureStore().activeImage();
        if (image.isNull())
            return;
        // Hanging from the press as the reader sees the page.
        const int turn = pageRotation(pageIndex);
        annotation = std::make_shared<SignatureAnnotation>(
            image,
            pdf::pageRectFromUpright(
                SignatureAnnotation::placedBounds(image.size(), pdf::uprightPoint(start, turn)), turn));
        break;
    }
    default:
        return;
    }
    if (tool != AnnotationTool::signature) {
        if (tool != AnnotationTool::ink && tool != AnnotationTool::line)
            annotation->bounds = empty;
        // The tool's colour and width win over whatever the kind starts with.
        annotation->color = m_toolState->color();
        annotation->borderWidth = m_toolState->lineWidth();
    }
    annotation->hidden = true;
    m_dragPage = document()->page(pageIndex);
    m_startPagePoint = start;
    m_inkLayer.reset();
    m_currentAnnotation = annotation;
}

void AnnotatingPDFView::continueDragShape(const QPointF& viewPoint) {
    const int pageIndex = dragPageIndex();
    if (pageIndex < 0 || !m_currentAnnotation)
        return;
    // Points off the page are used as they are.
    const QPointF point = convertToPage(viewPoint, pageIndex);
    if (auto* ink = dynamic_cast<InkAnnotation*>(m_currentAnnotation.get()))
        ink->appendPoint(point);
    else if (auto* line = dynamic_cast<LineAnnotation*>(m_currentAnnotation.get()))
        line->setPoints(m_startPagePoint, point);
    else if (auto* signature = dynamic_cast<SignatureAnnotation*>(m_currentAnnotation.get())) {
        const int turn = pageRotation(pageIndex);
        signature->bounds =
            pdf::pageRectFromUpright(SignatureAnnotation::draggedBounds(
                                         signature->image().size(), pdf::uprightPoint(m_startPagePoint, turn),
                                         pdf::uprightPoint(point, turn).x()),
                                     turn);
    } else
        m_currentAnnotation->bounds = normalizedRect(m_startPagePoint, point);
    if (m_currentAnnotation->handle.isNull() &&
        !writeNewAnnotation(*document(), pageIndex, *m_currentAnnotation)) {
        m_currentAnnotation.reset();
        m_dragPage = {};
        return;
    }
    viewport()->update();
}

void AnnotatingPDFView::finishDragShape() {
    const int pageIndex = dragPageIndex();
    const std::shared_ptr<Annotation> annotation = std::exchange(m_currentAnnotation, nullptr);
    const pdf::PageHandle page = std::exchange(m_dragPage, {});
    if (pageIndex < 0 || !annotation)
        return;
    // A click places a signature as it was made at the press.
    if (annotation->handle.isNull() && dynamic_cast<SignatureAnnotation*>(annotation.get()) &&
        !writeNewAnnotation(*document(), pageIndex, *annotation))
        return;
    // Only a drag put any other annotation on the page; a plain click leaves nothing.
    if (annotation->handle.isNull())
        return;
    annotation->hidden = false;
    if (!rewriteAnnotation(*document(), *annotation)) {
        discardDrawn(pageIndex, *annotation);
        return;
    }
    registerUndo([this, annotation, page] { removeAnnotation(annotation, page); });
    m_settling.push_back({page, annotation});
    viewport()->update();
    if (dynamic_cast<RedactionMarkerAnnotation*>(annotation.get()) && onRedactionDrawn)
        onRedactionDrawn();
}

void AnnotatingPDFView::cancelDragShape() {
    const int pageIndex = dragPageIndex();
    const std::shared_ptr<Annotation> annotation = std::exchange(m_currentAnnotation, nullptr);
    m_dragPage = {};
    if (pageIndex >= 0 && annotation && !annotation->handle.isNull())
        discardDrawn(pageIndex, *annotation);
    viewport()->update();
}

// Takes a shape that never became an edit off its page, leaving no undo step and no form field behind.
void AnnotatingPDFView::discardDrawn(int pageIndex, const Annotation& annotation) {
    document()->removeAnnotation(pageIndex, annotation.handle);
    if (dynamic_cast<const FormFieldAnnotation*>(&annotation))
        document()->setFieldListed(annotation.handle, false);
    viewport()->update();
}

} // namespace zepla::pdfview
