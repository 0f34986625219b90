// The invisible text of a rebuilt page: each recognised word drawn over the place it was seen, in a font
// that has its characters, so that search, selection and text extraction find it.
#pragma once

#include "ocr/TextRecognizer.h"
#include "pdf/PdfTextLayer.h"

namespace zepla::document::OCRTextLayer {

// The runs of `lines` (boxes in pixels, mapped to page space by `imageToPage`). Each line's font size is
// 0.85 of its height and its baseline its bottom edge; each word starts at its box and is stretched to the
// box's width. Lines with no height and words without a drawable character add nothing.
std::vector<pdf::InvisibleRun> runs(const std::vector<ocr::Line>& lines, const QTransform& imageToPage);

} // namespace zepla::document::OCRTextLayer
