// Page text: structured text with boxes in page space, plain text and search.
#include "PdfDocumentImpl.h"

#include <cstring>

namespace zepla::pdf {

namespace {

// Runs `use` with the page's structured text; the text page is dropped afterwards whatever happens.
template <class Use> Status withTextPage(const Document& document, int index, Use&& use) {
    Access a(document);
    Status status;
    LoadedPage page(a, index, &status);
    if (!status)
        return status;
    fz_stext_page* text = nullptr;
    fz_stext_options options{};
    status = guarded(a.ctx, [&] { text = fz_new_stext_page_from_page(a.ctx, page.fz(), &options); });
    if (status)
        use(a.ctx, text, deviceToPageSpace(a.ctx, page.get()->obj), page.get());
    fz_drop_stext_page(a.ctx, text);
    return status;
}

QRectF toPageSpace(const fz_rect& r, const fz_matrix& m) {
    return toQRect(fz_transform_rect(r, m));
}

// A font name without its subset tag ("ABCDEF+CMR10" → "CMR10").
const char* untagged(const char* name) {
    const char* plus = std::strchr(name, '+');
    return plus && plus - name == 6 ? plus + 1 : name;
}

// Inside a MuPDF try block: the font dictionary named `name` (as MuPDF names a loaded font: the base font
// without its subset tag, cut to its own length) among the resources' fonts and those of the forms they
// draw; null when there is none.
pdf_obj* fontDictionaryNamed(fz_context* ctx, pdf_obj* resources, const char* name, int depth) {
    constexpr int deepestForm = 8;
    if (!pdf_is_dict(ctx, resources) || depth > deepestForm)
        return nullptr;
    pdf_obj* fonts = pdf_dict_get(ctx, resources, PDF_NAME(Font));
    const size_t length = std::strlen(name);
    for (int i = 0; i < pdf_dict_len(ctx, fonts); ++i) {
        pdf_obj* font = pdf_dict_get_val(ctx, fonts, i);
        const char* base = untagged(pdf_to_name(ctx, pdf_dict_get(ctx, font, PDF_NAME(BaseFont))));
        if (length > 0 && std::strncmp(base, name, length) == 0)
            return font;
    }
    pdf_obj* forms = pdf_dict_get(ctx, resources, PDF_NAME(XObject));
    for (int i = 0; i < pdf_dict_len(ctx, forms); ++i) {
        pdf_obj* form = pdf_dict_get_val(ctx, forms, i);
        if (!pdf_name_eq(ctx, pdf_dict_get(ctx, form, PDF_NAME(Subtype)), PDF_NAME(Form)) ||
            pdf_mark_obj(ctx, form))
            continue;
        pdf_obj* found = nullptr;
        fz_var(found);
        fz_try(ctx) {
            found = fontDictionaryNamed(ctx, pdf_dict_get(ctx, form, PDF_NAME(Resources)), name, depth + 1);
        }
        fz_always(ctx) {
            pdf_unmark_obj(ctx, form);
        }
        fz_catch(ctx) {
            fz_rethrow(ctx);
        }
        if (found)
            return found;
    }
    return nullptr;
}

// What the file's font dictionary says of a font: its base font name and its descriptor.
struct FontDictionary {
    const char* baseFont = nullptr;
    bool described = false;
    PageFont::Descriptor descriptor;
};

// Inside a MuPDF try block.
FontDictionary readFontDictionary(fz_context* ctx, pdf_obj* font) {
    FontDictionary d;
    d.baseFont = pdf_to_name(ctx, pdf_dict_get(ctx, font, PDF_NAME(BaseFont)));
    pdf_obj* descriptor = pdf_dict_get(ctx, font, PDF_NAME(FontDescriptor));
    if (!descriptor) {
        pdf_obj* descendant = pdf_array_get(ctx, pdf_dict_get(ctx, font, PDF_NAME(DescendantFonts)), 0);
        descriptor = pdf_dict_get(ctx, descendant, PDF_NAME(FontDescriptor));
    }
    if (pdf_is_dict(ctx, descriptor)) {
        d.described = true;
        d.descriptor.flags = pdf_dict_get_int(ctx, descriptor, PDF_NAME(Flags));
        d.descriptor.weight = pdf_to_int(ctx, pdf_dict_gets(ctx, descriptor, "FontWeight"));
        d.descriptor.italicAngle = pdf_dict_get_real(ctx, descriptor, PDF_NAME(ItalicAngle));
    }
    return d;
}

} // namespace

Result<StructuredText> Document::structuredText(int index) const {
    StructuredText result;
    const Status status =
        withTextPage(*this, index, [&](fz_context* ctx, fz_stext_page* text, fz_matrix m, pdf_page*) {
            for (fz_stext_block* b = text->first_block; b; b = b->next) {
                if (b->type != FZ_STEXT_BLOCK_TEXT)
                    continue;
                TextBlock block;
                block.box = toPageSpace(b->bbox, m);
                for (fz_stext_line* l = b->u.t.first_line; l; l = l->next) {
                    TextLine line;
                    line.box = toPageSpace(l->bbox, m);
                    const fz_point direction = fz_normalize_vector(fz_transform_vector(l->dir, m));
                    line.direction = QPointF(direction.x, direction.y);
                    for (fz_stext_char* c = l->first_char; c; c = c->next) {
                        const fz_point origin = fz_transform_point(c->origin, m);
                        line.chars.push_back(TextChar{char32_t(c->c),
                                                      toPageSpace(fz_rect_from_quad(c->quad), m),
                                                      QString::fromUtf8(fz_font_name(ctx, c->font)), c->size,
                                                      QPointF(origin.x, origin.y)});
                    }
                    block.lines.push_back(std::move(line));
                }
                result.blocks.push_back(std::move(block));
            }
        });
    if (!status)
        return status.error();
    return result;
}

// The same text as `structuredText(index).text()`, read straight from the text page: whole-document reads
// and searches call this for every page, and the boxes and font names would only be thrown away.
Result<QString> Document::pageText(int index) const {
    QString result;
    const Status status =
        withTextPage(*this, index, [&](fz_context*, fz_stext_page* text, fz_matrix, pdf_page*) {
            bool firstBlock = true;
            for (fz_stext_block* b = text->first_block; b; b = b->next) {
                if (b->type != FZ_STEXT_BLOCK_TEXT)
                    continue;
                if (!firstBlock)
                    result += QStringLiteral("\n\n");
                firstBlock = false;
                for (fz_stext_line* l = b->u.t.first_line; l; l = l->next) {
                    if (l != b->u.t.first_line)
                        result += u'\n';
                    for (fz_stext_char* ch = l->first_char; ch; ch = ch->next) {
                        const char32_t c = char32_t(ch->c);
                        if (c < 0x10000)
                            result += QChar(char16_t(c));
                        else
                            result += QString::fromUcs4(&c, 1);
                    }
                }
            }
        });
    if (!status)
        return status.error();
    return result;
}

Result<std::vector<QRectF>> Document::search(int index, const QString& needle) const {
    std::vector<QRectF> boxes;
    if (needle.isEmpty())
        return boxes;
    const QByteArray utf8 = needle.toUtf8();
    Status inner;
    const Status status =
        withTextPage(*this, index, [&](fz_context* ctx, fz_stext_page* text, fz_matrix m, pdf_page*) {
            constexpr int maxHits = 1000;
            std::vector<fz_quad> quads(maxHits);
            int found = 0;
            inner = guarded(ctx, [&] {
                found = fz_search_stext_page(ctx, text, utf8.constData(), nullptr, quads.data(), maxHits);
            });
            for (int i = 0; i < found; ++i)
                boxes.push_back(toPageSpace(fz_rect_from_quad(quads[size_t(i)]), m));
        });
    if (!status)
        return status.error();
    if (!inner)
        return inner.error();
    return boxes;
}

Result<std::optional<PageFont>> Document::fontAt(int index, const QPointF& point) const {
    std::optional<PageFont> result;
    Status inner;
    const Status status =
        withTextPage(*this, index, [&](fz_context* ctx, fz_stext_page* text, fz_matrix m, pdf_page* page) {
            const fz_point p =
                fz_transform_point(fz_make_point(float(point.x()), float(point.y())), fz_invert_matrix(m));
            fz_font* font = nullptr;
            for (fz_stext_block* b = text->first_block; b && !font; b = b->next) {
                if (b->type != FZ_STEXT_BLOCK_TEXT)
                    continue;
                for (fz_stext_line* l = b->u.t.first_line; l && !font; l = l->next) {
                    for (fz_stext_char* c = l->first_char; c && !font; c = c->next) {
                        if (fz_is_point_inside_quad(p, c->quad))
                            font = c->font;
                    }
                }
            }
            if (!font)
                return;
            FontDictionary dictionary;
            inner = guarded(ctx, [&] {
                pdf_obj* found = fontDictionaryNamed(ctx, pdf_page_resources(ctx, page),
                                                     untagged(fz_font_name(ctx, font)), 0);
                if (found)
                    dictionary = readFontDictionary(ctx, found);
            });
            PageFont found{QString::fromUtf8(dictionary.baseFont && *dictionary.baseFont
                                                 ? dictionary.baseFont
                                                 : fz_font_name(ctx, font)),
                           {},
                           fz_font_is_serif(ctx, font) != 0,
                           fz_font_is_monospaced(ctx, font) != 0,
                           fz_font_is_bold(ctx, font) != 0,
                           fz_font_is_italic(ctx, font) != 0,
                           {}};
            if (dictionary.described)
                found.descriptor = dictionary.descriptor;
            // A font the page does not embed is drawn with a stand-in, which is no program of the page.
            if (font->buffer && !font->flags.ft_substitute && !font->t3procs) {
                unsigned char* data = nullptr;
                const size_t length = fz_buffer_storage(ctx, font->buffer, &data);
                found.program = QByteArray(reinterpret_cast<const char*>(data), qsizetype(length));
            }
            result = std::move(found);
        });
    if (!status)
        return status.error();
    if (!inner)
        return inner.error();
    return result;
}

} // namespace zepla::pdf
