// The drawing surface of the display tree: a QPainter seen with y growing upward, and the fill and stroke
// colours a node leaves for the nodes drawn after it. The one place where display coordinates become the
// painter's: the painter is translated, never mirrored, so glyphs stay upright.
#pragma once

#include <QColor>
#include <QGlyphRun>
#include <QPainter>
#include <QPointF>
#include <QRectF>

#include <optional>
#include <vector>

namespace zepla::math {

class MTGraphicsContext {
public:
    // Draws into `painter` with the display origin at the painter's current origin. Fill and stroke start
    // black.
    explicit MTGraphicsContext(QPainter& painter);

    QPainter& painter() { return m_painter; }

    void saveState();
    void restoreState();
    // Moves the origin by `offset`, y upward.
    void translate(QPointF offset);

    // An absent colour leaves the current one in place, so a node without a colour of its own draws in the
    // colour last set.
    void setFillColor(const std::optional<QColor>& color);
    void setStrokeColor(const std::optional<QColor>& color);
    const QColor& fillColor() const { return m_state.fill; }

    // Fills a rectangle whose y is its bottom edge.
    void fillRect(const QRectF& rect);
    void strokeLine(QPointF from, QPointF to, qreal width, Qt::PenCapStyle cap);
    // Draws glyphs of one font whose positions are baseline points, y upward, in the fill colour unless
    // `color` is given.
    void drawGlyphs(const QRawFont& font, const QList<quint32>& glyphs, const QList<QPointF>& positions,
                    const std::optional<QColor>& color = std::nullopt);

    // A point of the display's space in the painter's.
    static QPointF toPainter(QPointF point) { return {point.x(), -point.y()}; }

private:
    struct State {
        QColor fill = Qt::black;
        QColor stroke = Qt::black;
    };

    QPainter& m_painter;
    State m_state;
    std::vector<State> m_saved;
};

} // namespace zepla::math
