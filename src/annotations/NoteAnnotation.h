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

    // The card as the page holds it: the bounds less the room the shadow takes on the right and at the
    // bottom as the reader sees them. The note editor covers exactly this.
    QRectF cardOnPage() const;

    // A note keeps upright by itself on a turned page (every reader turns notes against the page about their
    // rectangle's upper left corner): `bounds` is the box it shows in, and these entries place it there.
    static pdf::ObjectValue::Entries placement(const QRectF& shownBox, int pageRotation);

    QByteArray subtype() const override { return "Text"; }
    Appearance appearance() const override;
    pdf::ObjectValue::Entries entries() const override;
    pdf::AppearanceStates appearanceStates() const override;
};

} // namespace zepla::annotations
