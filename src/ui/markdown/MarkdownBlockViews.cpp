// Block views of rendered answers, each a text document in a TextBlockView or a centred formula image that
// scrolls sideways when it is wider than the answer.
#include "ui/markdown/MarkdownBlockViews.h"

#include "markdown/MathSegmentSplitter.h"
#include "ui/markdown/InlineMarkdown.h"
#include "ui/markdown/MarkdownFonts.h"
#include "ui/markdown/MathImageRenderer.h"
#include "ui/markdown/TextBlockView.h"
#include "ui/theme/Colors.h"

#include <QFontMetricsF>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextTable>
#include <QVBoxLayout>

#include <cmath>

namespace zepla::ui::MarkdownBlockViews {

namespace {

using markdown::MarkdownBlock;

constexpr qreal itemSpacing = 3;
constexpr qreal markerGap = 6;
constexpr qreal codePadding = 8;
constexpr qreal codeRadius = 6;
constexpr qreal codeOpacity = 0.06;
constexpr qreal tablePadding = 8;
constexpr qreal tableRadius = 8;
constexpr qreal tableOpacity = 0.04;
constexpr qreal columnGap = 10;
constexpr qreal rowGap = 4;
constexpr qreal quoteGap = 8;
constexpr qreal quoteBarWidth = 3;
constexpr qreal equationPadding = 4;
constexpr qreal dividerOpacity = 0.15;

std::unique_ptr<QTextDocument> newDocument(const QFont& font) {
    auto document = std::make_unique<QTextDocument>();
    document->setDocumentMargin(0);
    document->setDefaultFont(font);
    document->setUndoRedoEnabled(false);
    return document;
}

QTextBlockFormat spacedBlock() {
    QTextBlockFormat format;
    format.setLineHeight(MarkdownFonts::lineSpacing, QTextBlockFormat::LineDistanceHeight);
    return format;
}

QTextCharFormat charFormat(const QFont& font) {
    QTextCharFormat format;
    format.setFont(font, QTextCharFormat::FontPropertiesAll);
    return format;
}

// One wrapped run of inline text in `font`.
TextBlockView* inlineText(const QString& text, const QFont& font, const Style& style, QMarginsF padding = {},
                          TextBlockView::Decoration decoration = {}) {
    auto document = newDocument(font);
    QTextCursor cursor(document.get());
    cursor.setBlockFormat(spacedBlock());
    InlineMarkdown(cursor, style.formulaColor, style.devicePixelRatio, style.prepared)
        .append(text, charFormat(font));
    return new TextBlockView(std::move(document), padding, decoration);
}

// Items with their markers hanging in a column of their own, so a wrapped item lines up under its first word.
TextBlockView* list(const QStringList& items, const QStringList& markers, const Style& style) {
    const QFont font = MarkdownFonts::body();
    const QFontMetricsF metrics(font);
    qreal markerWidth = 0;
    for (const QString& marker : markers)
        markerWidth = std::max(markerWidth, metrics.horizontalAdvance(marker));
    const qreal indent = std::ceil(markerWidth + markerGap);

    auto document = newDocument(font);
    QTextCursor cursor(document.get());
    InlineMarkdown text(cursor, style.formulaColor, style.devicePixelRatio, style.prepared);
    QTextCharFormat markerFormat = charFormat(font);
    markerFormat.setForeground(Color::secondary(nullptr));
    for (qsizetype i = 0; i < items.size(); ++i) {
        QTextBlockFormat format = spacedBlock();
        format.setLeftMargin(indent);
        format.setTextIndent(-indent);
        format.setTabPositions({QTextOption::Tab(indent, QTextOption::LeftTab)});
        format.setBottomMargin(i + 1 < items.size() ? itemSpacing : 0);
        if (i == 0)
            cursor.setBlockFormat(format);
        else
            cursor.insertBlock(format);
        cursor.insertText(markers[i] + '\t', markerFormat);
        text.append(items[i], charFormat(font));
    }
    return new TextBlockView(std::move(document));
}

TextBlockView* bulletList(const QStringList& items, const Style& style) {
    return list(items, QStringList(items.size(), QStringLiteral("•")), style);
}

TextBlockView* numberedList(const QStringList& items, int firstNumber, const Style& style) {
    QStringList markers;
    markers.reserve(items.size());
    for (qsizetype i = 0; i < items.size(); ++i)
        markers.append(QString::asprintf("%lld.", static_cast<long long>(firstNumber + i)));
    return list(items, markers, style);
}

// The width of a line's leading blanks, tabs going to the document's tab stops.
qreal indentWidth(QStringView line, const QFontMetricsF& metrics, qreal tabStop) {
    qreal x = 0;
    for (QChar c : line) {
        if (c == ' ')
            x += metrics.horizontalAdvance(c);
        else if (c == '\t' && tabStop > 0)
            x = (std::floor(x / tabStop) + 1) * tabStop;
        else
            break;
    }
    return x;
}

TextBlockView* codeBlock(const QString& code) {
    const QFont font = MarkdownFonts::code();
    auto document = newDocument(font);
    QTextCursor cursor(document.get());
    const QFontMetricsF metrics(font);
    const qreal tabStop = document->defaultTextOption().tabStopDistance();
    const QStringList lines = code.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0)
            cursor.insertBlock();
        // A line too long for the width goes on under its own first character, keeping its indentation.
        const qreal indent = indentWidth(lines[i], metrics, tabStop);
        QTextBlockFormat hanging;
        hanging.setLeftMargin(indent);
        hanging.setTextIndent(-indent);
        cursor.setBlockFormat(hanging);
        cursor.insertText(lines[i], charFormat(font));
    }
    const TextBlockView::Decoration tint{TextBlockView::Decoration::Kind::tint, codeOpacity, codeRadius,
                                         false};
    return new TextBlockView(std::move(document),
                             QMarginsF(codePadding, codePadding, codePadding, codePadding), tint);
}

// The grid of a table: as many columns as its longest row, each as wide as its widest cell, the header in its
// own font with a divider under it.
TextBlockView* table(const QStringList& header, const QList<QStringList>& rows, const Style& style) {
    qsizetype columns = header.size();
    for (const QStringList& row : rows)
        columns = std::max(columns, row.size());
    const bool hasHeader = !header.isEmpty();
    const int rowCount = int(rows.size()) + (hasHeader ? 1 : 0);

    auto document = newDocument(MarkdownFonts::body());
    QTextCursor cursor(document.get());
    QTextTableFormat format;
    format.setBorderCollapse(true);
    format.setBorder(0);
    format.setCellSpacing(0);
    format.setCellPadding(0);
    QTextTable* grid =
        cursor.insertTable(std::max(rowCount, 1), int(std::max<qsizetype>(columns, 1)), format);
    InlineMarkdown text(cursor, style.formulaColor, style.devicePixelRatio, style.prepared);

    const auto fill = [&](int row, const QStringList& cells, const QFont& font, bool divider) {
        for (int column = 0; column < columns; ++column) {
            QTextTableCell cell = grid->cellAt(row, column);
            QTextTableCellFormat cellFormat;
            cellFormat.setRightPadding(column + 1 < columns ? columnGap : 0);
            cellFormat.setBottomPadding(row + 1 < rowCount ? rowGap : 0);
            cellFormat.setTopPadding(row > 0 && hasHeader && row == 1 ? rowGap : 0);
            if (divider) {
                cellFormat.setBottomBorder(1);
                cellFormat.setBottomBorderStyle(QTextFrameFormat::BorderStyle_Solid);
                cellFormat.setBottomBorderBrush(Color::primary(nullptr, dividerOpacity));
            }
            cell.setFormat(cellFormat);
            if (column >= cells.size())
                continue;
            cursor = cell.firstCursorPosition();
            cursor.setBlockFormat(spacedBlock());
            text.append(cells[column], charFormat(font));
        }
    };
    if (hasHeader)
        fill(0, header, MarkdownFonts::tableHeader(), true);
    for (qsizetype row = 0; row < rows.size(); ++row)
        fill(int(row) + (hasHeader ? 1 : 0), rows[row], MarkdownFonts::body(), false);

    const TextBlockView::Decoration tint{TextBlockView::Decoration::Kind::tint, tableOpacity, tableRadius,
                                         true};
    return new TextBlockView(std::move(document),
                             QMarginsF(tablePadding, tablePadding, tablePadding, tablePadding), tint);
}

TextBlockView* blockquote(const QString& text, const Style& style) {
    const TextBlockView::Decoration bar{TextBlockView::Decoration::Kind::quoteBar};
    TextBlockView* view =
        inlineText(text, MarkdownFonts::body(), style, QMarginsF(quoteBarWidth + quoteGap, 0, 0, 0), bar);
    QPalette palette = view->palette();
    palette.setColor(QPalette::WindowText, Color::secondary(view));
    view->setPalette(palette);
    return view;
}

// A display equation centred in the answer's width and, when wider than that, scrolled sideways rather
// than cut at both sides.
class EquationView : public QScrollArea {
public:
    explicit EquationView(QLabel* equation) {
        setFrameShape(QFrame::NoFrame);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        setWidgetResizable(true);
        viewport()->setAutoFillBackground(false);
        setWidget(equation);
        equation->setAutoFillBackground(false);
        QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        policy.setHeightForWidth(true);
        setSizePolicy(policy);
    }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override {
        const QSize equation = widget()->sizeHint();
        return equation.height() +
               (equation.width() > width ? horizontalScrollBar()->sizeHint().height() : 0);
    }
    QSize sizeHint() const override {
        const int equationWidth = widget()->sizeHint().width();
        return {equationWidth, heightForWidth(width() > 0 ? width() : equationWidth)};
    }
    QSize minimumSizeHint() const override { return {1, heightForWidth(width())}; }
};

} // namespace

QWidget* equationBlock(const QString& latex, const Style& style) {
    const QImage image = formulaImage(
        style.prepared,
        MathImageRenderer::cacheKey(latex, equationSize, style.formulaColor, style.devicePixelRatio), latex,
        equationSize, style.formulaColor, style.devicePixelRatio);
    if (image.isNull()) {
        auto document = newDocument(MarkdownFonts::equationSource());
        QTextCursor cursor(document.get());
        QTextBlockFormat centred;
        centred.setAlignment(Qt::AlignHCenter);
        cursor.setBlockFormat(centred);
        cursor.insertText(QString(latex).replace('\n', QChar::LineSeparator));
        return new TextBlockView(std::move(document), QMarginsF(0, equationPadding, 0, equationPadding));
    }
    auto* label = new QLabel;
    label->setPixmap(QPixmap::fromImage(image));
    label->setAlignment(Qt::AlignCenter);
    label->setContentsMargins(0, int(equationPadding), 0, int(equationPadding));
    label->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    return new EquationView(label);
}

void forEachFormula(const MarkdownBlock& block, const std::function<void(const QString&, qreal)>& formula) {
    switch (block.kind) {
    case MarkdownBlock::Kind::paragraph:
        if (const std::optional<QString> latex =
                markdown::MathSegmentSplitter::soleDisplayEquation(block.text))
            return formula(*latex, equationSize);
        [[fallthrough]];
    case MarkdownBlock::Kind::heading:
    case MarkdownBlock::Kind::blockquote:
        return InlineMarkdown::forEachFormula(block.text, formula);
    case MarkdownBlock::Kind::bulletList:
    case MarkdownBlock::Kind::numberedList:
        for (const QString& item : block.items)
            InlineMarkdown::forEachFormula(item, formula);
        return;
    case MarkdownBlock::Kind::table:
        for (const QString& cell : block.header)
            InlineMarkdown::forEachFormula(cell, formula);
        for (const QStringList& row : block.rows)
            for (const QString& cell : row)
                InlineMarkdown::forEachFormula(cell, formula);
        return;
    case MarkdownBlock::Kind::codeBlock:
        return;
    }
}

QWidget* blockView(const MarkdownBlock& block, const Style& style, int firstNumber) {
    switch (block.kind) {
    case MarkdownBlock::Kind::heading:
        return inlineText(block.text, MarkdownFonts::heading(block.level), style);
    case MarkdownBlock::Kind::paragraph:
        if (const std::optional<QString> latex =
                markdown::MathSegmentSplitter::soleDisplayEquation(block.text))
            return equationBlock(*latex, style);
        return inlineText(block.text, MarkdownFonts::body(), style);
    case MarkdownBlock::Kind::bulletList:
        return bulletList(block.items, style);
    case MarkdownBlock::Kind::numberedList:
        return numberedList(block.items, firstNumber, style);
    case MarkdownBlock::Kind::codeBlock:
        return codeBlock(block.text);
    case MarkdownBlock::Kind::table:
        return table(block.header, block.rows, style);
    case MarkdownBlock::Kind::blockquote:
        return blockquote(block.text, style);
    }
    return nullptr;
}

} // namespace zepla::ui::MarkdownBlockViews
