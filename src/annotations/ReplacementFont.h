// The face a replaced line of page text is set in: the page's own font program when it has a glyph for every
// character of the new text, else the installed face closest to it by name and look. One decision serves the
// editor's preview and the commit, so the words show in the face they will be saved in.
#pragma once

#include "core/FontFiles.h"
#include "pdf/PdfDocument.h"

namespace zepla::annotations {

// What to ask the installed fonts for in place of a page font: its family when that is installed (or Latin
// Modern for TeX's Computer Modern), else the generic kind, with the weight and slant the font has.
struct FaceRequest {
    QString family; // an installed family, or empty for the generic kind alone
    platform::GenericFamily generic = platform::GenericFamily::serif;
    bool bold = false;
    bool italic = false;
};

// A font file; empty only when this system has no outline font at all. The page's program comes named as
// the page names it (its subset tag left out), whatever its own name tables say, which is often nothing.
QString replacementFontFile(const pdf::PageFont& font, const QString& text);
FaceRequest closestFaceRequest(const pdf::PageFont& font);
// The family a font name stands for: "ABCDEF+Helvetica-BoldOblique" → "Helvetica".
QString familyOfFontName(const QString& name);

} // namespace zepla::annotations
