#include "AppearancePainter.h"

#include <QGlyphRun>
#include <QPainter>

namespace zepla::annotations {

QPen strokePen(const QColor& color, const StrokeStyle& style) {
    QPen pen(color, style.width, Qt::SolidLine, style.cap, style.join);
    pen.setMiterLimit(10); // the PDF default, so sharp corners end where the file's do
    if (!style.dash.isEmpty() && style.width > 0) {
        QList<qreal> pattern;
        for (qreal length : style.dash)
            pattern.append(length / style.width); // QPen counts dashes in widths, PDF in points
        pen.setDashPattern(pattern);
    }
    return pen;
}

namespace {

void paintText(QPainter& painter, const TextRun& run) {
    // Glyphs are drawn downward from their baseline: a raise is a negative y.
    QList<QPointF> positions;
    positions.reserve(run.positions.size());
    for (const QPointF& p : run.positions)
        positions.append(QPointF(p.x(), -p.y()));
    QGlyphRun glyphs;
    glyphs.setRawFont(run.font);
    glyphs.setGlyphIndexes(run.glyphs);
    glyphs.setPositions(positions);
    painter.save();
    // Page space runs upward; glyphs are drawn downward from their baseline.
    painter.translate(run.origin);
    painter.scale(1, -1);
    painter.setPen(run.color);
    painter.drawGlyphRun(QPointF(0, 0), glyphs);
    painter.restore();
}

void paintImage(QPainter& painter, const QImage& image, const QRectF& rect) {
    painter.save();
    // Page space runs upward; the image's first row belongs at the top of the rectangle.
    painter.translate(rect.left(), rect.bottom());
    painter.scale(1, -1);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(QPointF(0, 0), rect.size()), image);
    painter.restore();
}

} // namespace

void paintAppearance(QPainter& painter, const Appearance& appearance) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setTransform(appearance.matrix(), true);
    painter.setClipRect(appearance.bbox(), Qt::IntersectClip);
    if (appearance.multiplies())
        painter.setCompositionMode(QPainter::CompositionMode_Multiply);
    for (const DrawOp& op : appearance.ops()) {
        switch (op.kind) {
        case DrawOp::Kind::Fill:
            painter.fillPath(op.path, op.color);
            break;
        case DrawOp::Kind::Stroke:
            painter.strokePath(op.path, strokePen(op.color, op.stroke));
            break;
        case DrawOp::Kind::Text:
            paintText(painter, op.text);
            break;
        case DrawOp::Kind::Image:
            paintImage(painter, op.image, op.imageRect);
            break;
        }
    }
    painter.restore();
}

} // namespace zepla::annotations
