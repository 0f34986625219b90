// Inline Markdown and formula images into a text document.
#include "ui/markdown/InlineMarkdown.h"

#include "markdown/InlineMarkdownReader.h"
#include "markdown/MathSegmentSplitter.h"
#include "ui/markdown/MarkdownFonts.h"
#include "ui/markdown/MathImageRenderer.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>

namespace zepla::ui {

namespace {

// Line breaks inside a block stay breaks of that block, not new paragraphs of the document.
QString withSoftBreaks(QStringView text) {
    return text.toString().replace('\n', QChar::LineSeparator);
}

// A font whose x-height is `xHeight` pixels, or as near as one comes. Qt's text layout gives a middle-aligned
// inline object the ascent (height + x-height / 2) / 2 in its format's font, and nothing else lets an image
// reach below the baseline; the image draws nothing with the font.
QFont fontWithXHeight(int xHeight) {
    static QHash<int, QFont> fonts;
    if (const auto found = fonts.constFind(xHeight); found != fonts.cend())
        return *found;
    QFont font;
    // The x-height grows with the pixel size: the smallest size that reaches it.
    int low = 1, high = std::max(8, 4 * xHeight + 8);
    while (low < high) {
        const int middle = (low + high) / 2;
        font.setPixelSize(middle);
        if (QFontMetrics(font).xHeight() < xHeight)
            low = middle + 1;
        else
            high = middle;
    }
    font.setPixelSize(low);
    fonts.insert(xHeight, font);
    return font;
}

// The image placed with the formula's baseline on the text's: `depth` of it below the baseline, the rest
// above. A formula deeper than it is tall is padded at the top to stay on the baseline.
QTextImageFormat onBaseline(QImage& image, const QString& name, qreal depth) {
    const QSizeF size = image.deviceIndependentSize();
    const qreal height = size.height();
    if (2 * depth > height) {
        const int pad = int(std::ceil((2 * depth - height) * image.devicePixelRatio()));
        QImage padded(image.width(), image.height() + pad, image.format());
        padded.fill(Qt::transparent);
        QPainter(&padded).drawImage(0, pad, image);
        padded.setDevicePixelRatio(image.devicePixelRatio());
        image = padded;
    }
    const qreal paddedHeight = image.deviceIndependentSize().height();
    QTextImageFormat format;
    format.setName(name);
    format.setWidth(size.width());
    format.setHeight(paddedHeight);
    format.setVerticalAlignment(QTextCharFormat::AlignMiddle);
    format.setFont(fontWithXHeight(int(std::lround(2 * (paddedHeight - 2 * depth)))),
                   QTextCharFormat::FontPropertiesAll);
    return format;
}

} // namespace

InlineMarkdown::InlineMarkdown(QTextCursor& cursor, QColor formulaColor, qreal devicePixelRatio)
    : m_cursor(cursor), m_formulaColor(std::move(formulaColor)), m_devicePixelRatio(devicePixelRatio) {}

void InlineMarkdown::append(QStringView text, const QTextCharFormat& base) {
    for (const markdown::MathSegment& segment : markdown::MathSegmentSplitter::split(text)) {
        if (segment.kind == markdown::MathSegment::Kind::math)
            appendFormula(segment.text.toString(), segment.display, base);
        else
            appendMarkdown(segment.text, base);
    }
}

void InlineMarkdown::appendFormula(const QString& latex, bool display, const QTextCharFormat& base) {
    const qreal size = display ? displayFormulaSize : inlineFormulaSize;
    std::optional<QImage> image = MathImageRenderer::render(latex, size, m_formulaColor, m_devicePixelRatio);
    if (!image) {
        m_cursor.insertText(withSoftBreaks(latex), base);
        return;
    }
    const QString key = MathImageRenderer::cacheKey(latex, size, m_formulaColor, m_devicePixelRatio);
    QString& name = m_imageNames[key];
    const bool added = !name.isEmpty();
    if (!added)
        name = QStringLiteral("formula:%1").arg(m_imageNames.size());
    const QTextImageFormat format = onBaseline(*image, name, MathImageRenderer::depthBelowBaseline(*image));
    if (!added)
        m_cursor.document()->addResource(QTextDocument::ImageResource, QUrl(name), *image);
    m_cursor.insertImage(format);
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
