// Sticky notes of the annotating view: placing a note centred on a click with its editor open, the editor
// laid over the card (committed, cancelled, reopened by a double click), and the assistant's notes.
// Placing and removing a note is undoable; retyping a note's text is not, but it marks the document edited.
#include "AnnotatingPDFView.h"

#include "annotations/AnnotationTool.h"
#include "pdf/PageTurn.h"

namespace zepla::pdfview {

using annotations::NoteAnnotation;

std::shared_ptr<NoteAnnotation> AnnotatingPDFView::noteAt(const NoteHit& hit) const {
    auto note = std::make_shared<NoteAnnotation>();
    note->handle = hit.annotation.handle;
    note->bounds = hit.annotation.rect;
    note->pageRotation = pageRotation(hit.pageIndex);
    note->contents = hit.annotation.contents;
    const auto colors = document()->annotationNumberArrays(hit.annotation.handle, "C");
    if (!colors.empty() && colors.front().size() == 3) {
        const auto& c = colors.front();
        note->color = QColor::fromRgbF(float(c[0]), float(c[1]), float(c[2]));
    }
    return note;
}

void AnnotatingPDFView::addNote(const QPointF& viewPoint) {
    if (!document() || !m_toolState)
        return;
    const int pageIndex = pageForPoint(viewPoint, true);
    if (pageIndex < 0)
        return;
    // Centred on the click, and as wide and high as the reader sees the page.
    const int turn = pageRotation(pageIndex);
    const QPointF p = pdf::uprightPoint(convertToPage(viewPoint, pageIndex), turn);
    auto note = std::make_shared<NoteAnnotation>();
    note->bounds = pdf::pageRectFromUpright(
        QRectF(p - QPointF(noteSize.width() / 2, noteSize.height() / 2), noteSize), turn);
    note->color = m_toolState->color();
    if (!addAnnotation(note, document()->page(pageIndex)))
        return;
    startNoteEditor(note, pageIndex, true);
}

void AnnotatingPDFView::startNoteEditor(const std::shared_ptr<NoteAnnotation>& note, int pageIndex,
                                        bool isNew) {
    commitOpenEditors();
    const QRectF card = note->cardOnPage();
    const QPointF a = convertFromPage(QPointF(card.left(), card.bottom()), pageIndex);
    const QPointF b = convertFromPage(QPointF(card.right(), card.top()), pageIndex);
    auto* editor = new InlineFreeTextEditor(viewport());
    editor->setGeometry(QRectF(a, b).normalized().toRect());
    editor->setPlainText(note->contents);
    editor->setFont(annotations::font(annotations::AnnotationFont::marker, 13, QFont::Medium));
    QPalette palette = editor->palette();
    palette.setColor(QPalette::Text, NoteAnnotation::ink());
    palette.setColor(QPalette::Base, NoteAnnotation::paperCream());
    editor->setPalette(palette);
    editor->setTextInset(10, 13);
    editor->setBorderColor(NoteAnnotation::ink());
    editor->open(
        this, [this] { commitNoteEditor(); }, [this] { cancelNoteEditor(); });
    editor->selectAll();
    m_noteEditor = editor;
    m_noteEditorAnnotation = note;
    m_noteEditorPage = pageIndex;
    m_noteEditorIsNew = isNew;
    setOpenEditor(InlineEditor::note, [this] { commitNoteEditor(); });
}

void AnnotatingPDFView::removeNoteEditor() {
    clearOpenEditor(InlineEditor::note);
    if (m_noteEditor) {
        m_noteEditor->dismiss();
        setFocus(Qt::OtherFocusReason);
    }
    m_noteEditor = nullptr;
    m_noteEditorAnnotation.reset();
    m_noteEditorPage = -1;
    m_noteEditorIsNew = false;
}

// A new note left empty goes again; its placement stays an undo step of its own.
void AnnotatingPDFView::takeNewNoteOff(const std::shared_ptr<NoteAnnotation>& note, int pageIndex) {
    if (document() && pageIndex >= 0)
        removeAnnotation(note, document()->page(pageIndex));
}

void AnnotatingPDFView::commitNoteEditor() {
    if (!m_noteEditor || !m_noteEditorAnnotation || m_noteEditorPage < 0)
        return;
    const QString text = m_noteEditor->trimmedText();
    const auto note = m_noteEditorAnnotation;
    const int pageIndex = m_noteEditorPage;
    const bool isNew = m_noteEditorIsNew;
    removeNoteEditor();
    if (text.isEmpty()) {
        if (isNew)
            takeNewNoteOff(note, pageIndex);
        return;
    }
    if (text == note->contents)
        return;
    note->contents = text;
    if (annotations::rewriteAnnotation(*document(), *note))
        emit editedWithoutUndo();
    viewport()->update();
}

void AnnotatingPDFView::cancelNoteEditor() {
    const auto note = m_noteEditorAnnotation;
    const int pageIndex = m_noteEditorPage;
    const bool isNew = m_noteEditorIsNew;
    removeNoteEditor();
    if (isNew && note)
        takeNewNoteOff(note, pageIndex);
}

pdf::Status AnnotatingPDFView::addProgrammaticNote(const QString& text, int pageIndex) {
    if (!document())
        return pdf::Error{pdf::Error::Kind::Failed, QStringLiteral("There is no document.")};
    auto geometry = document()->geometry(pageIndex);
    if (!geometry)
        return geometry.error();
    // Near the top right corner of the page as the reader sees it.
    const int turn = geometry.value().rotation;
    const QRectF box = pdf::uprightRect(geometry.value().cropBox, turn);
    auto note = std::make_shared<NoteAnnotation>();
    note->bounds = pdf::pageRectFromUpright(
        QRectF(QPointF(box.right() - noteSize.width() - 20, box.bottom() - noteSize.height() - 20), noteSize),
        turn);
    note->color = m_toolState ? m_toolState->color() : annotations::ToolState::initialColor();
    note->contents = text;
    return addAnnotation(note, document()->page(pageIndex));
}

} // namespace zepla::pdfview
