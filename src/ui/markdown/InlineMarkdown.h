// Running answer text into a text document: plain runs read as inline Markdown, formulas as images from the
// formula image renderer standing on the baseline like characters, or as their source when they give none.
#pragma once

#include <QColor>
#include <QHash>
#include <QStringView>
#include <QTextCharFormat>
#include <QTextCursor>

namespace zepla::ui {

class InlineMarkdown {
public:
    static constexpr qreal inlineFormulaSize = 15;
    static constexpr qreal displayFormulaSize = 17;

    // Writes into `cursor`'s document; formula images are drawn in `formulaColor` at `devicePixelRatio`.
    InlineMarkdown(QTextCursor& cursor, QColor formulaColor, qreal devicePixelRatio);

    // Appends `text` in `base`: its styles (bold, italics, strike-through, code, links) are laid over it.
    void append(QStringView text, const QTextCharFormat& base);

private:
    void appendFormula(const QString& latex, bool display, const QTextCharFormat& base);
    void appendMarkdown(QStringView text, const QTextCharFormat& base);

    QTextCursor& m_cursor;
    QColor m_formulaColor;
    qreal m_devicePixelRatio;
    // The resource name of each formula image already in the document, by its cache key.
    QHash<QString, QString> m_imageNames;
};

} // namespace zepla::ui
