// A highlight, underline or strike-through over one line of selected text: its rectangle, the QuadPoints
// readers need to place it, and a look that multiplies, so a highlight darkens the text instead of hiding it.
// The line's corners and an underline follow the way the line reads, which on a turned page may or may not
// be upright to the reader.
#pragma once

#include "Annotation.h"
#include "AnnotationTool.h"

namespace zepla::annotations {

class TextMarkupAnnotation : public Annotation {
public:
    // `lineDegrees`: the line's direction, counter-clockwise from page space's x axis, in quarter turns.
    TextMarkupAnnotation(MarkupAction action, int lineDegrees)
        : m_action(action), m_lineDegrees(lineDegrees) {}

    MarkupAction action() const { return m_action; }
    QByteArray subtype() const override;
    Appearance appearance() const override;
    pdf::ObjectValue::Entries entries() const override;

private:
    MarkupAction m_action;
    int m_lineDegrees;
};

} // namespace zepla::annotations
