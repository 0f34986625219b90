// Running answer text into a text document: plain runs read as inline Markdown, formulas as images from the
// formula image renderer with their baselines on the text's, or as their source when they give none.
#pragma once

#include <QColor>
#include <QHash>
#include <QImage>
#include <QStringView>
#include <QTextCharFormat>
#include <QTextCursor>

#include <functional>
#include <optional>

namespace zepla::ui {

// Formula images made ahead of a view by their MathImageRenderer cache keys, so that building the view
// renders none of them.
using FormulaImages = QHash<QString, QImage>;

// The image `prepared` holds under `key`: none when it holds nothing there, a null image for a formula
// that was tried and gives no image.
std::optional<QImage> preparedImage(const FormulaImages* prepared, const QString& key);

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
