// A highlight, underline or strike-through over one line of selected text: its rectangle, the QuadPoints
// readers need to place it, and a look that multiplies, so a highlight darkens the text instead of hiding it.
#pragma once

#include "Annotation.h"
#include "AnnotationTool.h"

namespace zepla::annotations {

class TextMarkupAnnotation : public Annotation {
public:
    explicit TextMarkupAnnotation(MarkupAction action) : m_action(action) {}

    MarkupAction action() const { return m_action; }
    QByteArray subtype() const override;
    Appearance appearance() const override;
    pdf::ObjectValue::Entries entries() const override;

private:
    MarkupAction m_action;
};

} // namespace zepla::annotations
