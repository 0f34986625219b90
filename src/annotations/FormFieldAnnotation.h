// An interactive form field placed with the form tool: a text field or a checkbox, written as a widget
// that is also a field of the document's form, so other readers list it and let the user fill it.
#pragma once

#include "Annotation.h"
#include "AnnotationTool.h"

namespace zepla::annotations {

class FormFieldAnnotation : public Annotation {
public:
    explicit FormFieldAnnotation(FormFieldMode mode) : m_mode(mode) {}

    QByteArray subtype() const override { return "Widget"; }
    Appearance appearance() const override;
    pdf::ObjectValue::Entries entries() const override;
    pdf::AppearanceStates appearanceStates() const override;

    FormFieldMode mode() const { return m_mode; }
    QString fieldName;
    QColor backgroundColor;

private:
    Appearance box() const;

    FormFieldMode m_mode;
};

} // namespace zepla::annotations
