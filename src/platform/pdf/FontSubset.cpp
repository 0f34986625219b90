#include "FontSubset.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include <hb-ot.h>
#include <hb-subset.h>

#include <QCryptographicHash>
#include <QFile>

#include <algorithm>
#include <cctype>
#include <memory>
#include <vector>

namespace zepla::pdf {

namespace {

template <class T, void (*Destroy)(T*)> struct Deleter {
    void operator()(T* p) const { Destroy(p); }
};
using Blob = std::unique_ptr<hb_blob_t, Deleter<hb_blob_t, hb_blob_destroy>>;
using Face = std::unique_ptr<hb_face_t, Deleter<hb_face_t, hb_face_destroy>>;
using Font = std::unique_ptr<hb_font_t, Deleter<hb_font_t, hb_font_destroy>>;
using Input = std::unique_ptr<hb_subset_input_t, Deleter<hb_subset_input_t, hb_subset_input_destroy>>;
using Set = std::unique_ptr<hb_set_t, Deleter<hb_set_t, hb_set_destroy>>;

struct FreeTypeDeleter {
    void operator()(FT_Library library) const { FT_Done_FreeType(library); }
    void operator()(FT_Face face) const { FT_Done_Face(face); }
};
using FreeType = std::unique_ptr<FT_LibraryRec_, FreeTypeDeleter>;
using FreeTypeFace = std::unique_ptr<FT_FaceRec_, FreeTypeDeleter>;

// "Family-Style" as FreeType reads the font's names, which is how Qt's fonts report them; empty when the
// file is no font.
QByteArray familyAndStyle(const QString& fontFile) {
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0)
        return {};
    const FreeType owner(library);
    FT_Face face = nullptr;
    if (FT_New_Face(library, fontFile.toLocal8Bit().constData(), 0, &face) != 0)
        return {};
    const FreeTypeFace faceOwner(face);
    return QByteArray(face->family_name ? face->family_name : "") + '-' +
           QByteArray(face->style_name ? face->style_name : "");
}

// The face with every TrueType glyph left empty: a glyph table of no shapes and a location table that puts
// every glyph at its start with no length. Faces without TrueType outlines come back as they are.
Face withoutOutlines(hb_face_t* face) {
    const hb_tag_t glyf = hb_tag_from_string("glyf", 4);
    const hb_tag_t loca = hb_tag_from_string("loca", 4);
    const Blob head(hb_face_reference_table(face, hb_tag_from_string("head", 4)));
    unsigned int headLength = 0;
    const char* headData = hb_blob_get_data(head.get(), &headLength);
    // indexToLocFormat, at byte 50 of the header: 0 for 16-bit locations, 1 for 32-bit ones.
    constexpr unsigned int locFormatAt = 50;
    if (headLength < locFormatAt + 2 ||
        hb_blob_get_length(Blob(hb_face_reference_table(face, glyf)).get()) == 0)
        return Face(hb_face_reference(face));
    const bool longLocations = headData[locFormatAt + 1] != 0;
    const unsigned int glyphs = hb_face_get_glyph_count(face);
    const QByteArray locations(qsizetype(glyphs + 1) * (longLocations ? 4 : 2), '\0');
    // A glyph table of one word, for readers that want the table to hold something.
    static const char emptyGlyphs[4] = {};
    Face built(hb_face_builder_create());
    unsigned int count = hb_face_get_table_tags(face, 0, nullptr, nullptr);
    std::vector<hb_tag_t> tags(count);
    hb_face_get_table_tags(face, 0, &count, tags.data());
    for (hb_tag_t tag : tags) {
        Blob table;
        if (tag == glyf)
            table.reset(
                hb_blob_create(emptyGlyphs, sizeof emptyGlyphs, HB_MEMORY_MODE_READONLY, nullptr, nullptr));
        else if (tag == loca)
            table.reset(hb_blob_create_or_fail(locations.constData(), unsigned(locations.size()),
                                               HB_MEMORY_MODE_DUPLICATE, nullptr, nullptr));
        else
            table.reset(hb_face_reference_table(face, tag));
        if (!table || !hb_face_builder_add_table(built.get(), tag, table.get()))
            return Face(hb_face_reference(face));
    }
    return built;
}

} // namespace

QByteArray subsetFont(const QString& fontFile, const std::vector<quint32>& glyphs, Outlines outlines) {
    const Blob blob(hb_blob_create_from_file_or_fail(fontFile.toLocal8Bit().constData()));
    if (!blob)
        return {};
    const Face face(hb_face_create(blob.get(), 0));
    const Input input(hb_subset_input_create_or_fail());
    if (!face || !input || hb_face_get_glyph_count(face.get()) == 0)
        return {};
    hb_set_t* glyphSet = hb_subset_input_glyph_set(input.get());
    for (quint32 glyph : glyphs)
        hb_set_add(glyphSet, glyph);
    // The characters of the kept glyphs stay mapped, so text copied out of the drawing reads right.
    const Font font(hb_font_create(face.get()));
    const Set unicodes(hb_set_create());
    hb_face_collect_unicodes(face.get(), unicodes.get());
    hb_set_t* keptUnicodes = hb_subset_input_unicode_set(input.get());
    for (hb_codepoint_t u = HB_SET_VALUE_INVALID; hb_set_next(unicodes.get(), &u);) {
        hb_codepoint_t glyph = 0;
        if (hb_font_get_nominal_glyph(font.get(), u, &glyph) && hb_set_has(glyphSet, glyph))
            hb_set_add(keptUnicodes, u);
    }
    // Shaping tables serve nothing in a PDF, which places every glyph itself.
    hb_set_t* dropped = hb_subset_input_set(input.get(), HB_SUBSET_SETS_DROP_TABLE_TAG);
    for (const char* tag : {"GSUB", "GPOS", "GDEF", "kern", "morx", "DSIG"})
        hb_set_add(dropped, hb_tag_from_string(tag, 4));
    hb_subset_input_set_flags(input.get(), outlines == Outlines::Kept
                                               ? HB_SUBSET_FLAGS_RETAIN_GIDS
                                               : HB_SUBSET_FLAGS_RETAIN_GIDS | HB_SUBSET_FLAGS_NO_HINTING);
    const Face subset(hb_subset_or_fail(face.get(), input.get()));
    if (!subset)
        return {};
    Blob result(hb_face_reference_blob(subset.get()));
    if (outlines == Outlines::Dropped) {
        // The subsetter's face only builds the file: the file is read back to be taken apart again.
        const Face written(hb_face_create(result.get(), 0));
        result.reset(hb_face_reference_blob(withoutOutlines(written.get()).get()));
    }
    unsigned int length = 0;
    const char* data = hb_blob_get_data(result.get(), &length);
    return QByteArray(data, int(length));
}

QByteArray postScriptName(const QString& fontFile) {
    QByteArray name;
    const Blob blob(hb_blob_create_from_file_or_fail(fontFile.toLocal8Bit().constData()));
    if (blob) {
        const Face face(hb_face_create(blob.get(), 0));
        unsigned int length = 64;
        char buffer[64];
        if (hb_ot_name_get_utf8(face.get(), HB_OT_NAME_ID_POSTSCRIPT_NAME, HB_LANGUAGE_INVALID, &length,
                                buffer) > 0)
            name = QByteArray(buffer, int(length));
    }
    if (name.isEmpty())
        name = familyAndStyle(fontFile);
    // A name token ends at white space and delimiters; keep only what PDF names and readers take as is, and
    // only a name with a letter or digit in it.
    name.removeIf([](char c) { return c <= ' ' || c > '~' || QByteArray("()<>[]{}/%#").contains(c); });
    return std::any_of(name.begin(), name.end(), [](char c) { return std::isalnum(uchar(c)); })
               ? name
               : QByteArray("Font");
}

QByteArray subsetFontName(const QString& fontFile, const std::vector<quint32>& glyphs) {
    const QByteArray name = postScriptName(fontFile);
    std::vector<quint32> sorted = glyphs;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(name);
    hash.addData(QByteArrayView(reinterpret_cast<const char*>(sorted.data()),
                                qsizetype(sorted.size() * sizeof(quint32))));
    const QByteArray digest = hash.result();
    QByteArray tag(6, 'A');
    for (int i = 0; i < 6; ++i)
        tag[i] = char('A' + quint8(digest[i]) % 26);
    return tag + '+' + name;
}

QByteArray embeddedFontData(const QString& fontFile, const std::vector<quint32>& glyphs, Outlines outlines) {
    QByteArray data = subsetFont(fontFile, glyphs, outlines);
    if (data.isEmpty()) {
        QFile file(fontFile);
        if (file.open(QIODevice::ReadOnly))
            data = file.readAll();
    }
    return data;
}

} // namespace zepla::pdf
