// Pages shown turned. A page whose /Rotate is r degrees is shown turned r degrees clockwise, so what is to
// read upright on it is laid out in "upright space" (page space turned back by r, y still upward) and turned
// r degrees counter-clockwise onto the page. On an unturned page both spaces are the same.
#pragma once

#include <QPointF>
#include <QRectF>
#include <QTransform>

namespace zepla::pdf {

// From upright space to page space on a page turned `pageRotation` degrees clockwise (0, 90, 180, 270).
QTransform uprightToPage(int pageRotation);

QPointF uprightPoint(const QPointF& pagePoint, int pageRotation);
QRectF uprightRect(const QRectF& pageRect, int pageRotation);
QRectF pageRectFromUpright(const QRectF& uprightRect, int pageRotation);

// An annotation flagged NoRotate keeps upright by itself: readers turn its picture against the page about
// the upper left corner of its /Rect. The box (page space) it then shows in, and the /Rect that shows it in
// a given box.
QRectF noRotateShownBox(const QRectF& rect, int pageRotation);
QRectF noRotateRect(const QRectF& shownBox, int pageRotation);

} // namespace zepla::pdf
