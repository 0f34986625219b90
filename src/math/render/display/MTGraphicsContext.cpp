// The drawing surface of the display tree: a QPainter seen with y growing upward.
#include "display/MTGraphicsContext.h"

#include <QPen>

namespace zepla::math {

MTGraphicsContext::MTGraphicsContext(QPainter& painter) : m_painter(painter) {}

void MTGraphicsContext::saveState() {
    m_painter.save();
    m_saved.push_back(m_state);
}

void MTGraphicsContext::restoreState() {
    if (m_saved.empty())
        return;
    m_painter.restore();
    m_state = m_saved.back();
    m_saved.pop_back();
}

void MTGraphicsContext::translate(QPointF offset) {
    m_painter.translate(toPainter(offset));
}

void MTGraphicsContext::setFillColor(const std::optional<QColor>& color) {
    if (color)
        m_state.fill = *color;
}

void MTGraphicsContext::setStrokeColor(const std::optional<QColor>& color) {
    if (color)
        m_state.stroke = *color;
}

void MTGraphicsContext::fillRect(const QRectF& rect) {
    const QPointF topLeft = toPainter({rect.left(), rect.top() + rect.height()});
    m_painter.fillRect(QRectF(topLeft, rect.size()), m_state.fill);
}

void MTGraphicsContext::strokeLine(QPointF from, QPointF to, qreal width, Qt::PenCapStyle cap) {
    m_painter.save();
    m_painter.setPen(QPen(m_state.stroke, width, Qt::SolidLine, cap));
    m_painter.drawLine(toPainter(from), toPainter(to));
    m_painter.restore();
}

void MTGraphicsContext::drawGlyphs(const QRawFont& font, const QList<quint32>& glyphs,
                                   const QList<QPointF>& positions, const std::optional<QColor>& color) {
    QList<QPointF> painterPositions;
    painterPositions.reserve(positions.size());
    for (QPointF position : positions)
        painterPositions.append(toPainter(position));
    QGlyphRun run;
    run.setRawFont(font);
    run.setGlyphIndexes(glyphs);
    run.setPositions(painterPositions);
    m_painter.save();
    m_painter.setPen(color.value_or(m_state.fill));
    m_painter.drawGlyphRun(QPointF(0, 0), run);
    m_painter.restore();
}

} // namespace zepla::math
