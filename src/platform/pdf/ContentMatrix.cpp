#include "ContentMatrix.h"

#include <QString>

namespace zepla::pdf {

QByteArray matrixOperator(const QTransform& m) {
    return QStringLiteral("%1 %2 %3 %4 %5 %6 cm")
        .arg(m.m11(), 0, 'f', 6)
        .arg(m.m12(), 0, 'f', 6)
        .arg(m.m21(), 0, 'f', 6)
        .arg(m.m22(), 0, 'f', 6)
        .arg(m.dx(), 0, 'f', 6)
        .arg(m.dy(), 0, 'f', 6)
        .toLatin1();
}

} // namespace zepla::pdf
