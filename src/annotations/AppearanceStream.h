// Writes an appearance as PDF content-stream operators: the annotation's appearance stream in the file.
#pragma once

#include "Appearance.h"

#include "pdf/PdfDocument.h"

#include <QTransform>

namespace zepla::annotations {

pdf::AppearanceStream appearanceStream(const Appearance& appearance);
// Draws the stream's content through `transform` (turned, moved), from within its own graphics state.
void transformContent(pdf::AppearanceStream& stream, const QTransform& transform);

} // namespace zepla::annotations
