#include "FontSubset.h"

#include <hb-subset.h>

#include <QFile>

#include <memory>

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

} // namespace

QByteArray subsetFont(const QString& fontFile, const std::vector<quint32>& glyphs) {
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
    hb_subset_input_set_flags(input.get(), HB_SUBSET_FLAGS_RETAIN_GIDS);
    const Face subset(hb_subset_or_fail(face.get(), input.get()));
    if (!subset)
        return {};
    const Blob result(hb_face_reference_blob(subset.get()));
    unsigned int length = 0;
    const char* data = hb_blob_get_data(result.get(), &length);
    return QByteArray(data, int(length));
}

QByteArray embeddedFontData(const QString& fontFile, const std::vector<quint32>& glyphs) {
    QByteArray data = subsetFont(fontFile, glyphs);
    if (data.isEmpty()) {
        QFile file(fontFile);
        if (file.open(QIODevice::ReadOnly))
            data = file.readAll();
    }
    return data;
}

} // namespace zepla::pdf
