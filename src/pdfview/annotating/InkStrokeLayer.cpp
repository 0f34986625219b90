#include "InkStrokeLayer.h"

#include "annotations/AppearancePainter.h"

#include <QPainter>

namespace zepla::pdfview {

using annotations::InkAnnotation;

void InkStrokeLayer::reset() {
    m_image = QImage();
    m_knots = 0;
}

void InkStrokeLayer::paint(QPainter& painter, const QRectF& area, qreal devicePixelRatio,
                           const QTransform& pageToView, const InkAnnotation& ink) {
    if (area.isEmpty())
        return;
    // Painted opaque and laid down once at the colour's opacity, so overlapping pieces never darken.
    QColor opaque = ink.color;
    opaque.setAlpha(255);
    const QPen pen = annotations::strokePen(opaque, ink.strokeStyle());
    auto begin = [&](QPainter& p, QImage& image) {
        p.begin(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.translate(-m_area.topLeft());
        p.setTransform(pageToView, true);
        p.setPen(pen);
    };
    if (m_image.isNull() || m_area != area || m_pageToView != pageToView ||
        m_image.devicePixelRatio() != devicePixelRatio) {
        m_area = area;
        m_pageToView = pageToView;
        m_image = QImage((area.size() * devicePixelRatio).toSize(), QImage::Format_ARGB32_Premultiplied);
        m_image.setDevicePixelRatio(devicePixelRatio);
        m_image.fill(Qt::transparent);
        m_knots = 0;
    }
    const QList<QPointF>& points = ink.points();
    const qsizetype settled = InkAnnotation::settledKnot(points.size());
    if (settled > m_knots) {
        QPainter p;
        begin(p, m_image);
        p.drawPath(InkAnnotation::smoothedSection(points, m_knots, settled));
        m_knots = settled;
    }
    const QPainterPath tail =
        InkAnnotation::smoothedSection(points, m_knots, InkAnnotation::lastKnot(points.size()));
    if (ink.color.alpha() == 255) {
        painter.drawImage(m_area.topLeft(), m_image);
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setTransform(pageToView, true);
        painter.strokePath(tail, pen);
        painter.restore();
        return;
    }
    QImage frame = m_image.copy();
    QPainter p;
    begin(p, frame);
    p.drawPath(tail);
    p.end();
    painter.save();
    painter.setOpacity(ink.color.alphaF());
    painter.drawImage(m_area.topLeft(), frame);
    painter.restore();
}

} // namespace zepla::pdfview
