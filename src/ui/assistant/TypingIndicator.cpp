#include "ui/assistant/TypingIndicator.h"

#include "ui/theme/Colors.h"

#include <QPainter>

namespace zepla::ui {

namespace {
constexpr qreal dotSize = 5;
constexpr qreal dotSpacing = 4;
} // namespace

TypingIndicator::TypingIndicator(QWidget* parent) : QWidget(parent) {
    m_timer.setInterval(tickMs);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &TypingIndicator::advance);
    m_ease.setDuration(easeMs);
    m_ease.setEasingCurve(QEasingCurve::InOutQuad);
    m_ease.setStartValue(0.0);
    m_ease.setEndValue(1.0);
    connect(&m_ease, &QVariantAnimation::valueChanged, this, qOverload<>(&QWidget::update));
}

QSize TypingIndicator::sizeHint() const {
    // Room for the grown dot at either end.
    return QSize(int(3 * dotSize + 2 * dotSpacing + 2), int(dotSize * 1.3 + 2));
}

void TypingIndicator::showEvent(QShowEvent*) {
    m_phase = m_previousPhase = 0;
    m_timer.start();
}

void TypingIndicator::hideEvent(QHideEvent*) {
    m_timer.stop();
    m_ease.stop();
}

void TypingIndicator::advance() {
    m_previousPhase = m_phase;
    m_phase = (m_phase + 1) % 3;
    m_ease.stop();
    m_ease.start();
}

qreal TypingIndicator::emphasis(int index) const {
    const qreal t = m_ease.state() == QAbstractAnimation::Running ? m_ease.currentValue().toReal() : 1.0;
    const qreal now = index == m_phase ? 1 : 0;
    const qreal before = index == m_previousPhase ? 1 : 0;
    return before + (now - before) * t;
}

void TypingIndicator::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const QColor colour = Color::secondary(this, 0.6);
    const qreal width = 3 * dotSize + 2 * dotSpacing;
    const QPointF origin((this->width() - width) / 2 + dotSize / 2, height() / 2.0);
    for (int index = 0; index < 3; ++index) {
        const qreal e = emphasis(index);
        const qreal scale = 0.75 + (1.3 - 0.75) * e;
        painter.setOpacity(0.5 + 0.5 * e);
        painter.setBrush(colour);
        const QPointF centre = origin + QPointF(index * (dotSize + dotSpacing), 0);
        const qreal radius = dotSize / 2 * scale;
        painter.drawEllipse(centre, radius, radius);
    }
}

} // namespace zepla::ui
