// In-place text editing of the annotating view: a click in text-editing mode picks the line under the point
// and opens an editor over it showing the whole line. Committing takes the line's glyphs out of the page's
// content and sets the new text at the line's start and baseline, at its size, in the page's own font where
// it can be used: what every reader shows, copies and searches is then the new text only. A cover is laid
// only where the line sits on a coloured background, over the line's glyphs alone. One undo step puts the
// page's content back exactly. Esc, or an empty commit, leaves the page as it was.
#include "AnnotatingPDFView.h"

#include "annotations/LineReplacement.h"
#include "annotations/ReplacementFont.h"
#include "document/pages/PDFPageRasterizer.h"

#include <QFontDatabase>
#include <QRawFont>

#include <QtMath>

#include <cmath>
#include <map>

namespace zepla::pdfview {

namespace {

constexpr qreal minimumEditorWidth = 80;

// The first character of the line that shows something.
const pdf::TextChar* firstVisibleChar(const pdf::TextLine& line) {
    for (const pdf::TextChar& c : line.chars) {
        if (!QChar::isSpace(c.character))
            return &c;
    }
    return nullptr;
}

// The way the line runs, in degrees counter-clockwise from page space's x axis: from its first to its last
// glyph, or where it has only one, the way the page's turn makes text upright.
qreal lineDirection(const pdf::TextLine& line, int pageRotation) {
    const pdf::TextChar* first = firstVisibleChar(line);
    for (auto c = line.chars.rbegin(); c != line.chars.rend() && &*c != first; ++c) {
        const QLineF run(first->origin, c->origin);
        if (!QChar::isSpace(c->character) && run.length() > 1)
            return qRadiansToDegrees(std::atan2(run.dy(), run.dx()));
    }
    return pageRotation;
}

// A font file as a Qt font, for the editor: the face the committed text will show, its family and its
// style (a family holds several files).
QFont editorFont(const QString& file, qreal size) {
    static std::map<QString, QString> families;
    auto found = families.find(file);
    if (found == families.end()) {
        const QStringList loaded =
            QFontDatabase::applicationFontFamilies(QFontDatabase::addApplicationFont(file));
        found = families.emplace(file, loaded.value(0)).first;
    }
    if (found->second.isEmpty()) {
        QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
        font.setPointSizeF(size);
        return font;
    }
    QFont font(found->second);
    font.setStyleName(QRawFont(file, size).styleName());
    font.setPointSizeF(size);
    return font;
}

} // namespace

QFont AnnotatingPDFView::fallbackFont(qreal lineHeight) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSizeF(std::max(std::min(lineHeight * 0.8, 72.0), 9.0));
    return font;
}

QColor AnnotatingPDFView::sampleBackgroundColor(const QRectF& area, const QImage& page,
                                                const QRectF& mediaBox) {
    if (page.isNull())
        return Qt::white;
    std::map<int, int> counts;
    for (int j = 0; j < 6; ++j) {
        for (int i = 0; i < 8; ++i) {
            // Page space to the render's pixels: the media box's origin is the image's lower left.
            const long x = std::lround(area.left() + (i + 0.5) * 0.125 * area.width() - mediaBox.left());
            const long y = std::lround(mediaBox.bottom() - (area.top() + ((j + 0.5) / 6) * area.height()));
            if (x < 0 || y < 0 || x >= page.width() || y >= page.height())
                continue;
            const QColor c = page.pixelColor(int(x), int(y));
            const int key = int(std::lround(c.redF() * 15)) * 256 + int(std::lround(c.greenF() * 15)) * 16 +
                            int(std::lround(c.blueF() * 15));
            ++counts[key];
        }
    }
    if (counts.empty())
        return Qt::white;
    const auto most = std::max_element(counts.begin(), counts.end(),
                                       [](const auto& a, const auto& b) { return a.second < b.second; });
    const int key = most->first;
    return QColor::fromRgbF(float((key >> 8) & 15) / 15, float((key >> 4) & 15) / 15, float(key & 15) / 15);
}

QColor AnnotatingPDFView::contrastingTextColor(const QColor& background) {
    const double luminance =
        0.299 * background.redF() + 0.587 * background.greenF() + 0.114 * background.blueF();
    return luminance < 0.5 ? QColor(Qt::white) : QColor(Qt::black);
}

void AnnotatingPDFView::beginTextEdit(const QPointF& viewPoint) {
    if (!document())
        return;
    const int pageIndex = pageForPoint(viewPoint, false);
    if (pageIndex < 0)
        return;
    auto structured = document()->structuredText(pageIndex);
    if (!structured)
        return;
    const PageText text = PageText::from(structured.value());
    const QPointF pagePoint = convertToPage(viewPoint, pageIndex);
    const auto [from, to] = lineAt(text, pageIndex, pagePoint);
    if (from.isNull())
        return;
    const pdf::TextLine& line = text.lines[std::size_t(from.line)];
    // Only a click on the line itself: beside or between lines starts nothing.
    if (line.text().trimmed().isEmpty() || !firstVisibleChar(line) ||
        !line.box.adjusted(-2, -2, 2, 2).contains(pagePoint))
        return;
    startTextEditEditor(line, pageIndex);
}

void AnnotatingPDFView::startTextEditEditor(const pdf::TextLine& line, int pageIndex) {
    commitTextEditEditor();
    const pdf::TextChar& first = *firstVisibleChar(line);
    const QString original = line.text();
    const auto foundFont = document()->fontAt(pageIndex, first.box.center());
    const pdf::PageFont pageFont = foundFont ? foundFont.value().value_or(pdf::PageFont{}) : pdf::PageFont{};
    const qreal size = first.fontSize > 0 ? first.fontSize : fallbackFont(line.box.height()).pointSizeF();
    const auto geometry = document()->geometry(pageIndex);
    const QRectF mediaBox = geometry ? geometry.value().mediaBox : QRectF();
    const QColor background = sampleBackgroundColor(
        line.box, document::PDFPageRasterizer::render(*document(), pageIndex, 1), mediaBox);

    // The whole line on one row, over the old words until the edit commits or is cancelled.
    auto* editor = new InlineFreeTextEditor(viewport());
    editor->setLineWrapMode(QTextEdit::NoWrap);
    editor->setPlainText(original);
    m_textEditEditor = editor;
    m_textEditFont = pageFont;
    m_textEditSize = size;
    m_textEditFaceFile.clear();
    showReplacementFace();
    QPalette palette = editor->palette();
    palette.setColor(QPalette::Text, contrastingTextColor(background));
    palette.setColor(QPalette::Base, background);
    editor->setPalette(palette);
    editor->setAutoFillBackground(true);
    editor->setTextInset(6 * scaleFactor(), 4 * scaleFactor());
    QRectF frame = convertRectFromPage(line.box, pageIndex);
    const qreal textWidth = QFontMetricsF(editor->font()).horizontalAdvance(original);
    frame.setLeft(frame.left() - 6 * scaleFactor());
    frame.setWidth(
        std::max({frame.width() + 12 * scaleFactor(), textWidth + 16 * scaleFactor(), minimumEditorWidth}));
    const qreal height = editor->lineHeight() + 8 * scaleFactor();
    frame = QRectF(frame.left(), frame.center().y() - height / 2, frame.width(), height);
    // The editor always runs across the screen; a line on a turned page, or one wider than the window, would
    // leave it partly outside: it is kept in view, and scrolls the line within itself where it must.
    const QRectF visible = viewport()->rect();
    frame.setWidth(std::min(frame.width(), visible.width()));
    frame.moveLeft(std::clamp(frame.left(), visible.left(), visible.right() - frame.width()));
    frame.moveTop(std::clamp(frame.top(), visible.top(), std::max(visible.top(), visible.bottom() - height)));
    editor->setGeometry(frame.toAlignedRect());
    editor->open(
        this, [this] { commitTextEditEditor(); }, [this] { cancelTextEdit(); });
    editor->selectAll();
    m_textEditPage = pageIndex;
    m_textEditLine = line;
    m_textEditBackground = background;
    connect(editor, &QTextEdit::textChanged, this, &AnnotatingPDFView::showReplacementFace);
    setOpenEditor(InlineEditor::textEdit, [this] { commitTextEditEditor(); });
    viewport()->update();
}

void AnnotatingPDFView::showReplacementFace() {
    if (!m_textEditEditor)
        return;
    const QString file = annotations::replacementFontFile(m_textEditFont, m_textEditEditor->trimmedText());
    if (file == m_textEditFaceFile)
        return;
    m_textEditFaceFile = file;
    m_textEditEditor->setFont(zoomedFont(editorFont(file, m_textEditSize)));
}

void AnnotatingPDFView::removeTextEditEditor() {
    clearOpenEditor(InlineEditor::textEdit);
    if (m_textEditEditor) {
        m_textEditEditor->dismiss();
        setFocus(Qt::OtherFocusReason);
    }
    m_textEditEditor = nullptr;
    m_textEditPage = -1;
}

// Nothing was changed yet: the page stays as it was and nothing is left to undo.
void AnnotatingPDFView::cancelTextEdit() {
    removeTextEditEditor();
    viewport()->update();
}

void AnnotatingPDFView::setPageContent(const pdf::PageHandle& page, const pdf::PageContent& content,
                                       const pdf::PageContent& undoContent) {
    const int index = document() ? document()->indexOf(page) : -1;
    if (index < 0 || !document()->setPageContent(index, content))
        return;
    registerUndo([this, page, content, undoContent] { setPageContent(page, undoContent, content); });
    viewport()->update();
}

void AnnotatingPDFView::commitTextEditEditor() {
    if (!m_textEditEditor || m_textEditPage < 0 || !document())
        return;
    const QString text = m_textEditEditor->trimmedText();
    const int pageIndex = m_textEditPage;
    const pdf::TextLine line = m_textEditLine;
    annotations::LineReplacement replacement;
    replacement.text = text;
    replacement.fontFile = annotations::replacementFontFile(m_textEditFont, text);
    replacement.size = m_textEditSize;
    replacement.color = contrastingTextColor(m_textEditBackground);
    // A coloured background may be a picture with the words in it: hide them there, and only there.
    if (m_textEditBackground != QColor(Qt::white))
        replacement.cover = m_textEditBackground;
    removeTextEditEditor();
    viewport()->update();
    if (text.isEmpty() || replacement.fontFile.isEmpty())
        return;
    const auto geometry = document()->geometry(pageIndex);
    replacement.baselineStart = firstVisibleChar(line)->origin;
    replacement.degrees = lineDirection(line, geometry ? geometry.value().rotation : 0);
    for (const pdf::TextChar& c : line.chars)
        replacement.glyphBoxes.push_back(c.box);
    // The page's content before and after the edit: undo and redo swap the two.
    const auto before = document()->keepPageContent(pageIndex);
    if (!before)
        return;
    if (!document()->removeLine(pageIndex, line) ||
        !document()->drawOnPage(pageIndex, replacement.drawing())) {
        document()->setPageContent(pageIndex, before.value());
        return;
    }
    const auto after = document()->keepPageContent(pageIndex);
    if (after)
        registerUndo([this, page = document()->page(pageIndex), before = before.value(),
                      after = after.value()] { setPageContent(page, before, after); });
}

} // namespace zepla::pdfview
