// A rendered answer built in slices.
#include "ui/markdown/MarkdownContent.h"

#include "markdown/MarkdownParser.h"
#include "markdown/MathSegmentSplitter.h"
#include "ui/markdown/MarkdownBlockViews.h"
#include "ui/markdown/MathImageRenderer.h"
#include "ui/markdown/NearbyViews.h"
#include "ui/markdown/SliceBudget.h"

#include <QApplication>
#include <QPaintEvent>
#include <QPointer>
#include <QThreadPool>
#include <QTimer>

namespace zepla::ui {

namespace {

using markdown::MarkdownBlock;

// A view's height at a width: its own answer when it has one, its preferred height otherwise (an equation's
// image).
int viewHeight(const QWidget& view, int width) {
    return std::max(view.hasHeightForWidth() ? view.heightForWidth(width) : view.sizeHint().height(), 0);
}

// Where running text may be cut into pieces: never inside a formula with its delimiters, nor between two
// characters that could together make a delimiter or one character, so that each piece read again for
// formulas finds exactly the formulas the whole text holds.
class TextCuts {
public:
    TextCuts(QStringView text, bool readsFormulas) : m_text(text) {
        if (!readsFormulas)
            return;
        const markdown::MathSegments segments = markdown::MathSegmentSplitter::split(text);
        // Segments cover the text without a gap: a formula reaches from the end of the segment before it
        // to the start of the one after it, delimiters included.
        qsizetype end = 0;
        for (qsizetype i = 0; i < segments.size(); ++i) {
            const qsizetype start = end;
            if (segments[i].kind == markdown::MathSegment::Kind::text) {
                end = offset(segments[i]) + segments[i].text.size();
                continue;
            }
            end = i + 1 < segments.size() ? offset(segments[i + 1]) : text.size();
            m_formulas.push_back({start, end});
        }
    }

    // The end of the piece that starts at `start` and holds at most `limit` characters where the text
    // allows, and where the next piece starts: a line end is preferred (the line feed belongs to neither
    // piece), then a space (the same), then any other place between two characters; a formula longer than
    // the limit is a piece of its own.
    std::pair<qsizetype, qsizetype> cut(qsizetype start, qsizetype limit, qsizetype formulas) const {
        qsizetype end = start + limit;
        const auto first =
            std::lower_bound(m_formulas.begin(), m_formulas.end(), start,
                             [](const Span& formula, qsizetype p) { return formula.first < p; });
        if (m_formulas.end() - first > formulas)
            end = std::min(end, first[formulas].first);
        if (end >= m_text.size())
            return {m_text.size(), m_text.size()};
        if (const Span* formula = around(end)) {
            if (formula->first <= start)
                return {formula->second, formula->second};
            end = formula->first;
        }
        for (const QChar separator : {QChar('\n'), QChar(' ')}) {
            for (qsizetype at = end; at > start; --at) {
                if (m_text[at] == separator && !around(at))
                    return {at, at + 1};
            }
        }
        for (qsizetype at = end; at > start; --at) {
            if (allowsCut(at))
                return {at, at};
        }
        for (qsizetype at = end + 1; at < m_text.size(); ++at) {
            if (allowsCut(at))
                return {at, at};
        }
        return {m_text.size(), m_text.size()};
    }

private:
    using Span = std::pair<qsizetype, qsizetype>;

    qsizetype offset(const markdown::MathSegment& segment) const {
        return segment.text.data() - m_text.data();
    }

    // The formula that `position` lies strictly inside.
    const Span* around(qsizetype position) const {
        const auto it = std::upper_bound(m_formulas.begin(), m_formulas.end(), position,
                                         [](qsizetype p, const Span& formula) { return p < formula.second; });
        return it != m_formulas.end() && it->first < position ? &*it : nullptr;
    }

    bool allowsCut(qsizetype at) const {
        if (around(at))
            return false;
        const auto next =
            std::lower_bound(m_formulas.begin(), m_formulas.end(), at,
                             [](const Span& formula, qsizetype p) { return formula.second < p; });
        if (next != m_formulas.end() && (next->first == at || next->second == at))
            return true;
        const QChar before = m_text[at - 1], after = m_text[at];
        return before != '$' && before != '\\' && after != '$' && !after.isLowSurrogate() && !after.isMark();
    }

    QStringView m_text;
    // Each formula's place, delimiters included, in text order.
    std::vector<Span> m_formulas;
};

// Text cut into pieces of about `limit` characters and at most `formulas` formulas where TextCuts allows.
QStringList textPieces(const QString& text, qsizetype limit, qsizetype formulas, bool readsFormulas) {
    QStringList pieces;
    const TextCuts cuts(text, readsFormulas);
    for (qsizetype start = 0;;) {
        const auto [end, next] = cuts.cut(start, limit, formulas);
        pieces.append(text.mid(start, end - start));
        if (end >= text.size())
            return pieces;
        start = next;
    }
}

// Consecutive runs of the list's entries, each of at most `limit` entries and, past its first entry, at most
// `characters` characters as `length` counts them.
template <typename List, typename Length>
QList<List> runs(const List& list, qsizetype limit, qsizetype characters, Length length) {
    QList<List> pieces;
    for (qsizetype start = 0; start < list.size();) {
        qsizetype end = start + 1;
        qsizetype total = length(list[start]);
        for (; end < list.size() && end - start < limit && total + length(list[end]) <= characters; ++end)
            total += length(list[end]);
        pieces.append(list.mid(start, end - start));
        start = end;
    }
    return pieces;
}

qsizetype textLength(const QString& text) {
    return text.size();
}

qsizetype rowLength(const QStringList& row) {
    qsizetype length = 0;
    for (const QString& cell : row)
        length += cell.size();
    return length;
}

} // namespace

QList<MarkdownBlock> splitIntoPieces(const MarkdownBlock& block, const PieceLimits& limits) {
    QList<MarkdownBlock> pieces;
    switch (block.kind) {
    case MarkdownBlock::Kind::bulletList:
    case MarkdownBlock::Kind::numberedList:
        for (const QStringList& part : runs(block.items, limits.items, limits.characters, textLength)) {
            MarkdownBlock piece = block;
            piece.items = part;
            pieces.append(std::move(piece));
        }
        break;
    case MarkdownBlock::Kind::table: {
        qsizetype columns = block.header.size();
        for (const QStringList& row : block.rows)
            columns = std::max(columns, row.size());
        // Columns in groups of `items`, each group's rows in runs of at most `cells` cells.
        const qsizetype rowsPerPiece =
            std::max<qsizetype>(1, limits.cells / std::clamp<qsizetype>(columns, 1, limits.items));
        const QList<QList<QStringList>> rowParts =
            block.rows.isEmpty() ? QList<QList<QStringList>>{{}}
                                 : runs(block.rows, rowsPerPiece, limits.characters, rowLength);
        for (qsizetype part = 0; part < rowParts.size(); ++part) {
            for (qsizetype first = 0; first < columns; first += limits.items) {
                QList<QStringList> rows;
                for (const QStringList& row : rowParts[part])
                    rows.append(row.mid(first, limits.items));
                pieces.append(MarkdownBlock::table(
                    part == 0 ? block.header.mid(first, limits.items) : QStringList(), rows));
            }
        }
        break;
    }
    case MarkdownBlock::Kind::heading:
    case MarkdownBlock::Kind::paragraph:
    case MarkdownBlock::Kind::codeBlock:
    case MarkdownBlock::Kind::blockquote:
        for (const QString& part : textPieces(block.text, limits.characters, limits.formulas,
                                              block.kind != MarkdownBlock::Kind::codeBlock)) {
            MarkdownBlock piece = block;
            piece.text = part;
            pieces.append(std::move(piece));
        }
        break;
    }
    return pieces;
}

MarkdownContent::MarkdownContent(QString text, QColor color, QWidget* parent)
    : QWidget(parent), m_text(std::move(text)), m_color(std::move(color)) {
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    m_measureTimer.setSingleShot(true);
    connect(&m_measureTimer, &QTimer::timeout, this, &MarkdownContent::measureSlice);
    rebuild();
}

void MarkdownContent::setText(const QString& text) {
    if (text == m_text)
        return;
    m_text = text;
    rebuild();
}

void MarkdownContent::setColor(const QColor& color) {
    if (color == m_color)
        return;
    m_color = color;
    rebuild();
}

QList<QWidget*> MarkdownContent::blockViews() const {
    QList<QWidget*> views;
    for (const Piece& piece : m_pieces) {
        if (piece.view)
            views.append(piece.view);
    }
    return views;
}

std::vector<MarkdownContent::Piece> MarkdownContent::piecesOf(const QString& text) {
    std::vector<Piece> pieces;
    for (const MarkdownBlock& block : markdown::MarkdownParser::parse(text)) {
        int number = 1;
        for (MarkdownBlock& part : splitIntoPieces(block, pieceLimits)) {
            const int count = int(part.items.size());
            qsizetype characters = part.text.size();
            for (const QString& item : part.items)
                characters += item.size();
            const qsizetype lines = part.text.count('\n') + 1 + part.items.size() + part.rows.size();
            std::vector<std::pair<QString, qreal>> formulas;
            MarkdownBlockViews::forEachFormula(
                part, [&](const QString& latex, qreal size) { formulas.emplace_back(latex, size); });
            pieces.push_back({std::move(part), number, nullptr, lines, characters, std::move(formulas)});
            number += count;
        }
    }
    return pieces;
}

MarkdownContent::~MarkdownContent() {
    letGoInBackground(std::move(m_pieces));
}

void MarkdownContent::letGoInBackground(std::vector<Piece> pieces) {
    for (Piece& piece : pieces) {
        delete piece.view;
        piece.view = nullptr;
    }
    if (pieces.empty())
        return;
    auto doomed = std::make_shared<std::vector<Piece>>(std::move(pieces));
    QThreadPool::globalInstance()->start([doomed] { doomed->clear(); });
}

void MarkdownContent::rebuild() {
    letGoInBackground(std::exchange(m_pieces, {}));
    m_kept.clear();
    m_heights.clear();
    m_measured.clear();
    m_topsStale = true;
    m_pendingFormulas = 0;
    m_measureTimer.stop();
    ++m_readGeneration;
    if (m_text.size() <= eagerCharacters)
        return takePieces(piecesOf(m_text));
    // A long answer is read on a worker thread; the views follow when it is done.
    m_reading = true;
    m_unmeasured = 0;
    updateGeometry();
    QPointer<MarkdownContent> self(this);
    QThreadPool::globalInstance()->start([self, text = m_text, generation = m_readGeneration] {
        auto pieces = std::make_shared<std::vector<Piece>>(piecesOf(text));
        QMetaObject::invokeMethod(
            qApp,
            [self, generation, pieces] {
                if (self && self->m_readGeneration == generation)
                    self->takePieces(std::move(*pieces));
                else
                    letGoInBackground(std::move(*pieces));
            },
            Qt::QueuedConnection);
    });
}

void MarkdownContent::takePieces(std::vector<Piece> pieces) {
    m_reading = false;
    m_pieces = std::move(pieces);
    m_formulaCount = 0;
    for (const Piece& piece : m_pieces)
        m_formulaCount += qsizetype(piece.formulas.size());
    remeasure();
}

bool MarkdownContent::prepare(Piece& piece, const SliceBudget& budget) {
    const qreal ratio = devicePixelRatioF();
    for (; piece.prepared < qsizetype(piece.formulas.size()); ++piece.prepared) {
        if (budget.spent())
            return false;
        const auto& [latex, size] = piece.formulas[size_t(piece.prepared)];
        const QString key = MathImageRenderer::cacheKey(latex, size, m_color, ratio);
        if (!MathImageRenderer::typesetsInBackground(latex)) {
            piece.images.made.insert(
                key, MathImageRenderer::render(latex, size, m_color, ratio).value_or(QImage()));
        } else if (std::optional<QImage> image = MathImageRenderer::cached(key)) {
            piece.images.made.insert(key, *image);
        } else if (!piece.images.made.contains(key) && !piece.images.pending.contains(key)) {
            piece.images.pending.insert(key);
            ++m_pendingFormulas;
            MathImageRenderer::renderInBackground(
                latex, size, m_color, ratio, this,
                [this, key](const std::optional<QImage>& image) { takeFormula(key, image); });
        }
    }
    return true;
}

bool MarkdownContent::readyForView(Piece& piece, const SliceBudget& budget) {
    return !budget.spent() && prepare(piece, budget) && !budget.spent();
}

void MarkdownContent::takeFormula(const QString& key, const std::optional<QImage>& image) {
    bool taken = false;
    for (std::size_t index = 0; index < m_pieces.size(); ++index) {
        Piece& piece = m_pieces[index];
        if (!piece.images.pending.remove(key))
            continue;
        taken = true;
        --m_pendingFormulas;
        piece.images.made.insert(key, image.value_or(QImage()));
        if (piece.view) {
            delete piece.view;
            piece.view = makeView(piece);
        }
        if (m_measured.size() == m_pieces.size() && m_measured[index]) {
            m_measured[index] = false;
            ++m_unmeasured;
        }
        m_measureNext = std::min(m_measureNext, qsizetype(index));
    }
    if (!taken)
        return;
    if (m_width > 0) {
        measureSlice();
    } else {
        placeViews();
        updateGeometry();
    }
}

// The images made ahead go into the view's document, so the piece lets go of them; formulas still being
// typeset stay pending.
QWidget* MarkdownContent::makeView(Piece& piece) {
    const MarkdownBlockViews::Style style{m_color, devicePixelRatioF(), &piece.images};
    QWidget* view = MarkdownBlockViews::blockView(piece.block, style, piece.firstNumber);
    view->setParent(this);
    piece.images.made.clear();
    piece.prepared = 0;
    return view;
}

void MarkdownContent::keepView(qsizetype index) {
    m_pieces[size_t(index)].view = makeView(m_pieces[size_t(index)]);
    m_kept.push_back(index);
}

void MarkdownContent::dropView(qsizetype index) {
    Piece& piece = m_pieces[size_t(index)];
    delete piece.view;
    piece.view = nullptr;
    m_kept.erase(std::find(m_kept.begin(), m_kept.end(), index));
}

void MarkdownContent::remeasure() {
    m_measureTimer.stop();
    m_heights.assign(m_pieces.size(), 0);
    m_measured.assign(m_pieces.size(), false);
    m_topsStale = true;
    m_unmeasured = qsizetype(m_pieces.size());
    m_measureNext = 0;
    if (m_width > 0) {
        // Views made already are measured at once, as a layout would ask them anyway.
        for (const qsizetype index : m_kept)
            measure(index);
        for (size_t index = 0; index < m_pieces.size(); ++index) {
            if (!m_measured[index])
                m_heights[index] = pieceHeight(m_pieces[index], m_width);
        }
        if (m_unmeasured == 0)
            measureSlice();
        else
            m_measureTimer.start(0);
    }
    placeViews();
    updateGeometry();
}

void MarkdownContent::measure(qsizetype index) {
    if (m_measured[size_t(index)])
        return;
    if (QWidget* view = m_pieces[size_t(index)].view) {
        m_heights[size_t(index)] = viewHeight(*view, m_width);
    } else {
        const std::unique_ptr<QWidget> made(makeView(m_pieces[size_t(index)]));
        m_heights[size_t(index)] = viewHeight(*made, m_width);
    }
    m_measured[size_t(index)] = true;
    m_topsStale = true;
    --m_unmeasured;
}

// Measures pieces in order for one slice of time, making the view of each piece that has none: a small
// answer keeps it, a larger one measures it and lets it go. Queues the next slice.
void MarkdownContent::measureSlice() {
    if (m_reading)
        return;
    const SliceBudget budget;
    const bool eager = isEager();
    bool made = false;
    for (; m_measureNext < qsizetype(m_pieces.size()); ++m_measureNext) {
        if (m_measured[size_t(m_measureNext)])
            continue;
        Piece& piece = m_pieces[size_t(m_measureNext)];
        if (!piece.view) {
            if (!readyForView(piece, budget))
                break;
            if (eager) {
                keepView(m_measureNext);
                made = true;
            }
        }
        measure(m_measureNext);
    }
    if (made || m_unmeasured == 0) {
        placeViews();
        updateGeometry();
    }
    // Formulas still typeset on a worker thread come back through takeFormula, which measures again.
    if (m_unmeasured > 0)
        return m_measureTimer.start(SliceBudget::nextSliceDelay());
    if (isComplete())
        emit completed();
}

int MarkdownContent::pieceHeight(const Piece& piece, int width) const {
    if (piece.view)
        return viewHeight(*piece.view, width);
    // A rough guess from the text: lines of about 7 points a character, 23 points a line.
    const qsizetype perLine = std::max(width / 7, 1);
    return int(std::min<qsizetype>((piece.lines + piece.characters / perLine) * 23, 1 << 24));
}

const std::vector<int>& MarkdownContent::tops() const {
    if (!m_topsStale)
        return m_tops;
    m_tops.resize(m_heights.size() + 1);
    qint64 y = 0;
    for (size_t index = 0; index < m_heights.size(); ++index) {
        m_tops[index] = int(std::min<qint64>(y, QWIDGETSIZE_MAX));
        y += m_heights[index] + blockSpacing;
    }
    m_tops.back() = int(std::min<qint64>(y, QWIDGETSIZE_MAX));
    m_topsStale = false;
    return m_tops;
}

int MarkdownContent::heightForWidth(int width) const {
    if (m_pieces.empty())
        return 0;
    if (width == m_width && m_heights.size() == m_pieces.size())
        return std::max(tops().back() - blockSpacing, 0);
    qint64 height = 0;
    for (const Piece& piece : m_pieces)
        height += pieceHeight(piece, width) + blockSpacing;
    return int(std::min<qint64>(std::max<qint64>(height - blockSpacing, 0), QWIDGETSIZE_MAX));
}

QSize MarkdownContent::sizeHint() const {
    const int width = m_width > 0 ? m_width : 400;
    return {width, heightForWidth(width)};
}

void MarkdownContent::placeViews() {
    if (m_kept.empty())
        return;
    const std::vector<int>& top = tops();
    for (const qsizetype index : m_kept) {
        QWidget* view = m_pieces[size_t(index)].view;
        view->setGeometry(0, top[size_t(index)], width(), m_heights[size_t(index)]);
        view->show();
    }
}

void MarkdownContent::resizeEvent(QResizeEvent*) {
    if (width() == m_width)
        return placeViews();
    m_width = width();
    remeasure();
}

void MarkdownContent::paintEvent(QPaintEvent* event) {
    if (isEager())
        return;
    m_visible = event->rect();
    scheduleMaterialize();
}

// One pass at a time waits for the next turn, whether a paint or an unfinished pass asked for it.
void MarkdownContent::scheduleMaterialize() {
    if (m_materializeQueued)
        return;
    m_materializeQueued = true;
    QTimer::singleShot(SliceBudget::nextSliceDelay(), this, [this] {
        m_materializeQueued = false;
        materialize();
    });
}

// Drops the views further away than NearbyViews keeps, then makes views for the pieces on screen and about
// a screen around it for one slice of time at most, the rest on the next turn. The pieces in reach are
// found among the tops, so a pass takes the same time however long the answer is.
void MarkdownContent::materialize() {
    if (m_width <= 0 || m_pieces.empty())
        return;
    const NearbyViews nearby(m_visible.top(), m_visible.height());
    const std::vector<int>& tops = this->tops();
    for (const qsizetype index : std::vector<qsizetype>(m_kept)) {
        if (nearby.drops(tops[size_t(index)], tops[size_t(index)] + m_heights[size_t(index)]))
            dropView(index);
    }
    // The first piece whose bottom reaches the area wanted: the next one starts a spacing below it.
    const qsizetype first =
        std::lower_bound(tops.begin() + 1, tops.end(), nearby.wantedTop() + blockSpacing) -
        (tops.begin() + 1);
    const SliceBudget budget;
    bool unfinished = false;
    bool changed = false;
    // Measuring moves the pieces below, so their places are added up here as the views are made.
    int y = first < qsizetype(m_pieces.size()) ? tops[size_t(first)] : 0;
    for (qsizetype index = first; index < qsizetype(m_pieces.size()) && y <= nearby.wantedBottom(); ++index) {
        Piece& piece = m_pieces[size_t(index)];
        if (!piece.view) {
            if (!readyForView(piece, budget)) {
                unfinished = true;
                break;
            }
            const int estimate = m_heights[size_t(index)];
            keepView(index);
            measure(index);
            changed = changed || m_heights[size_t(index)] != estimate;
        }
        y += m_heights[size_t(index)] + blockSpacing;
    }
    placeViews();
    if (changed)
        updateGeometry();
    if (unfinished)
        scheduleMaterialize();
}

} // namespace zepla::ui
