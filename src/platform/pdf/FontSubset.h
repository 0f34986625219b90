// Font subsets for embedding: a font file cut down to the glyphs a drawing uses, so a note or a text box
// adds kilobytes to a saved file rather than the whole face.
#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

namespace zepla::pdf {

// What a subset keeps of its glyphs' shapes. Text that is never painted (render mode 3) needs the glyphs'
// advances and characters only: its subset drops the outlines of TrueType glyphs (each glyph left empty, its
// index and advance kept) and every font's hinting, a few hundred bytes where the shapes take kilobytes.
enum class Outlines { Kept, Dropped };

// The font file with only `glyphs` (and the characters that map to them) left, each glyph keeping its
// index, so text already written as glyph indices still shows. Empty when the file cannot be read or cut.
QByteArray subsetFont(const QString& fontFile, const std::vector<quint32>& glyphs,
                      Outlines outlines = Outlines::Kept);
// What a file embeds of the font: the subset, or the whole file where it cannot be cut.
QByteArray embeddedFontData(const QString& fontFile, const std::vector<quint32>& glyphs,
                            Outlines outlines = Outlines::Kept);

// The font's PostScript name ("NotoSans-Regular"): what PDF files call a font, with no spaces.
QByteArray postScriptName(const QString& fontFile);
// The name a file gives the embedded subset: a tag of six capital letters that stands for the set of glyphs,
// "+", and the PostScript name ("KQWMZB+NotoSans-Regular").
QByteArray subsetFontName(const QString& fontFile, const std::vector<quint32>& glyphs);

} // namespace zepla::pdf
