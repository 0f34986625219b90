// Inline Markdown and formula images into a text document.
#include "ui/markdown/InlineMarkdown.h"

#include "markdown/InlineMarkdownReader.h"
#include "markdown/MathSegmentSplitter.h"
#include "ui/markdown/InlineFormulaObject.h"
#include "ui/markdown/MarkdownFonts.h"
#include "ui/markdown/MathImageRenderer.h"

#include <QTextDocument>
#include <QUrl>

namespace zepla::ui {

namespace {

// Line breaks inside a block stay breaks of that block, not new paragraphs of the document.
QString withSoftBreaks(QStringView text) {
    return text.toString().replace('\n', QChar::LineSeparator);
}

} // namespace

QImage formulaImage(const FormulaImages* prepared, const QString& key, const QString& latex, qreal size,
                    const QColor& color, qreal devicePixelRatio) {
    if (prepared) {
        if (const auto found = prepared->made.constFind(key); found != prepared->made.cend())
            return *found;
        if (prepared->pending.contains(key))
            return MathImageRenderer::placeholder(size, color, devicePixelRatio);
    }
    return MathImageRenderer::render(latex, size, color, devicePixelRatio).value_or(QImage());
}

InlineMarkdown::InlineMarkdown(QTextCursor& cursor, QColor formulaColor, qreal devicePixelRatio,
                               const FormulaImages* prepared)
    : m_cursor(cursor), m_formulaColor(std::move(formulaColor)), m_devicePixelRatio(devicePixelRatio),
      m_prepared(prepared) {}

void InlineMarkdown::forEachFormula(QStringView text,
                                    const std::function<void(const QString&, qreal)>& formula) {
    for (const markdown::MathSegment& segment : markdown::MathSegmentSplitter::split(text)) {
        if (segment.kind == markdown::MathSegment::Kind::math)
            formula(segment.text.toString(), segment.display ? displayFormulaSize : inlineFormulaSize);
    }
}

void InlineMarkdown::append(QStringView text, const QTextCharFormat& base) {
    // One edit: the cursor then leaves its position on the line unmeasured after each insertion, which
    // would lay the growing block out again every time.
    m_cursor.beginEditBlock();
    for (const markdown::MathSegment& segment : markdown::MathSegmentSplitter::split(text)) {
        if (segment.kind == markdown::MathSegment::Kind::math)
            appendFormula(segment.text.toString(), segment.display, base);
        else
            appendMarkdown(segment.text, base);
    }
    m_cursor.endEditBlock();
}

void InlineMarkdown::appendFormula(const QString& latex, bool display, const QTextCharFormat& base) {
    const qreal size = display ? displayFormulaSize : inlineFormulaSize;
    const QString key = MathImageRenderer::cacheKey(latex, size, m_formulaColor, m_devicePixelRatio);
    const QImage image = formulaImage(m_prepared, key, latex, size, m_formulaColor, m_devicePixelRatio);
    if (image.isNull()) {
        m_cursor.insertText(withSoftBreaks(latex), base);
        return;
    }
    QString& name = m_imageNames[key];
    const bool added = !name.isEmpty();
    if (!added)
        name = QStringLiteral("formula:%1").arg(m_imageNames.size());
    if (!added)
        m_cursor.document()->addResource(QTextDocument::ImageResource, QUrl(name), image);
    m_cursor.insertText(QString(QChar::ObjectReplacementCharacter), InlineFormulaObject::format(image, name));
}

void InlineMarkdown::appendMarkdown(QStringView text, const QTextCharFormat& base) {
    for (const markdown::InlineRun& run : markdown::InlineMarkdownReader::read(text).runs) {
        QTextCharFormat format = base;
        if (run.strong)
            format.setFontWeight(QFont::Bold);
        if (run.emphasis)
            format.setFontItalic(true);
        if (run.strikethrough)
            format.setFontStrikeOut(true);
        if (run.code)
            format.setFontFamilies({MarkdownFonts::monospaceFamily()});
        if (!run.link.isEmpty()) {
            format.setAnchor(true);
            format.setAnchorHref(run.link.toString());
            format.setFontUnderline(true);
            format.setForeground(MarkdownFonts::linkColor());
        }
        m_cursor.insertText(withSoftBreaks(run.text), format);
    }
}

} // namespace zepla::ui
