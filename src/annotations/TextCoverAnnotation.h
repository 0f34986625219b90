// The place of a text line that in-place editing replaced: filled with the page's background there, without
// a border, so the old words never show through the new ones, in Zepla and in other readers.
#pragma once

#include "Annotation.h"

namespace zepla::annotations {

class TextCoverAnnotation : public Annotation {
public:
    TextCoverAnnotation() { borderWidth = 0; }

    QByteArray subtype() const override { return "Square"; }
    Appearance appearance() const override {
        Appearance a(bounds);
        if (fill) {
            QPainterPath area;
            area.addRect(bounds);
            a.fill(area, *fill);
        }
        return a;
    }
    pdf::ObjectValue::Entries entries() const override {
        auto e = Annotation::entries();
        if (fill)
            e.emplace_back("IC", colorValue(*fill));
        return e;
    }

    // Nothing is drawn without one.
    std::optional<QColor> fill;
};

} // namespace zepla::annotations
