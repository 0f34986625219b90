// Draws an ink stroke while it is being drawn. The part of the curve that further points no longer change
// is kept in an image, so a mouse move only draws what it changed, however long the stroke grows.
#pragma once

#include "annotations/InkAnnotation.h"

#include <QImage>
#include <QTransform>

class QPainter;

namespace zepla::pdfview {

class InkStrokeLayer {
public:
    // Forgets the kept image: a new stroke begins.
    void reset();
    // Paints the stroke with a painter in view coordinates; `area` is the part of the view to keep (the
    // visible part of the page), `pageToView` the page's transform.
    void paint(QPainter& painter, const QRectF& area, qreal devicePixelRatio, const QTransform& pageToView,
               const annotations::InkAnnotation& ink);

private:
    QImage m_image;
    QRectF m_area;
    QTransform m_pageToView;
    qsizetype m_knots = 0; // knots of the curve drawn into the image
};

} // namespace zepla::pdfview
