// Text boxes of the annotating view: a click opens a framed editor 220 wide hanging from the click point,
// growing and shrinking at the bottom as the text wraps; Return commits it into a free-text annotation in
// the tool colour of that moment, with one undo step; Esc discards it. Its font and inset follow the zoom,
// so the committed box shows the text as it was typed.
#include "AnnotatingPDFView.h"

#include "annotations/AnnotationTool.h"
#include "annotations/FreeTextAnnotation.h"

#include <QFrame>

namespace zepla::pdfview {

namespace {

constexpr qreal boxWidth = 220;
constexpr qreal insetX = 6;
constexpr qreal insetY = 4;
constexpr int handleSize = 7;

} // namespace

QFont AnnotatingPDFView::textBoxFont() const {
    return annotations::font(m_toolState->fontChoice(), m_toolState->fontSize());
}

// The font at its size on screen: page points times the zoom.
QFont AnnotatingPDFView::zoomedFont(QFont font) const {
    font.setPointSizeF(font.pointSizeF() * scaleFactor() * 72.0 / logicalDpiY());
    return font;
}

void AnnotatingPDFView::startInlineTextEditor(const QPointF& viewPoint) {
    commitInlineTextEditor();
    if (!document() || !m_toolState)
        return;
    const int pageIndex = pageForPoint(viewPoint, true);
    if (pageIndex < 0)
        return;
    auto* editor = new InlineFreeTextEditor(viewport());
    editor->setFont(zoomedFont(textBoxFont()));
    QPalette palette = editor->palette();
    palette.setColor(QPalette::Text, m_toolState->color());
    editor->setPalette(palette);
    // The inset follows the zoom as the font does, so the text wraps where the committed box wraps it.
    editor->setTextInset(insetX * scaleFactor(), insetY * scaleFactor());
    const qreal height = editor->lineHeight() + 2 * insetY * scaleFactor();
    editor->setGeometry(QRectF(viewPoint.x(), viewPoint.y(), boxWidth, height).toRect());
    connect(editor, &QTextEdit::textChanged, this, &AnnotatingPDFView::resizeInlineTextEditor);
    editor->open(
        this, [this] { commitInlineTextEditor(); }, [this] { removeInlineTextEditor(); });
    m_textBoxEditor = editor;
    m_textBoxPage = pageIndex;
    for (int i = 0; i < 8; ++i) {
        auto* handle = new QFrame(viewport());
        handle->setAttribute(Qt::WA_TransparentForMouseEvents);
        handle->setStyleSheet(
            QStringLiteral("background: white; border: 1.5px solid %1; border-radius: 1.5px;")
                .arg(InlineFreeTextEditor::systemBlue().name()));
        handle->resize(handleSize, handleSize);
        handle->show();
        m_textBoxHandles.push_back(handle);
    }
    layoutInlineTextEditorHandles();
    setOpenEditor(InlineEditor::textBox, [this] { commitInlineTextEditor(); });
}

void AnnotatingPDFView::layoutInlineTextEditorHandles() {
    if (!m_textBoxEditor || m_textBoxHandles.size() != 8)
        return;
    const QRectF f = m_textBoxEditor->geometry();
    const std::array<QPointF, 8> points{
        QPointF(f.left(), f.top()),          QPointF(f.center().x(), f.top()),
        QPointF(f.right(), f.top()),         QPointF(f.left(), f.center().y()),
        QPointF(f.right(), f.center().y()),  QPointF(f.left(), f.bottom()),
        QPointF(f.center().x(), f.bottom()), QPointF(f.right(), f.bottom())};
    for (std::size_t i = 0; i < points.size(); ++i)
        m_textBoxHandles[i]->move((points[i] - QPointF(handleSize / 2.0, handleSize / 2.0)).toPoint());
}

// The top edge stays; the box grows or shrinks at the bottom to the text's height, never below one line.
void AnnotatingPDFView::resizeInlineTextEditor() {
    if (!m_textBoxEditor)
        return;
    const QRect frame = m_textBoxEditor->geometry();
    const int height = int(std::ceil(m_textBoxEditor->contentHeight()));
    if (std::abs(height - frame.height()) <= 0)
        return;
    m_textBoxEditor->setGeometry(frame.x(), frame.y(), frame.width(), height);
    layoutInlineTextEditorHandles();
}

void AnnotatingPDFView::removeInlineTextEditor() {
    clearOpenEditor(InlineEditor::textBox);
    if (m_textBoxEditor) {
        disconnect(m_textBoxEditor, nullptr, this, nullptr);
        m_textBoxEditor->dismiss();
        setFocus(Qt::OtherFocusReason);
    }
    m_textBoxEditor = nullptr;
    m_textBoxPage = -1;
    for (QWidget* handle : std::exchange(m_textBoxHandles, {}))
        handle->deleteLater();
}

void AnnotatingPDFView::commitInlineTextEditor() {
    if (!m_textBoxEditor || m_textBoxPage < 0 || !document())
        return;
    const QString text = m_textBoxEditor->trimmedText();
    const QRectF frame = m_textBoxEditor->geometry();
    const int pageIndex = m_textBoxPage;
    removeInlineTextEditor();
    if (text.isEmpty() || !m_toolState)
        return;
    auto box = std::make_shared<annotations::FreeTextAnnotation>();
    box->bounds = normalizedRect(convertToPage(frame.topLeft(), pageIndex),
                                 convertToPage(frame.bottomRight(), pageIndex));
    box->contents = text;
    box->font = textBoxFont();
    box->fontColor = m_toolState->color();
    addAnnotation(box, document()->page(pageIndex));
}

} // namespace zepla::pdfview
