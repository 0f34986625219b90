// A placed signature: a stamp annotation that shows its image stretched over its rectangle, live and as an
// image appearance in the file (its transparency kept as a soft mask), with the geometry of placing one.
#pragma once

#include "Annotation.h"

#include <QImage>

namespace zepla::annotations {

class SignatureAnnotation : public Annotation {
public:
    // The width a click places and the narrowest a drag gives, in points.
    static constexpr qreal defaultWidth = 160;
    static constexpr qreal minimumWidth = 24;

    SignatureAnnotation(const QImage& image, const QRectF& bounds);

    QByteArray subtype() const override { return "Stamp"; }
    Appearance appearance() const override;

    const QImage& image() const { return m_image; }

    // Height over width of an image, its width counted as at least 1.
    static qreal aspectRatio(const QSizeF& imageSize);
    // A click at `start` (page space, y up): the default width, the top-left corner at the click.
    static QRectF placedBounds(const QSizeF& imageSize, const QPointF& start);
    // A drag from `start` to a point at `x`: the width from the horizontal distance (at least the minimum),
    // the left edge at the smaller x, the top edge at the press; vertical movement plays no part.
    static QRectF draggedBounds(const QSizeF& imageSize, const QPointF& start, qreal x);

private:
    QImage m_image;
};

} // namespace zepla::annotations
