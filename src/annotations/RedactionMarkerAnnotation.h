// A redaction still to be burnt in: a translucent black box with a red dashed frame.
#pragma once

#include "Annotation.h"

namespace zepla::annotations {

class RedactionMarkerAnnotation : public Annotation {
public:
    RedactionMarkerAnnotation() { contents = pendingRedactionContents; }

    QByteArray subtype() const override { return "Square"; }
    Appearance appearance() const override;
};

} // namespace zepla::annotations
