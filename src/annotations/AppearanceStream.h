// Writes an appearance as PDF content-stream operators: the annotation's appearance stream in the file.
#pragma once

#include "Appearance.h"

#include "pdf/PdfDocument.h"

namespace zepla::annotations {

pdf::AppearanceStream appearanceStream(const Appearance& appearance);

} // namespace zepla::annotations
