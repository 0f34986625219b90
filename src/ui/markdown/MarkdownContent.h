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

// An answer of up to eagerCharacters characters, eagerPieces pieces and eagerFormulas formulas gets all its
// block views at once. A
// larger one stays cheap however long it is: it is read on a worker thread, its views are made only for the
// part on screen (and about a screen around it, a slice of time at a turn) and dropped again when
// scrolled far away, while the heights of all pieces are measured in the background in slices, one per turn
// of the event loop, that share a frame's SliceBudget with the making of views, so that a turn holding them
// and a paint still fits in a frame; until a piece is measured its height is estimated
// from its text. A piece's formulas are typeset ahead of its view, as many in a slice as fit, so that no
// piece holds a turn however many formulas it has. Blocks too big for one slice are cut into pieces: long
// texts at line ends (or at spaces within a longer line) every pieceCharacters characters or pieceFormulas
// formulas, never inside a formula, which is found on the whole text of its block first; lists and tables
// every pieceItems items, rows or columns, the numbering going on across pieces. A formula too large to
// typeset within a slice (MathImageRenderer::typesetsInBackground) is typeset on a worker thread, in an
// answer of any size: its piece shows a placeholder in its place until the image comes, and is then made
// and measured again.
class MarkdownContent : public QWidget {
    Q_OBJECT
public:
    static constexpr int blockSpacing = 6;
    static constexpr qsizetype pieceCharacters = 16 * 1024;
    static constexpr qsizetype pieceItems = 50;
    static constexpr qsizetype pieceFormulas = 64;
    static constexpr qsizetype eagerPieces = 300;
    static constexpr qsizetype eagerCharacters = 32 * 1024;
    static constexpr qsizetype eagerFormulas = 150;

    explicit MarkdownContent(QString text = QString(), QColor color = Qt::black, QWidget* parent = nullptr);

    const QString& text() const { return m_text; }
    const QColor& color() const { return m_color; }
    // Rebuilds the views when the text or the colour changed.
    void setText(const QString& text);
    void setColor(const QColor& color);

    // True once every formula is typeset and every piece's height is measured.
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
        // Measured at m_width; -1 while unknown.
        int height = -1;
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
    void rebuild();
    // Takes the pieces of the current text and makes or measures their views.
    void takePieces(std::vector<Piece> pieces);
    bool isEager() const {
        return m_text.size() <= eagerCharacters && qsizetype(m_pieces.size()) <= eagerPieces &&
               m_formulaCount <= eagerFormulas;
    }
    // Typesets the piece's formulas not yet made, until the slice's budget is spent (all of them without a
    // budget), the large ones on a worker thread; true when all are made or under way.
    bool prepare(Piece& piece, const SliceBudget* budget);
    // A large formula's image has come: the pieces waiting for it are made and measured again.
    void takeFormula(const QString& key, const std::optional<QImage>& image);
    QWidget* makeView(Piece& piece);
    // Forgets the heights and measures again at the current width: a small answer at once, a larger one in
    // slices from the next turn of the event loop on.
    void remeasure();
    void measure(Piece& piece);
    void measureSlice();
    // The measured height at the current width, else the view's answer, else an estimate.
    int pieceHeight(const Piece& piece, int width) const;
    void placeViews();
    void materialize();
    void scheduleMaterialize();

    QString m_text;
    QColor m_color;
    std::vector<Piece> m_pieces;
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
QList<markdown::MarkdownBlock> splitIntoPieces(const markdown::MarkdownBlock& block, qsizetype characters,
                                               qsizetype items, qsizetype formulas);

} // namespace zepla::ui
