// Running answer text into a text document: plain runs read as inline Markdown, formulas as images from the
// formula image renderer with their baselines on the text's, or as their source when they give none.
#pragma once

#include <QColor>
#include <QHash>
#include <QImage>
#include <QSet>
#include <QStringView>
#include <QTextCharFormat>
#include <QTextCursor>

#include <functional>

namespace zepla::ui {

// Formula images made ahead of a view by their MathImageRenderer cache keys, so that building the view
// renders none of them (a null image for a formula that was tried and gives none); and the keys of the
// formulas typeset on a worker thread meanwhile, which the view shows as placeholders.
struct FormulaImages {
    QHash<QString, QImage> made;
    QSet<QString> pending;
};

// The image a view shows for a formula whose cache key is `key`: the one made ahead, the placeholder of a
// formula still being typeset, else the formula rendered now. A null image for a formula that gives none.
QImage formulaImage(const FormulaImages* prepared, const QString& key, const QString& latex, qreal size,
                    const QColor& color, qreal devicePixelRatio);

class InlineMarkdown {
public:
    static constexpr qreal inlineFormulaSize = 15;
    static constexpr qreal displayFormulaSize = 17;

    // Writes into `cursor`'s document; formula images are drawn in `formulaColor` at `devicePixelRatio`, or
    // taken from `prepared` when it holds them.
    InlineMarkdown(QTextCursor& cursor, QColor formulaColor, qreal devicePixelRatio,
                   const FormulaImages* prepared = nullptr);

    // Calls `formula` with the LaTeX and the point size of every formula in `text`, in order.
    static void forEachFormula(QStringView text, const std::function<void(const QString&, qreal)>& formula);

    // Appends `text` in `base`: its styles (bold, italics, strike-through, code, links) are laid over it.
    void append(QStringView text, const QTextCharFormat& base);

private:
    void appendFormula(const QString& latex, bool display, const QTextCharFormat& base);
    void appendMarkdown(QStringView text, const QTextCharFormat& base);

    QTextCursor& m_cursor;
    QColor m_formulaColor;
    qreal m_devicePixelRatio;
    const FormulaImages* m_prepared;
    // The resource name of each formula image already in the document, by its cache key.
    QHash<QString, QString> m_imageNames;
};

} // namespace zepla::ui
