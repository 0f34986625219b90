#include "PageTurn.h"

namespace zepla::pdf {

namespace {

// Only quarter turns exist; anything else reads as unturned.
int quarterTurns(int pageRotation) {
    const int r = ((pageRotation % 360) + 360) % 360;
    return r % 90 == 0 ? r / 90 : 0;
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
    return uprightToPage(pageRotation).inverted().map(pagePoint);
}

QRectF uprightRect(const QRectF& pageRect, int pageRotation) {
    return uprightToPage(pageRotation).inverted().mapRect(pageRect);
}

QRectF pageRectFromUpright(const QRectF& uprightRect, int pageRotation) {
    return uprightToPage(pageRotation).mapRect(uprightRect);
}

// Page space is y-up: a rectangle's upper left corner is (left, bottom()).
QRectF noRotateShownBox(const QRectF& rect, int pageRotation) {
    const QPointF pin(rect.left(), rect.bottom());
    return uprightToPage(pageRotation).mapRect(rect.translated(-pin)).translated(pin);
}

QRectF noRotateRect(const QRectF& shownBox, int pageRotation) {
    const QRectF upright = uprightRect(shownBox, pageRotation);
    const QPointF pin = uprightToPage(pageRotation).map(QPointF(upright.left(), upright.bottom()));
    return QRectF(pin.x(), pin.y() - upright.height(), upright.width(), upright.height());
}

} // namespace zepla::pdf
