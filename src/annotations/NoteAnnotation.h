// A sticky note: a paper card with a drop shadow, a band in the note's colour and its text in a
// handwriting face.
#pragma once

#include "Annotation.h"

namespace zepla::annotations {

class NoteAnnotation : public Annotation {
public:
    // The card and the text; the note editor uses them too.
    static QColor paperCream();
    static QColor ink();

    QByteArray subtype() const override { return "Text"; }
    Appearance appearance() const override;
    pdf::ObjectValue::Entries entries() const override;
};

} // namespace zepla::annotations
