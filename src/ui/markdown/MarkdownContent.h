// One rendered answer: its Markdown blocks one below the other, 6 points apart, with typeset formulas in the
// given colour. Answers height-for-width, so hosts can lay out answers at any width.
#pragma once

#include "markdown/MarkdownBlock.h"
#include "ui/markdown/InlineMarkdown.h"

#include <QColor>
#include <QList>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

namespace zepla::ui {

class SliceBudget;

// How much one piece of an answer holds at most, so that making its view fits in a slice of time: text
// characters (a longer line or formula is cut, or is a piece of its own), list items or table columns,
// table cells, and formulas. A list item or table row longer than the characters is a piece of its own.
struct PieceLimits {
    qsizetype characters;
    qsizetype items;
    qsizetype cells;
    qsizetype formulas;
};

// An answer's views are made a piece at a time, in slices of time that share a frame's SliceBudget with the
// making of the conversation's other views, so that a turn of the event loop holding them and a paint still
// fits in a frame however long the answer is (the first answer of a window too, whose fonts and formula
// machinery load as its first pieces are made); until a piece is measured its height is estimated from its
// text. An answer of up to eagerCharacters characters, eagerPieces pieces and eagerFormulas formulas keeps
// all its views once made. A larger one stays cheap however long it is: it is read on a worker thread, its
// views are made only for the part on screen (and about a screen around it) and dropped again when
// scrolled far away, while the heights of all pieces are measured in the background, one slice a turn of
// the event loop. A piece's formulas are typeset ahead of its view, as many in a slice as fit, so that no
// piece holds a turn however many formulas it has. Blocks too big for one slice are cut into pieces within
// pieceLimits: long texts at line ends (or at spaces within a longer line), never inside a formula, which
// is found on the whole text of its block first; lists and tables by items, rows, columns and cells, the
// numbering going on across pieces. A formula too large to typeset within a slice
// (MathImageRenderer::typesetsInBackground) is typeset on a worker thread, in an answer of any size: its
// piece shows a placeholder in its place until the image comes, and is then made and measured again. What
// an answer held is let go on a worker thread, since freeing the pieces of megabytes takes longer than a
// frame.
class MarkdownContent : public QWidget {
    Q_OBJECT
public:
    static constexpr int blockSpacing = 6;
    static constexpr qsizetype pieceCharacters = 4 * 1024;
    static constexpr qsizetype pieceItems = 50;
    static constexpr qsizetype pieceCells = 100;
    static constexpr qsizetype pieceFormulas = 64;
    static constexpr PieceLimits pieceLimits{pieceCharacters, pieceItems, pieceCells, pieceFormulas};
    static constexpr qsizetype eagerPieces = 300;
    static constexpr qsizetype eagerCharacters = 32 * 1024;
    static constexpr qsizetype eagerFormulas = 150;

    explicit MarkdownContent(QString text = QString(), QColor color = Qt::black, QWidget* parent = nullptr);
    ~MarkdownContent() override;

    const QString& text() const { return m_text; }
    const QColor& color() const { return m_color; }
    // Rebuilds the views when the text or the colour changed.
    void setText(const QString& text);
    void setColor(const QColor& color);

    // True once every formula is typeset and every piece's height is measured (and, for a small answer, every
    // view made).
    bool isComplete() const { return !m_reading && m_unmeasured == 0 && m_pendingFormulas == 0; }
    qsizetype pieceCount() const { return qsizetype(m_pieces.size()); }
    // The views that exist now, in order.
    QList<QWidget*> blockViews() const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;

signals:
    // Every formula is typeset and every piece is measured.
    void completed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Piece {
        markdown::MarkdownBlock block;
        int firstNumber = 1;
        QWidget* view = nullptr;
        // Lines and characters of its text, counted once, for the estimate of its height until measured.
        qsizetype lines = 0;
        qsizetype characters = 0;
        // The LaTeX and point size of each of its formulas, and the images of the first `prepared` of them
        // while it waits for its view or its measuring, or the keys of those still being typeset.
        std::vector<std::pair<QString, qreal>> formulas;
        qsizetype prepared = 0;
        FormulaImages images;
    };

    static std::vector<Piece> piecesOf(const QString& text);
    // Deletes the pieces' views and frees the rest on a worker thread.
    static void letGoInBackground(std::vector<Piece> pieces);
    void rebuild();
    // Takes the pieces of the current text and makes or measures their views.
    void takePieces(std::vector<Piece> pieces);
    bool isEager() const {
        return m_text.size() <= eagerCharacters && qsizetype(m_pieces.size()) <= eagerPieces &&
               m_formulaCount <= eagerFormulas;
    }
    // Typesets the piece's formulas not yet made, until the slice's budget is spent, the large ones on a
    // worker thread; true when all are made or under way.
    bool prepare(Piece& piece, const SliceBudget& budget);
    // A large formula's image has come: the pieces waiting for it are made and measured again.
    void takeFormula(const QString& key, const std::optional<QImage>& image);
    // Whether the piece's view may be made in this slice: its formulas are typeset first, as many as the
    // slice has time for, and the view waits for the next slice when they used it up (the first formulas
    // and the first text of a window each take a while, as their fonts load then).
    bool readyForView(Piece& piece, const SliceBudget& budget);
    QWidget* makeView(Piece& piece);
    // Makes the piece's view and keeps it until dropped.
    void keepView(qsizetype index);
    void dropView(qsizetype index);
    // Forgets the heights and measures again at the current width: the views there are at once, the other
    // pieces in slices from the next turn of the event loop on.
    void remeasure();
    void measure(qsizetype index);
    void measureSlice();
    // The piece's height at a width: its view's answer, else an estimate from its text.
    int pieceHeight(const Piece& piece, int width) const;
    // Where each piece starts at the current width, and after them where the last one's spacing ends: the
    // heights added up again when they changed.
    const std::vector<int>& tops() const;
    void placeViews();
    void materialize();
    void scheduleMaterialize();

    QString m_text;
    QColor m_color;
    std::vector<Piece> m_pieces;
    // For each piece at m_width, its height, measured or else estimated, and whether it was measured: kept
    // beside the pieces, so that adding the heights up never walks through the pieces of a long answer.
    std::vector<int> m_heights;
    std::vector<bool> m_measured;
    mutable std::vector<int> m_tops;
    mutable bool m_topsStale = true;
    // The pieces that have views, in no order.
    std::vector<qsizetype> m_kept;
    qsizetype m_formulaCount = 0;
    int m_width = 0;
    bool m_reading = false;
    qsizetype m_unmeasured = 0;
    // Formulas of the pieces typeset on a worker thread, counted once per piece that waits for one.
    qsizetype m_pendingFormulas = 0;
    qsizetype m_measureNext = 0;
    bool m_materializeQueued = false;
    QRect m_visible;
    // Runs the measuring slices one per timer turn, so that events queued meanwhile (painting, input, other
    // timers) are handled between two slices instead of after a chain of them.
    QTimer m_measureTimer;
    // Bumped for every new text, so that a reading done for an older text does nothing.
    quint64 m_readGeneration = 0;
};

// The pieces a block is shown in; most blocks are one piece.
QList<markdown::MarkdownBlock> splitIntoPieces(const markdown::MarkdownBlock& block,
                                               const PieceLimits& limits);

} // namespace zepla::ui
