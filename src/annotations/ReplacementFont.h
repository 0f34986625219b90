// The face a replaced line of page text is set in: the page's own font program when it has a glyph for every
// character of the new text, else the installed face closest to it by name and look.
#pragma once

#include "pdf/PdfDocument.h"

namespace zepla::annotations {

// A font file; empty only when this system has no outline font at all.
QString replacementFontFile(const pdf::PageFont& font, const QString& text);
// The family a font name stands for: "ABCDEF+Helvetica-BoldOblique" → "Helvetica".
QString familyOfFontName(const QString& name);

} // namespace zepla::annotations
