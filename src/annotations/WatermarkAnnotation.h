// A watermark: a line of black text at an opacity, stamped diagonally across a whole page as a Stamp
// annotation whose appearance stream draws it, so every reader and every printout shows it.
#pragma once

#include "Annotation.h"

namespace zepla::annotations {

class WatermarkAnnotation : public Annotation {
public:
    // `pageBox` is the page's media box: the stamp covers it and the text is centred on it.
    WatermarkAnnotation(const QString& text, qreal opacity, const QRectF& pageBox);

    // The smaller side of the box times 0.12, but never under 24 points; the text is not shrunk to fit.
    static qreal fontSize(const QSizeF& box);

    QByteArray subtype() const override { return "Stamp"; }
    // The text laid out level, centred on the origin; the stamp's stream turns it.
    Appearance appearance() const override;
    // The level text turned 45° counter-clockwise about the centre of the box, rising from lower left
    // to upper right.
    pdf::AppearanceStates appearanceStates() const override;
    pdf::ObjectValue::Entries entries() const override;

    QString text;
    qreal opacity;
};

} // namespace zepla::annotations
