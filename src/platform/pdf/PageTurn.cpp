#include "PageTurn.h"

#include <algorithm>

namespace zepla::pdf {

namespace {

// Only quarter turns exist; anything else reads as unturned.
int quarterTurns(int pageRotation) {
    const int r = ((pageRotation % 360) + 360) % 360;
    return r % 90 == 0 ? r / 90 : 0;
}

// A point turned `turns` quarter turns counter-clockwise (y upward), as uprightToPage turns it. Plain
// arithmetic on exact quarter turns; subtracting from zero keeps a zero coordinate +0, as files want it.
QPointF turned(const QPointF& p, int turns) {
    switch (turns) {
    case 1:
        return {0 - p.y(), p.x()};
    case 2:
        return {0 - p.x(), 0 - p.y()};
    case 3:
        return {p.y(), 0 - p.x()};
    default:
        return p;
    }
}

QRectF turned(const QRectF& r, int turns) {
    if (turns == 0)
        return r;
    const QPointF a = turned(r.topLeft(), turns);
    const QPointF b = turned(r.bottomRight(), turns);
    return QRectF(QPointF(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                  QPointF(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
}

// Turning back by q quarter turns is turning on by 4 - q.
int back(int turns) {
    return (4 - turns) % 4;
}

} // namespace

QTransform uprightToPage(int pageRotation) {
    // Exact quarter turns: no sine or cosine rounding creeps into the rectangles.
    switch (quarterTurns(pageRotation)) {
    case 1:
        return QTransform(0, 1, -1, 0, 0, 0);
    case 2:
        return QTransform(-1, 0, 0, -1, 0, 0);
    case 3:
        return QTransform(0, -1, 1, 0, 0, 0);
    default:
        return QTransform();
    }
}

QPointF uprightPoint(const QPointF& pagePoint, int pageRotation) {
    return turned(pagePoint, back(quarterTurns(pageRotation)));
}

QRectF uprightRect(const QRectF& pageRect, int pageRotation) {
    return turned(pageRect, back(quarterTurns(pageRotation)));
}

QRectF pageRectFromUpright(const QRectF& uprightRect, int pageRotation) {
    return turned(uprightRect, quarterTurns(pageRotation));
}

// Page space is y-up: a rectangle's upper left corner is (left, bottom()).
QRectF noRotateShownBox(const QRectF& rect, int pageRotation) {
    const QPointF pin(rect.left(), rect.bottom());
    return turned(rect.translated(-pin), quarterTurns(pageRotation)).translated(pin);
}

QRectF noRotateRect(const QRectF& shownBox, int pageRotation) {
    const QRectF upright = uprightRect(shownBox, pageRotation);
    const QPointF pin = turned(QPointF(upright.left(), upright.bottom()), quarterTurns(pageRotation));
    return QRectF(pin.x(), pin.y() - upright.height(), upright.width(), upright.height());
}

} // namespace zepla::pdf
