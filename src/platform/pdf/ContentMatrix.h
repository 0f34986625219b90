// Transformation matrices of content streams: writing them, and the arithmetic on them that the PDF
// engine does itself (it links Qt Core only, so it keeps to what QTransform defines inline).
#pragma once

#include <QByteArray>
#include <QTransform>

namespace zepla::pdf {

// The content stream operator that applies `m` to all drawn after it: "a b c d e f cm".
QByteArray matrixOperator(const QTransform& m);

// `first` followed by `then`, as `first * then` would be.
inline QTransform concatenated(const QTransform& first, const QTransform& then) {
    return QTransform(first.m11() * then.m11() + first.m12() * then.m21(),
                      first.m11() * then.m12() + first.m12() * then.m22(),
                      first.m21() * then.m11() + first.m22() * then.m21(),
                      first.m21() * then.m12() + first.m22() * then.m22(),
                      first.dx() * then.m11() + first.dy() * then.m21() + then.dx(),
                      first.dx() * then.m12() + first.dy() * then.m22() + then.dy());
}

inline QTransform translation(double tx, double ty) {
    return QTransform(1, 0, 0, 1, tx, ty);
}

inline QPointF mapped(const QTransform& m, QPointF p) {
    return QPointF(m.m11() * p.x() + m.m21() * p.y() + m.dx(), m.m12() * p.x() + m.m22() * p.y() + m.dy());
}

} // namespace zepla::pdf
