#include "AnnotatingPDFView.h"

#include "annotations/AppearancePainter.h"
#include "annotations/InkAnnotation.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace zepla::pdfview {

using annotations::AnnotationTool;

AnnotatingPDFView::AnnotatingPDFView(QWidget* parent) : PDFView(parent) {
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    watchReleasesForStickyMarkup();
    // Once every page shown has been drawn again, the file's pictures of the new annotations are on screen.
    connect(this, &PDFView::renderingIdle, this, [this] {
        if (!m_settling.empty()) {
            m_settling.clear();
            viewport()->update();
        }
    });
}

AnnotatingPDFView::~AnnotatingPDFView() = default;

void AnnotatingPDFView::registerUndo(std::function<void()> closure) {
    if (m_undoManager)
        m_undoManager->registerUndo(this, std::move(closure));
}

// --- adding and removing with undo ---

namespace {

bool isWidget(const annotations::Annotation& annotation) {
    return annotation.subtype() == "Widget";
}

pdf::Error noPageError() {
    return pdf::Error{pdf::Error::Kind::Failed, QStringLiteral("The page is no longer in the document.")};
}

} // namespace

pdf::Status AnnotatingPDFView::addAnnotation(const std::shared_ptr<annotations::Annotation>& annotation,
                                             const pdf::PageHandle& page, int position) {
    if (!document())
        return pdf::Error{pdf::Error::Kind::Failed, QStringLiteral("There is no document.")};
    const int index = document()->indexOf(page);
    if (index < 0)
        return noPageError();
    pdf::Status status;
    if (annotation->handle.isNull()) {
        status = annotations::writeNewAnnotation(*document(), index, *annotation);
    } else {
        status = document()->restoreAnnotation(index, annotation->handle, position);
        if (status && isWidget(*annotation))
            status = document()->setFieldListed(annotation->handle, true);
    }
    if (!status)
        return status;
    registerUndo([this, annotation, page] { removeAnnotation(annotation, page); });
    viewport()->update();
    return {};
}

pdf::Status AnnotatingPDFView::removeAnnotation(const std::shared_ptr<annotations::Annotation>& annotation,
                                                const pdf::PageHandle& page) {
    if (!document())
        return pdf::Error{pdf::Error::Kind::Failed, QStringLiteral("There is no document.")};
    const int index = document()->indexOf(page);
    if (index < 0)
        return noPageError();
    auto position = document()->removeAnnotation(index, annotation->handle);
    if (!position)
        return position.error();
    if (isWidget(*annotation)) {
        if (pdf::Status unlisted = document()->setFieldListed(annotation->handle, false); !unlisted)
            return unlisted;
    }
    std::erase_if(m_settling, [&](const Settling& s) { return s.annotation == annotation; });
    const int at = position.value();
    registerUndo([this, annotation, page, at] { addAnnotation(annotation, page, at); });
    viewport()->update();
    return {};
}

int AnnotatingPDFView::pageRotation(int pageIndex) const {
    if (!document())
        return 0;
    auto geometry = document()->geometry(pageIndex);
    return geometry ? geometry->rotation : 0;
}

// --- notes ---

std::optional<AnnotatingPDFView::NoteHit> AnnotatingPDFView::noteAnnotation(const QPointF& viewPoint) const {
    if (!document())
        return std::nullopt;
    const int page = pageForPoint(viewPoint, false);
    if (page < 0)
        return std::nullopt;
    const QPointF pagePoint = convertToPage(viewPoint, page);
    auto annotations = document()->annotations(page);
    if (!annotations)
        return std::nullopt;
    // The topmost note under the point, even beneath a watermark or another page-sized annotation.
    const auto& list = annotations.value();
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        if (it->subtype == QLatin1String("Text") && it->rect.contains(pagePoint))
            return NoteHit{page, *it};
    }
    return std::nullopt;
}

void AnnotatingPDFView::moveNote(const QRectF& bounds) {
    document()->updateAnnotation(m_draggingNote->note, annotations::NoteAnnotation::placement(
                                                           bounds, pageRotation(m_draggingNote->pageIndex)));
    m_draggingNote->bounds = bounds;
    viewport()->update();
}

void AnnotatingPDFView::setNoteBounds(const pdf::AnnotationHandle& note, int pageIndex, const QRectF& bounds,
                                      const QRectF& undoBounds) {
    if (!document() || !document()->updateAnnotation(
                           note, annotations::NoteAnnotation::placement(bounds, pageRotation(pageIndex))))
        return;
    registerUndo(
        [this, note, pageIndex, bounds, undoBounds] { setNoteBounds(note, pageIndex, undoBounds, bounds); });
    viewport()->update();
}

// --- inline editors ---

void AnnotatingPDFView::setOpenEditor(InlineEditor editor, std::function<void()> commit) {
    m_openEditors[std::size_t(editor)] = std::move(commit);
}

void AnnotatingPDFView::clearOpenEditor(InlineEditor editor) {
    m_openEditors[std::size_t(editor)] = nullptr;
}

void AnnotatingPDFView::commitOpenEditors() {
    for (auto& commit : m_openEditors) {
        if (auto run = std::exchange(commit, nullptr))
            run();
    }
}

// --- routing ---

bool AnnotatingPDFView::isDragTool(AnnotationTool tool) {
    switch (tool) {
    case AnnotationTool::ink:
    case AnnotationTool::rectangle:
    case AnnotationTool::oval:
    case AnnotationTool::line:
    case AnnotationTool::redact:
    case AnnotationTool::form:
    case AnnotationTool::signature:
        return true;
    default:
        return false;
    }
}

void AnnotatingPDFView::mousePressEvent(QMouseEvent* event) {
    commitOpenEditors();
    if (!m_toolState || event->button() != Qt::LeftButton) {
        PDFView::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    // Text editing and the text-box, note and eraser tools take the press for their own
    // operations; the platform's selection and links never see it.
    if (m_toolState->isTextEditingModeEnabled()) {
        beginTextEdit(event->position());
        return;
    }
    const AnnotationTool tool = m_toolState->tool();
    if (isDragTool(tool)) {
        beginDragShape(tool, event->position());
        return;
    }
    if (tool == AnnotationTool::note)
        addNote(event->position());
    if (tool == AnnotationTool::textBox)
        startInlineTextEditor(event->position());
    if (tool == AnnotationTool::eraser) {
        eraseAnnotation(event->position());
        updateEraserVisual(event->position());
    }
    if (tool != AnnotationTool::select)
        return;
    const auto hit = noteAnnotation(event->position());
    if (!hit) {
        PDFView::mousePressEvent(event);
        return;
    }
    const QRectF bounds = hit->annotation.rect;
    const QPointF pagePoint = convertToPage(event->position(), hit->pageIndex);
    m_draggingNote =
        NoteDrag{hit->pageIndex, hit->annotation.handle, bounds, pagePoint - bounds.topLeft(), bounds};
}

void AnnotatingPDFView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!m_toolState || event->button() != Qt::LeftButton) {
        PDFView::mouseDoubleClickEvent(event);
        return;
    }
    // The other tools took the first press; the second adds nothing.
    if (m_toolState->tool() != AnnotationTool::select || m_toolState->isTextEditingModeEnabled())
        return;
    // A second press on a note opens its editor, rather than selecting a word.
    if (const auto hit = noteAnnotation(event->position())) {
        commitOpenEditors();
        startNoteEditor(noteAt(*hit), hit->pageIndex, false);
        return;
    }
    PDFView::mouseDoubleClickEvent(event);
}

// A gesture that has begun (a shape being drawn, a note being moved) follows the mouse to its release,
// even when the tool changes on the way.
void AnnotatingPDFView::mouseMoveEvent(QMouseEvent* event) {
    const bool leftDown = event->buttons() & Qt::LeftButton;
    if (leftDown && m_currentAnnotation) {
        continueDragShape(event->position());
        return;
    }
    if (leftDown && m_draggingNote) {
        const QPointF pagePoint = convertToPage(event->position(), m_draggingNote->pageIndex);
        moveNote(QRectF(pagePoint - m_draggingNote->grabOffset, m_draggingNote->bounds.size()));
        return;
    }
    if (!m_toolState || m_toolState->tool() == AnnotationTool::select) {
        PDFView::mouseMoveEvent(event);
        return;
    }
    if (m_toolState->tool() == AnnotationTool::eraser) {
        if (leftDown && !m_toolState->isTextEditingModeEnabled())
            eraseAnnotation(event->position());
        updateEraserVisual(event->position());
        return;
    }
    if (!leftDown)
        refreshToolCursor();
}

void AnnotatingPDFView::mouseReleaseEvent(QMouseEvent* event) {
    const bool left = event->button() == Qt::LeftButton;
    if (left && (m_currentAnnotation || !m_dragPage.isNull())) {
        finishDragShape();
        return;
    }
    if (left && m_draggingNote) {
        const NoteDrag drag = *std::exchange(m_draggingNote, std::nullopt);
        // A note let go where it started records nothing.
        if (drag.bounds != drag.startBounds)
            setNoteBounds(drag.note, drag.pageIndex, drag.bounds, drag.startBounds);
        return;
    }
    // The other tools' releases never reach the platform's selection and links.
    if (!m_toolState || !left || m_toolState->tool() == AnnotationTool::select)
        PDFView::mouseReleaseEvent(event);
}

void AnnotatingPDFView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cancelOperation();
        return;
    }
    PDFView::keyPressEvent(event);
}

void AnnotatingPDFView::cancelOperation() {
    cancelDragShape();
    if (m_draggingNote) {
        const NoteDrag drag = *m_draggingNote;
        moveNote(drag.startBounds);
        m_draggingNote.reset();
    }
    if (m_toolState && m_toolState->tool() != AnnotationTool::select) {
        m_toolState->setTool(AnnotationTool::select);
        m_toolState->setActiveMarkupMode(std::nullopt);
        m_toolState->setTextEditingModeEnabled(false);
    }
}

// --- cursor ---

void AnnotatingPDFView::setToolState(annotations::ToolState* state) {
    disconnect(m_toolChanges);
    m_toolState = state;
    if (state)
        m_toolChanges =
            connect(state, &annotations::ToolState::toolChanged, this, &AnnotatingPDFView::toolDidChange);
    toolDidChange();
}

// The eraser's circle shows at once where the pointer is, or goes with the eraser.
void AnnotatingPDFView::toolDidChange() {
    const QPoint pointer = viewport()->mapFromGlobal(QCursor::pos());
    updateEraserVisual(viewport()->rect().contains(pointer) ? std::optional<QPointF>(pointer) : std::nullopt);
    refreshToolCursor();
}

void AnnotatingPDFView::refreshToolCursor() {
    const AnnotationTool tool = m_toolState ? m_toolState->tool() : AnnotationTool::select;
    viewport()->setCursor(m_eraserCursorHidden ? QCursor(Qt::BlankCursor) : cursor(tool));
}

void AnnotatingPDFView::leaveEvent(QEvent* event) {
    updateEraserVisual(std::nullopt);
    viewport()->setCursor(Qt::ArrowCursor);
    PDFView::leaveEvent(event);
}

// --- drawing ---

void AnnotatingPDFView::drawPageOverlay(QPainter& painter, int pageIndex, const QTransform& pageToView) {
    PDFView::drawPageOverlay(painter, pageIndex, pageToView);
    if (!document())
        return;
    const pdf::PageHandle page = document()->page(pageIndex);
    if (m_currentAnnotation && m_dragPage == page && !m_currentAnnotation->handle.isNull()) {
        if (auto* ink = dynamic_cast<const annotations::InkAnnotation*>(m_currentAnnotation.get())) {
            const QRectF visible = pageRectInView(pageIndex).intersected(QRectF(viewport()->rect()));
            m_inkLayer.paint(painter, visible, devicePixelRatioF(), pageToView, *ink);
        }
    }
    painter.setTransform(pageToView, true);
    for (const Settling& s : m_settling) {
        if (s.page == page)
            annotations::paintAppearance(painter, s.annotation->appearance());
    }
    if (m_currentAnnotation && m_dragPage == page && !m_currentAnnotation->handle.isNull() &&
        !dynamic_cast<const annotations::InkAnnotation*>(m_currentAnnotation.get()))
        annotations::paintAppearance(painter, m_currentAnnotation->appearance());
}

} // namespace zepla::pdfview
