#include "Appearance.h"

#include "pdf/PageTurn.h"

#include <QPainterPathStroker>

namespace zepla::annotations {

Appearance Appearance::upright(const QRectF& pageBox, int pageRotation) {
    Appearance a(pdf::uprightRect(pageBox, pageRotation));
    a.m_matrix = pdf::uprightToPage(pageRotation);
    return a;
}

void Appearance::fill(const QPainterPath& path, const QColor& color) {
    m_ops.push_back(DrawOp{DrawOp::Kind::Fill, path, color, {}, {}});
}

void Appearance::stroke(const QPainterPath& path, const QColor& color, const StrokeStyle& style) {
    m_ops.push_back(DrawOp{DrawOp::Kind::Stroke, path, color, style, {}});
}

void Appearance::text(const TextRun& run) {
    m_ops.push_back(DrawOp{DrawOp::Kind::Text, {}, run.color, {}, run});
}

void Appearance::image(const QImage& image, const QRectF& rect) {
    DrawOp op{DrawOp::Kind::Image, {}, Qt::black, {}, {}};
    op.image = image;
    op.imageRect = rect;
    m_ops.push_back(std::move(op));
}

QRectF Appearance::coveredArea() const {
    QRectF area;
    for (const DrawOp& op : m_ops) {
        QRectF r;
        if (op.kind == DrawOp::Kind::Fill) {
            r = op.path.boundingRect();
        } else if (op.kind == DrawOp::Kind::Stroke) {
            QPainterPathStroker stroker;
            stroker.setWidth(op.stroke.width);
            stroker.setCapStyle(op.stroke.cap);
            stroker.setJoinStyle(op.stroke.join);
            stroker.setMiterLimit(10);
            r = stroker.createStroke(op.path).boundingRect();
        } else if (op.kind == DrawOp::Kind::Image) {
            r = op.imageRect;
        } else {
            continue;
        }
        area = area.isNull() ? r : area.united(r);
    }
    return m_matrix.mapRect(area);
}

} // namespace zepla::annotations
