// MuPDF output written straight into a QByteArray: a written file is built once in the memory that holds it,
// not in MuPDF's buffer first and copied out afterwards.
#pragma once

#include "PdfContext.h"

#include <QByteArray>

namespace zepla::pdf {

// An output that appends to `bytes`, which must outlive it; run out of memory, it raises MuPDF's error.
// Dropped with fz_drop_output once closed.
fz_output* newOutputInto(fz_context* ctx, QByteArray& bytes);

} // namespace zepla::pdf
