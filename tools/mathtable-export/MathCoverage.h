// Which glyphs a MATH table's per-glyph subtables list, read from the raw table: HarfBuzz answers for every
// glyph (half the advance for a top accent the table does not list), so the exporter asks the coverage
// itself.
#pragma once

#include <QList>

struct hb_face_t;

namespace zepla::mathexport {

enum class GlyphInfoSubtable { italicsCorrection, topAccentAttachment };

// The glyphs the subtable's coverage lists, in coverage order; empty for a font without it or a damaged
// table.
QList<quint16> mathCoverage(hb_face_t* face, GlyphInfoSubtable subtable);

} // namespace zepla::mathexport
