// A picture file as a one-page PDF of the picture's size in points, its longest side at most 3000.
#pragma once

#include <QString>

namespace zepla::document {

// The longest side of a picture's page, in points.
constexpr double maximumImagePageSide = 3000;

// Writes the PDF at `pdfPath`; returns an empty string, or why it could not. JPEG data is embedded as it
// is encoded, turned upright by the page's drawing rather than by decoding it; other pictures are decoded.
QString imageToPdf(const QString& path, const QString& pdfPath);

} // namespace zepla::document
