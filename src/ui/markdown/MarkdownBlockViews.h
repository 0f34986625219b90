// The view of each kind of answer block: headings, paragraphs, equations, lists, code, tables and quotes.
#pragma once

#include "markdown/MarkdownBlock.h"
#include "ui/markdown/InlineMarkdown.h"

#include <QColor>
#include <QWidget>

namespace zepla::ui::MarkdownBlockViews {

// What every block view needs: the colour of the formula images and the pixel ratio they are drawn at, and
// the images made ahead, if any.
struct Style {
    QColor formulaColor;
    qreal devicePixelRatio = 1;
    const FormulaImages* prepared = nullptr;
};

inline constexpr qreal equationSize = 22;

// The view of one block. A numbered list's markers count from `firstNumber` (1 for a whole list; a later
// piece of a long list goes on from where the previous piece ended); a table piece without a header shows
// rows only.
QWidget* blockView(const markdown::MarkdownBlock& block, const Style& style, int firstNumber = 1);

// Calls `formula` with the LaTeX and the point size of every formula the block's view shows, in order.
void forEachFormula(const markdown::MarkdownBlock& block,
                    const std::function<void(const QString&, qreal)>& formula);

// A paragraph that is one display formula: its image at 22 points centred, or its source centred in
// monospaced type when the formula gives no image.
QWidget* equationBlock(const QString& latex, const Style& style);

} // namespace zepla::ui::MarkdownBlockViews
