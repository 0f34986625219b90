#include "AppearancePainter.h"

#include <QGlyphRun>
#include <QPainter>

namespace zepla::annotations {

namespace {

QPen penFor(const DrawOp& op) {
    QPen pen(op.color, op.stroke.width, Qt::SolidLine, op.stroke.cap, op.stroke.join);
    pen.setMiterLimit(10); // the PDF default, so sharp corners end where the file's do
    if (!op.stroke.dash.isEmpty() && op.stroke.width > 0) {
        QList<qreal> pattern;
        for (qreal length : op.stroke.dash)
            pattern.append(length / op.stroke.width); // QPen counts dashes in widths, PDF in points
        pen.setDashPattern(pattern);
    }
    return pen;
}

void paintText(QPainter& painter, const TextRun& run) {
    QList<QPointF> positions;
    positions.reserve(run.offsets.size());
    for (qreal x : run.offsets)
        positions.append(QPointF(x, 0));
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

} // namespace

void paintAppearance(QPainter& painter, const Appearance& appearance) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipRect(appearance.bbox(), Qt::IntersectClip);
    for (const DrawOp& op : appearance.ops()) {
        switch (op.kind) {
        case DrawOp::Kind::Fill:
            painter.fillPath(op.path, op.color);
            break;
        case DrawOp::Kind::Stroke:
            painter.strokePath(op.path, penFor(op));
            break;
        case DrawOp::Kind::Text:
            paintText(painter, op.text);
            break;
        }
    }
    painter.restore();
}

} // namespace zepla::annotations
