// Writing transformation matrices into content streams.
#pragma once

#include <QByteArray>
#include <QTransform>

namespace zepla::pdf {

// The content stream operator that applies `m` to all drawn after it: "a b c d e f cm".
QByteArray matrixOperator(const QTransform& m);

} // namespace zepla::pdf
