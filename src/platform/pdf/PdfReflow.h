// Documents MuPDF lays out itself (EPUB and other reflowable books) written out as PDF pages.
#pragma once

#include "PdfError.h"

#include <QByteArray>
#include <QSizeF>
#include <QString>

#include <atomic>

namespace zepla::pdf {

// Lays the book at `path` out on pages of `pageSize` points with text of `fontSize` points and returns the
// bytes of a PDF of those pages, text kept as text. Stops with an error when `cancelled` turns true.
Result<QByteArray> reflowableToPdf(const QString& path, const QSizeF& pageSize = {612, 792},
                                   double fontSize = 12, const std::atomic<bool>* cancelled = nullptr);

} // namespace zepla::pdf
