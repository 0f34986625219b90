// In-place text editing of the annotating view: a click in text-editing mode picks the line under the
// point and opens an editor over it in the page's own font at the zoom; committing lays a cover filled
// with the page's background over the line and the new text on top, as one undo step. Esc, or an empty
// commit, leaves the page as it was.
#include "AnnotatingPDFView.h"

#include "annotations/FreeTextAnnotation.h"
#include "document/pages/PDFPageRasterizer.h"

#include <QFontDatabase>

#include <cmath>
#include <map>

namespace zepla::pdfview {

using annotations::FreeTextAnnotation;
using annotations::TextCoverAnnotation;

namespace {

constexpr qreal minimumEditorWidth = 80;

// "ABCDEF+Helvetica-BoldOblique" → family "Helvetica", bold, italic.
QFont fontNamed(const QString& name, qreal size) {
    QString base = name.section(QLatin1Char('+'), -1);
    const QString style =
        base.section(QLatin1Char('-'), 1).toLower() + base.section(QLatin1Char(','), 1).toLower();
    base = base.section(QLatin1Char('-'), 0, 0).section(QLatin1Char(','), 0, 0);
    QFont font(base);
    font.setPointSizeF(size);
    font.setBold(style.contains(QLatin1String("bold")));
    font.setItalic(style.contains(QLatin1String("italic")) || style.contains(QLatin1String("oblique")));
    return font;
}

} // namespace

std::optional<QFont> AnnotatingPDFView::originalFont(const QString& lineText,
                                                     const pdf::StructuredText& text) {
    // The characters in page order, and the font of each.
    QString all;
    std::vector<const pdf::TextChar*> chars;
    for (const pdf::TextBlock& block : text.blocks) {
        for (const pdf::TextLine& line : block.lines) {
            for (const pdf::TextChar& c : line.chars) {
                const QString s = QString::fromUcs4(&c.character, 1);
                all += s;
                for (int i = 0; i < s.size(); ++i)
                    chars.push_back(&c);
            }
            all += QLatin1Char('\n');
            chars.push_back(nullptr);
        }
    }
    const qsizetype at = lineText.isEmpty() ? -1 : all.indexOf(lineText);
    if (at < 0 || !chars[std::size_t(at)] || chars[std::size_t(at)]->fontName.isEmpty() ||
        chars[std::size_t(at)]->fontSize <= 0)
        return std::nullopt;
    return fontNamed(chars[std::size_t(at)]->fontName, chars[std::size_t(at)]->fontSize);
}

QFont AnnotatingPDFView::fallbackFont(qreal lineHeight) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSizeF(std::max(std::min(lineHeight * 0.8, 72.0), 9.0));
    return font;
}

QRectF AnnotatingPDFView::coverRect(const QRectF& line, qreal fontLineHeight) {
    const qreal h = std::max(line.height(), fontLineHeight + 8);
    return QRectF(line.left(), line.center().y() - h * 0.5, line.width(), h).adjusted(-2, -2, 2, 2);
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
    const auto lines = selectLines(from, to, [&](int) -> const PageText& { return text; });
    // Only a click on the line itself: beside or between lines starts nothing.
    if (lines.empty() || lines.front().text.trimmed().isEmpty() ||
        !lines.front().bounds.adjusted(-2, -2, 2, 2).contains(pagePoint))
        return;
    startTextEditEditor(lines.front(), pageIndex, structured.value());
}

void AnnotatingPDFView::startTextEditEditor(const LineSelection& line, int pageIndex,
                                            const pdf::StructuredText& text) {
    commitTextEditEditor();
    const QRectF& bounds = line.bounds;
    const QFont font = originalFont(line.text, text).value_or(fallbackFont(bounds.height()));
    const qreal fontLineHeight = QFontMetricsF(font).lineSpacing() * 72.0 / logicalDpiY();
    const QRectF cover = coverRect(bounds, fontLineHeight);
    const auto geometry = document()->geometry(pageIndex);
    const QRectF mediaBox = geometry ? geometry.value().mediaBox : QRectF();
    const QColor background = sampleBackgroundColor(
        cover, document::PDFPageRasterizer::render(*document(), pageIndex, 1), mediaBox);

    // The cover hides the old words under the editor at once; it has no undo step until the edit commits.
    auto coverAnnotation = std::make_shared<TextCoverAnnotation>();
    coverAnnotation->bounds = cover;
    coverAnnotation->fill = background;
    if (!annotations::writeNewAnnotation(*document(), pageIndex, *coverAnnotation))
        return;

    QRectF frame = convertRectFromPage(cover, pageIndex);
    frame.setWidth(std::max(frame.width(), minimumEditorWidth));
    auto* editor = new InlineFreeTextEditor(viewport());
    editor->setGeometry(frame.toRect());
    editor->setPlainText(line.text);
    editor->setFont(zoomedFont(font));
    QPalette palette = editor->palette();
    palette.setColor(QPalette::Text, contrastingTextColor(background));
    editor->setPalette(palette);
    editor->setTextInset(6 * scaleFactor(), 4 * scaleFactor());
    editor->open(
        this, [this] { commitTextEditEditor(); }, [this] { cancelTextEdit(); });
    editor->selectAll();
    m_textEditEditor = editor;
    m_textEditCover = coverAnnotation;
    m_textEditPage = pageIndex;
    m_textEditFont = font;
    m_textEditColor = contrastingTextColor(background);
    setOpenEditor(InlineEditor::textEdit, [this] { commitTextEditEditor(); });
    viewport()->update();
}

void AnnotatingPDFView::removeTextEditEditor() {
    clearOpenEditor(InlineEditor::textEdit);
    if (m_textEditEditor) {
        m_textEditEditor->dismiss();
        setFocus(Qt::OtherFocusReason);
    }
    m_textEditEditor = nullptr;
    m_textEditCover.reset();
    m_textEditPage = -1;
}

// The cover goes again, leaving nothing to undo.
void AnnotatingPDFView::cancelTextEdit() {
    const auto cover = m_textEditCover;
    const int pageIndex = m_textEditPage;
    removeTextEditEditor();
    if (cover && pageIndex >= 0 && document()) {
        document()->removeAnnotation(pageIndex, cover->handle);
        viewport()->update();
    }
}

void AnnotatingPDFView::commitTextEditEditor() {
    if (!m_textEditEditor || !m_textEditCover || m_textEditPage < 0 || !document())
        return;
    const QString text = m_textEditEditor->trimmedText();
    const auto cover = m_textEditCover;
    const int pageIndex = m_textEditPage;
    const QFont font = m_textEditFont;
    const QColor color = m_textEditColor;
    if (text.isEmpty()) {
        cancelTextEdit();
        return;
    }
    removeTextEditEditor();
    auto replacement = std::make_shared<FreeTextAnnotation>();
    replacement->bounds = cover->bounds;
    replacement->contents = text;
    replacement->font = font;
    replacement->fontColor = color;
    // A replacement longer than the old line still shows every word.
    replacement->bounds = replacement->fittingBounds();
    const pdf::PageHandle page = document()->page(pageIndex);
    if (!addAnnotation(replacement, page)) {
        document()->removeAnnotation(pageIndex, cover->handle);
        return;
    }
    // Undo takes the cover off with the text, in the same step.
    registerUndo([this, cover, page] { removeAnnotation(cover, page); });
}

} // namespace zepla::pdfview
