// The place of a text line that in-place editing replaced. It draws nothing, in Zepla and in other readers.
#pragma once

#include "Annotation.h"

namespace zepla::annotations {

class TextCoverAnnotation : public Annotation {
public:
    QByteArray subtype() const override { return "Square"; }
    Appearance appearance() const override { return Appearance(bounds); }
};

} // namespace zepla::annotations
