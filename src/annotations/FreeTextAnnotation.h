// The text of a text box: its words in its font and colour, with no fill and no border.
#pragma once

#include "Annotation.h"

#include <QFont>

namespace zepla::annotations {

class FreeTextAnnotation : public Annotation {
public:
    QByteArray subtype() const override { return "FreeText"; }
    Appearance appearance() const override;
    pdf::ObjectValue::Entries entries() const override;

    // The space between the annotation's edges and its text, in points.
    static constexpr QSizeF textInset{6, 4};

    // `bounds` grown right and down as far as the text needs to show whole on its unwrapped lines.
    QRectF fittingBounds() const;

    std::optional<QFont> font;       // the 16-point system font when none
    std::optional<QColor> fontColor; // black when none

private:
    QFont effectiveFont() const;
    // The face the font's family names.
    QString effectiveFontFile() const;
};

} // namespace zepla::annotations
