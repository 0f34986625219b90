// The document view of every PDF window: the PDF view that turns presses, drags and releases on a page into
// markup according to the window's tool state, shows each tool's cursor, moves sticky notes with the select
// tool, cancels with Esc, and adds and removes annotations with undo.
#pragma once

#include "InkStrokeLayer.h"
#include "InlineFreeTextEditor.h"
#include "annotations/Annotation.h"
#include "annotations/NoteAnnotation.h"
#include "annotations/ToolState.h"
#include "core/UndoManager.h"
#include "pdfview/view/PDFView.h"

#include <QMenu>
#include <QPointer>

#include <array>
#include <functional>
#include <limits>
#include <memory>
#include <optional>

namespace zepla::pdfview {

class AnnotatingPDFView : public PDFView {
    Q_OBJECT

public:
    explicit AnnotatingPDFView(QWidget* parent = nullptr);
    ~AnnotatingPDFView() override;

    // Set by the window; read on every mouse event.
    // Follows the state's tool with the cursor from then on.
    void setToolState(annotations::ToolState* state);
    annotations::ToolState* toolState() const { return m_toolState; }
    void setUndoManager(platform::UndoManager* manager) { m_undoManager = manager; }
    platform::UndoManager* undoManager() const { return m_undoManager; }

    // The workspace's handlers.
    std::function<void(const QString& prompt, bool autoSubmit)> onAskAI;
    std::function<void(const QString& text)> onTextExtracted;
    std::function<void()> onRedactionDrawn;

    // Puts the annotation on the page and registers its removal for undo; the very same object comes back
    // on redo. The first time, the annotation is written as a new object at the end of the page's list;
    // afterwards it goes back to `position` in that list.
    pdf::Status addAnnotation(const std::shared_ptr<annotations::Annotation>& annotation,
                              const pdf::PageHandle& page, int position = std::numeric_limits<int>::max());
    // Takes it off the page and registers putting it back, at the place it had, for undo.
    pdf::Status removeAnnotation(const std::shared_ptr<annotations::Annotation>& annotation,
                                 const pdf::PageHandle& page);

    // The sticky note under a point in view coordinates: its page index and the annotation.
    struct NoteHit {
        int pageIndex = -1;
        pdf::AnnotationInfo annotation;
    };
    std::optional<NoteHit> noteAnnotation(const QPointF& viewPoint) const;
    // Moves a note (the box it shows in) and registers the move back for undo.
    void setNoteBounds(const pdf::AnnotationHandle& note, int pageIndex, const QRectF& bounds,
                       const QRectF& undoBounds);

    // Text markup (TextMarkup.cpp): one annotation per selected line in the tool colour, the selection
    // cleared; false without a selection.
    bool applyMarkup(annotations::MarkupAction action);
    // The sticky mode's markup on the current selection, when the mode is on and the tool is select.
    void applyStickyMarkupIfNeeded();

    // The eraser (EraserTool.cpp): erases at a point of the nearest page by the tool state's mode and size.
    void eraseAnnotation(const QPointF& viewPoint);
    // Shows the eraser's circle at a point in view coordinates while the tool is the eraser, else hides it.
    void updateEraserVisual(std::optional<QPointF> viewPoint);
    std::optional<QPointF> eraserCircleCenter() const;
    qreal eraserCircleDiameter() const;
    // The eraser's radius in page points: half its size, at least 1.
    qreal eraserRadius() const;
    // A path as a polyline: its points, with `samplesPerCurve` points along each curve.
    static QList<QPointF> flattenedPoints(const QPainterPath& path, int samplesPerCurve);

    // Text boxes (TextBoxTool.cpp): an editor opened at a point of the nearest page; committing it adds a
    // free-text annotation with undo, unless the text is blank.
    void startInlineTextEditor(const QPointF& viewPoint);
    void commitInlineTextEditor();
    InlineFreeTextEditor* inlineTextEditor() const { return m_textBoxEditor; }
    const std::vector<QWidget*>& inlineTextEditorHandles() const { return m_textBoxHandles; }

    // In-place text editing (TextEditTool.cpp): a click picks the line under the point and opens an editor
    // over it; committing takes the line's glyphs out of the page and sets the new text in their place, as
    // one undo step. Esc or an empty commit leaves the page as it was.
    void beginTextEdit(const QPointF& viewPoint);
    void commitTextEditEditor();
    InlineFreeTextEditor* textEditEditor() const { return m_textEditEditor; }
    // The system font at 0.8 of a line's height, between 9 and 72 points: for a line whose size is unknown.
    static QFont fallbackFont(qreal lineHeight);
    // The most frequent colour, in 4 bits a channel, of a 6 by 8 grid over `area` of a render of the
    // page's media box at scale 1; white when nothing can be sampled.
    static QColor sampleBackgroundColor(const QRectF& area, const QImage& page, const QRectF& mediaBox);
    // Black on light backgrounds (luminance 0.5 and above), white on dark ones.
    static QColor contrastingTextColor(const QColor& background);

    // Sticky notes (NoteTools.cpp). A note placed centred on a point of the nearest page, 120 by 80, with
    // its editor open.
    void addNote(const QPointF& viewPoint);
    // The editor laid over a note's card; typing replaces the whole text.
    void startNoteEditor(const std::shared_ptr<annotations::NoteAnnotation>& note, int pageIndex, bool isNew);
    // Stores the typed text. A new note left empty is taken off again; an existing one keeps its text.
    void commitNoteEditor();
    void cancelNoteEditor();
    InlineFreeTextEditor* noteTextEditor() const { return m_noteEditor; }
    // A note with the text 20 points inside the top right corner of the page's shown area, with undo and
    // without an editor (the assistant's notes).
    pdf::Status addProgrammaticNote(const QString& text, int pageIndex);
    // The size of every note placed here.
    static constexpr QSizeF noteSize{120, 80};

    // The page context menu (PageContextMenu.cpp), made afresh for a secondary click at a point of page
    // `pageIndex`: the selection's menu while text is selected (on any page), else the page's. Its items act
    // on what was selected and clicked when it was made.
    QMenu* buildContextMenu(int pageIndex, const QPointF& viewPoint);
    QMenu* askAISubmenuForSelection(const QString& selected, QWidget* parent);
    QMenu* askAISubmenuForPage(int pageIndex, QWidget* parent);
    // Hands the page's text, or word that it has none, to the assistant and sends it.
    void askAIAboutPage(const pdf::PageHandle& page);
    // Reads the page's text by recognition in the background; the text goes to the clipboard and to
    // `onTextExtracted`, or the no-text message does.
    void extractTextViaOCR(const pdf::PageHandle& page);

    // Inline editors (text box, note, in-place text edit) say here how to commit them while they are
    // open; a press anywhere in the view commits every open one, in that order, before it does anything else.
    enum class InlineEditor { textBox, note, textEdit };
    void setOpenEditor(InlineEditor editor, std::function<void()> commit);
    void clearOpenEditor(InlineEditor editor);

    // Esc: cancels a drag or a note move and, for any tool but select, returns to the select tool and ends
    // the sticky markup and text-editing modes.
    void cancelOperation();

    // The cursor of a tool with its hot spot.
    static QCursor cursor(annotations::AnnotationTool tool);
    // Shows the current tool's cursor without waiting for the pointer to move.
    void refreshToolCursor();

    // Drag tools: ink, rectangle, oval, line, redaction mark, form field and signature.
    void beginDragShape(annotations::AnnotationTool tool, const QPointF& viewPoint);
    void continueDragShape(const QPointF& viewPoint);
    void finishDragShape();
    void cancelDragShape();
    // The annotation a drag is drawing, until the release or Esc.
    const std::shared_ptr<annotations::Annotation>& currentAnnotation() const { return m_currentAnnotation; }
    // Lower left corner and size from two opposite corners.
    static QRectF normalizedRect(const QPointF& a, const QPointF& b);

signals:
    // The document changed in a way the undo history does not hold (a note's text was retyped).
    void editedWithoutUndo();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void drawPageOverlay(QPainter& painter, int pageIndex, const QTransform& pageToView) override;

private:
    // How far a page is shown turned, clockwise: what the tools place reads upright against it.
    int pageRotation(int pageIndex) const;

    struct NoteDrag {
        int pageIndex;
        pdf::AnnotationHandle note;
        QRectF startBounds;
        QPointF grabOffset;
        QRectF bounds;
    };
    // An annotation whose final picture is drawn live until its page has been rendered again with it.
    struct Settling {
        pdf::PageHandle page;
        std::shared_ptr<annotations::Annotation> annotation;
    };

    static bool isDragTool(annotations::AnnotationTool tool);
    void watchReleasesForStickyMarkup();
    void commitOpenEditors();
    void moveNote(const QRectF& bounds);
    int dragPageIndex() const;
    void discardDrawn(int pageIndex, const annotations::Annotation& annotation);
    void registerUndo(std::function<void()> closure);

    QPointer<annotations::ToolState> m_toolState;
    QMetaObject::Connection m_toolChanges;
    QPointer<platform::UndoManager> m_undoManager;

    // The drag gesture.
    pdf::PageHandle m_dragPage;
    QPointF m_startPagePoint;
    std::shared_ptr<annotations::Annotation> m_currentAnnotation;
    std::optional<NoteDrag> m_draggingNote;
    std::vector<Settling> m_settling;
    InkStrokeLayer m_inkLayer;

    std::array<std::function<void()>, 3> m_openEditors;

    // The line editor.
    void startTextEditEditor(const pdf::TextLine& line, int pageIndex);
    // Shows the editor's text in the face its commit would set it in.
    void showReplacementFace();
    void removeTextEditEditor();
    void cancelTextEdit();
    // Shows `content` on the page and registers showing `undoContent` again for undo.
    void setPageContent(const pdf::PageHandle& page, const pdf::PageContent& content,
                        const pdf::PageContent& undoContent);
    QPointer<InlineFreeTextEditor> m_textEditEditor;
    int m_textEditPage = -1;
    pdf::TextLine m_textEditLine;
    pdf::PageFont m_textEditFont;
    QString m_textEditFaceFile;
    qreal m_textEditSize = 0;
    QColor m_textEditBackground;

    // The eraser.
    bool eraserTouches(const pdf::AnnotationInfo& annotation, const QPointF& center, qreal radius) const;
    void splitInkAnnotation(const pdf::AnnotationInfo& ink, int pageIndex, const QPointF& center,
                            qreal radius);
    void toolDidChange();
    class EraserCursorOverlay* m_eraserOverlay = nullptr;
    bool m_eraserCursorHidden = false;

    // The text box editor.
    QFont textBoxFont() const;
    QFont zoomedFont(QFont font) const;
    void resizeInlineTextEditor();
    void layoutInlineTextEditorHandles();
    void removeInlineTextEditor();
    QPointer<InlineFreeTextEditor> m_textBoxEditor;
    int m_textBoxPage = -1;
    std::vector<QWidget*> m_textBoxHandles;

    // The note editor.
    std::shared_ptr<annotations::NoteAnnotation> noteAt(const NoteHit& hit) const;
    void removeNoteEditor();
    void takeNewNoteOff(const std::shared_ptr<annotations::NoteAnnotation>& note, int pageIndex);
    QPointer<InlineFreeTextEditor> m_noteEditor;
    std::shared_ptr<annotations::NoteAnnotation> m_noteEditorAnnotation;
    int m_noteEditorPage = -1;
    bool m_noteEditorIsNew = false;
};

} // namespace zepla::pdfview
