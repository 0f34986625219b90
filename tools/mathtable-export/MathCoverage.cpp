// Which glyphs a MATH table's per-glyph subtables list, read from the raw table: HarfBuzz answers for every
// glyph (half the advance for a top accent the table does not list), so the exporter asks the coverage
// itself.
#include "MathCoverage.h"

#include <hb.h>

#include <optional>

namespace zepla::mathexport {

namespace {

// Big-endian reads that stay inside the table.
class TableReader {
public:
    explicit TableReader(hb_blob_t* blob) {
        unsigned length = 0;
        m_data = reinterpret_cast<const unsigned char*>(hb_blob_get_data(blob, &length));
        m_length = length;
    }

    std::optional<unsigned> u16(unsigned offset) const {
        if (!m_data || offset + 2 > m_length)
            return std::nullopt;
        return unsigned(m_data[offset]) << 8 | m_data[offset + 1];
    }

    // The subtable an Offset16 at `field` points to, counted from `base`; a zero offset means none.
    std::optional<unsigned> subtable(unsigned base, unsigned field) const {
        const auto offset = u16(base + field);
        if (!offset || *offset == 0)
            return std::nullopt;
        return base + *offset;
    }

private:
    const unsigned char* m_data = nullptr;
    unsigned m_length = 0;
};

QList<quint16> coverageGlyphs(const TableReader& table, unsigned coverage) {
    QList<quint16> glyphs;
    const auto format = table.u16(coverage);
    const auto count = table.u16(coverage + 2);
    if (!format || !count)
        return {};
    for (unsigned i = 0; i < *count; ++i) {
        if (*format == 1) {
            const auto glyph = table.u16(coverage + 4 + 2 * i);
            if (!glyph)
                return {};
            glyphs.append(quint16(*glyph));
        } else if (*format == 2) {
            const unsigned record = coverage + 4 + 6 * i;
            const auto first = table.u16(record);
            const auto last = table.u16(record + 2);
            if (!first || !last)
                return {};
            for (unsigned glyph = *first; glyph <= *last; ++glyph)
                glyphs.append(quint16(glyph));
        } else {
            return {};
        }
    }
    return glyphs;
}

} // namespace

QList<quint16> mathCoverage(hb_face_t* face, GlyphInfoSubtable subtable) {
    // MATH header: version (4 bytes), then Offset16s to MathConstants, MathGlyphInfo, MathVariants.
    // MathGlyphInfo: Offset16s to MathItalicsCorrectionInfo, MathTopAccentAttachment, ...; each of those
    // starts with an Offset16 to its Coverage.
    constexpr unsigned kGlyphInfoField = 6;
    const unsigned subtableField = subtable == GlyphInfoSubtable::italicsCorrection ? 0 : 2;

    hb_blob_t* blob = hb_face_reference_table(face, HB_TAG('M', 'A', 'T', 'H'));
    const TableReader table(blob);
    QList<quint16> glyphs;
    if (const auto glyphInfo = table.subtable(0, kGlyphInfoField)) {
        if (const auto info = table.subtable(*glyphInfo, subtableField)) {
            if (const auto coverage = table.subtable(*info, 0))
                glyphs = coverageGlyphs(table, *coverage);
        }
    }
    hb_blob_destroy(blob);
    return glyphs;
}

} // namespace zepla::mathexport
