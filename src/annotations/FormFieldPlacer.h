// Makes the widget of a form field placed with the form tool, with the program's look and a new name.
#pragma once

#include "FormFieldAnnotation.h"

#include <QStringList>

#include <memory>

namespace zepla::annotations {

namespace FormFieldPlacer {

// A field not yet on a page, named "text_" or "checkbox_" and a number from a counter that every window
// shares and that starts at 1 with each launch. Numbers whose name is among `namesInUse` (the fields the
// document already has) are passed over, so a new field never takes the name of an existing one.
std::unique_ptr<FormFieldAnnotation> makeAnnotation(FormFieldMode mode, const QRectF& bounds,
                                                    const QStringList& namesInUse);

} // namespace FormFieldPlacer

} // namespace zepla::annotations
