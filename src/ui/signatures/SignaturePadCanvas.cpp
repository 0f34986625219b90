#include "ui/signatures/SignaturePadCanvas.h"

#include "ui/theme/Colors.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace zepla::ui {

using namespace annotations::SignatureDrawing;

namespace {

QPointF midpoint(const QPointF& a, const QPointF& b) {
    return (a + b) / 2;
}

} // namespace

SignaturePadCanvas::SignaturePadCanvas(QWidget* parent) : QWidget(parent) {
    setFixedSize(canvasSize.toSize());
    setCursor(Qt::CrossCursor);
}

void SignaturePadCanvas::clear() {
    m_strokes.clear();
    m_currentStroke.clear();
    m_ink = QImage();
    update();
    emit strokesChanged();
}

void SignaturePadCanvas::ensureInk() {
    const qreal ratio = devicePixelRatioF();
    if (!m_ink.isNull() && m_ink.devicePixelRatio() == ratio)
        return;
    m_ink = QImage((QSizeF(size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    m_ink.setDevicePixelRatio(ratio);
    m_ink.fill(Qt::transparent);
    QPainter painter(&m_ink);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(strokePen());
    for (const Stroke& stroke : m_strokes)
        painter.drawPath(smoothedPath(stroke));
}

// The smoothed path's piece that ends at the midpoint after sample k is settled once sample k + 1 exists;
// it goes into the ink image. Only the straight end piece to the newest sample is drawn live.
void SignaturePadCanvas::addPoint(const QPointF& point) {
    m_currentStroke.append(point);
    const qsizetype n = m_currentStroke.size();
    if (n >= 3) {
        ensureInk();
        QPainter painter(&m_ink);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(strokePen());
        const QPointF& control = m_currentStroke[n - 2];
        QPainterPath piece(n == 3 ? m_currentStroke[0] : midpoint(m_currentStroke[n - 3], control));
        piece.quadTo(control, midpoint(control, m_currentStroke[n - 1]));
        painter.drawPath(piece);
        update(piece.boundingRect().adjusted(-4, -4, 4, 4).toAlignedRect());
    }
    update(liveTail().boundingRect().adjusted(-4, -4, 4, 4).toAlignedRect());
}

// The part of the current stroke not yet in the ink image: all of it up to two samples, else the straight
// end piece from the last midpoint to the newest sample.
QPainterPath SignaturePadCanvas::liveTail() const {
    const qsizetype n = m_currentStroke.size();
    if (n < 3)
        return smoothedPath(m_currentStroke);
    QPainterPath tail(midpoint(m_currentStroke[n - 2], m_currentStroke[n - 1]));
    tail.lineTo(m_currentStroke.back());
    return tail;
}

void SignaturePadCanvas::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    m_currentStroke.clear();
    addPoint(event->position());
}

void SignaturePadCanvas::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton && !m_currentStroke.isEmpty())
        addPoint(event->position());
}

void SignaturePadCanvas::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || m_currentStroke.isEmpty())
        return;
    // The live end piece joins the settled ink.
    ensureInk();
    QPainter painter(&m_ink);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(strokePen());
    painter.drawPath(liveTail());
    painter.end();
    m_strokes.append(std::exchange(m_currentStroke, {}));
    update();
    emit strokesChanged();
}

void SignaturePadCanvas::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area(rect());
    QPainterPath frame;
    frame.addRoundedRect(area, 10, 10);
    painter.setClipPath(frame);
    painter.fillRect(area, Qt::white);
    painter.fillRect(QRectF(24, area.height() - 40 - 1, area.width() - 48, 1), Color::primary(this, 0.15));
    ensureInk();
    painter.drawImage(QPointF(0, 0), m_ink);
    if (!m_currentStroke.isEmpty()) {
        painter.setPen(strokePen());
        painter.drawPath(liveTail());
    }
    painter.setClipping(false);
    painter.setPen(QPen(Color::primary(this, 0.15), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(area.adjusted(0.5, 0.5, -0.5, -0.5), 9.5, 9.5);
}

} // namespace zepla::ui
