// A fraction: numerator and denominator centred over each other, with an optional rule between them.
#include "display/MTFractionDisplay.h"

#include <algorithm>

namespace zepla::math {

MTFractionDisplay::MTFractionDisplay(MTMathListDisplayPtr numerator, MTMathListDisplayPtr denominator,
                                     QPointF position, MTRange range)
    : m_numerator(std::move(numerator)), m_denominator(std::move(denominator)) {
    setPosition(position);
    setRange(range);
}

qreal MTFractionDisplay::width() const {
    return std::max(m_numerator->width(), m_denominator->width());
}

void MTFractionDisplay::setPosition(QPointF position) {
    MTDisplay::setPosition(position);
    updateDenominatorPosition();
    updateNumeratorPosition();
}

void MTFractionDisplay::setNumeratorUp(qreal up) {
    m_numeratorUp = up;
    updateNumeratorPosition();
}

void MTFractionDisplay::setDenominatorDown(qreal down) {
    m_denominatorDown = down;
    updateDenominatorPosition();
}

void MTFractionDisplay::updateNumeratorPosition() {
    m_numerator->setPosition(position() + QPointF((width() - m_numerator->width()) / 2, m_numeratorUp));
}

void MTFractionDisplay::updateDenominatorPosition() {
    m_denominator->setPosition(position() +
                               QPointF((width() - m_denominator->width()) / 2, -m_denominatorDown));
}

void MTFractionDisplay::setTextColor(const std::optional<QColor>& color) {
    MTDisplay::setTextColor(color);
    passTextColor(m_numerator.get(), color);
    passTextColor(m_denominator.get(), color);
}

void MTFractionDisplay::draw(MTGraphicsContext& context) const {
    MTDisplay::draw(context);
    m_numerator->draw(context);
    m_denominator->draw(context);
    if (m_lineThickness <= 0)
        return;
    context.saveState();
    context.setStrokeColor(textColor());
    const QPointF start = position() + QPointF(0, m_linePosition);
    context.strokeLine(start, start + QPointF(width(), 0), m_lineThickness, Qt::FlatCap);
    context.restoreState();
}

} // namespace zepla::math
