// Writing annotations: new annotation objects with their dictionary entries and appearance streams,
// changes to them, the form's field list, and drawings added to a page's content.
#include "FontSubset.h"
#include "PdfDocumentImpl.h"
#include "PdfImageXObject.h"

#include <cmath>
#include <cstring>
#include <unordered_set>

namespace zepla::pdf {

ObjectValue ObjectValue::name(const QByteArray& name) {
    ObjectValue v;
    v.m_type = Type::Name;
    v.m_bytes = name;
    return v;
}

ObjectValue ObjectValue::text(const QString& text) {
    ObjectValue v;
    v.m_type = Type::Text;
    v.m_text = text;
    return v;
}

ObjectValue ObjectValue::array(std::vector<ObjectValue> items) {
    ObjectValue v;
    v.m_type = Type::Array;
    v.m_items = std::move(items);
    return v;
}

ObjectValue ObjectValue::numbers(const std::vector<double>& numbers) {
    return array(std::vector<ObjectValue>(numbers.begin(), numbers.end()));
}

ObjectValue ObjectValue::dictionary(Entries entries) {
    ObjectValue v;
    v.m_type = Type::Dictionary;
    v.m_entries = std::move(entries);
    return v;
}

namespace {

// The text of every string and name of a value tree, as UTF-8, made before entering MuPDF so that no C++
// object is created inside a try block.
struct Prepared {
    const ObjectValue* value;
    QByteArray bytes;
    std::vector<Prepared> children;
    std::vector<QByteArray> keys;
};

Prepared prepare(const ObjectValue& value) {
    Prepared p{&value, {}, {}, {}};
    switch (value.type()) {
    case ObjectValue::Type::Name:
        p.bytes = value.nameValue();
        break;
    case ObjectValue::Type::Text:
        p.bytes = value.textValue().toUtf8();
        break;
    case ObjectValue::Type::Array:
        for (const ObjectValue& item : value.items())
            p.children.push_back(prepare(item));
        break;
    case ObjectValue::Type::Dictionary:
        for (const auto& [key, item] : value.entries()) {
            p.keys.push_back(key);
            p.children.push_back(prepare(item));
        }
        break;
    default:
        break;
    }
    return p;
}

// Inside a MuPDF try block. Returns a new reference.
pdf_obj* toObject(fz_context* ctx, pdf_document* doc, const Prepared& p) {
    switch (p.value->type()) {
    case ObjectValue::Type::Null:
        return PDF_NULL;
    case ObjectValue::Type::Boolean:
        return p.value->number() != 0 ? PDF_TRUE : PDF_FALSE;
    case ObjectValue::Type::Number: {
        const double n = p.value->number();
        if (n == double(int(n)))
            return pdf_new_int(ctx, int(n));
        return pdf_new_real(ctx, float(n));
    }
    case ObjectValue::Type::Name:
        return pdf_new_name(ctx, p.bytes.constData());
    case ObjectValue::Type::Text:
        return pdf_new_text_string(ctx, p.bytes.constData());
    case ObjectValue::Type::Array: {
        pdf_obj* array = pdf_new_array(ctx, doc, int(p.children.size()));
        for (const Prepared& child : p.children)
            pdf_array_push_drop(ctx, array, toObject(ctx, doc, child));
        return array;
    }
    case ObjectValue::Type::Dictionary: {
        pdf_obj* dict = pdf_new_dict(ctx, doc, int(p.children.size()));
        for (std::size_t i = 0; i < p.children.size(); ++i)
            pdf_dict_puts_drop(ctx, dict, p.keys[i].constData(), toObject(ctx, doc, p.children[i]));
        return dict;
    }
    }
    return PDF_NULL;
}

struct PreparedEntries {
    std::vector<QByteArray> keys;
    std::vector<Prepared> values;
};

PreparedEntries prepareEntries(const ObjectValue::Entries& entries) {
    PreparedEntries p;
    for (const auto& [key, value] : entries) {
        p.keys.push_back(key);
        p.values.push_back(prepare(value));
    }
    return p;
}

void putEntries(fz_context* ctx, pdf_document* doc, pdf_obj* dict, const PreparedEntries& entries) {
    for (std::size_t i = 0; i < entries.keys.size(); ++i) {
        if (entries.values[i].value->type() == ObjectValue::Type::Null)
            pdf_dict_dels(ctx, dict, entries.keys[i].constData());
        else
            pdf_dict_puts_drop(ctx, dict, entries.keys[i].constData(), toObject(ctx, doc, entries.values[i]));
    }
}

struct PreparedStream {
    fz_rect bbox;
    fz_matrix matrix;
    const QByteArray* content;
    std::vector<QByteArray> opacityNames;
    std::vector<double> opacities;
    bool multiplies = false;
    std::vector<QByteArray> fontNames;
    std::vector<QByteArray> fontData; // the subset of each font the stream shows
    std::vector<QByteArray> fontBaseNames;
    std::vector<QByteArray> toUnicode;   // each font's map from codes to characters
    std::vector<QByteArray> codeToGlyph; // each font's map from codes to glyphs, empty where codes are glyphs
    std::vector<std::vector<std::pair<int, int>>> ownCodes; // each font's codes that are not their glyph
    std::vector<QByteArray> imageNames;
    std::vector<DeflatedImage> images;
    QByteArray state;
};

struct PreparedAppearance {
    std::vector<PreparedStream> streams;
};

// A ToUnicode CMap from two-byte codes to the characters each reads as; empty when there are no codes.
QByteArray toUnicodeCMap(const std::vector<AppearanceStream::Font::Code>& codes) {
    if (codes.empty())
        return {};
    QByteArray cmap = "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                      "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                      "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
                      "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
    constexpr std::size_t perBlock = 100; // the most a block may hold
    for (std::size_t from = 0; from < codes.size(); from += perBlock) {
        const std::size_t to = std::min(codes.size(), from + perBlock);
        cmap += QByteArray::number(qulonglong(to - from)) + " beginbfchar\n";
        for (std::size_t i = from; i < to; ++i) {
            cmap += '<' + QByteArray::number(codes[i].code, 16).rightJustified(4, '0') + "> <";
            for (QChar c : codes[i].text)
                cmap += QByteArray::number(c.unicode(), 16).rightJustified(4, '0');
            cmap += ">\n";
        }
        cmap += "endbfchar\n";
    }
    return cmap + "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
}

// A CIDToGIDMap: for each code from 0 on, its glyph as two bytes; codes are glyphs but for `own`.
QByteArray codeToGlyphMap(const std::vector<std::pair<int, int>>& own) {
    if (own.empty())
        return {};
    int last = 0;
    for (const auto& [code, glyph] : own)
        last = std::max(last, code);
    QByteArray map(qsizetype(last + 1) * 2, '\0');
    for (int code = 0; code <= last; ++code) {
        map[2 * code] = char(code >> 8);
        map[2 * code + 1] = char(code & 0xFF);
    }
    for (const auto& [code, glyph] : own) {
        map[2 * code] = char(glyph >> 8);
        map[2 * code + 1] = char(glyph & 0xFF);
    }
    return map;
}

PreparedAppearance prepareAppearance(const AppearanceStates& states) {
    PreparedAppearance p;
    for (const auto& [state, stream] : states) {
        PreparedStream s;
        const QRectF& b = stream.bbox;
        s.bbox = fz_make_rect(float(b.left()), float(b.top()), float(b.right()), float(b.bottom()));
        const QTransform& m = stream.matrix;
        s.matrix = fz_make_matrix(float(m.m11()), float(m.m12()), float(m.m21()), float(m.m22()),
                                  float(m.dx()), float(m.dy()));
        s.content = &stream.content;
        s.multiplies = stream.multiplies;
        for (const auto& [name, alpha] : stream.opacities) {
            s.opacityNames.push_back(name);
            s.opacities.push_back(alpha);
        }
        for (const AppearanceStream::Font& font : stream.fonts) {
            s.fontNames.push_back(font.name);
            s.fontData.push_back(embeddedFontData(font.file, font.glyphs));
            s.fontBaseNames.push_back(subsetFontName(font.file, font.glyphs));
            s.toUnicode.push_back(toUnicodeCMap(font.codes));
            std::vector<std::pair<int, int>> own;
            for (const AppearanceStream::Font::Code& code : font.codes) {
                if (code.code != code.glyph)
                    own.emplace_back(int(code.code), int(code.glyph));
            }
            s.codeToGlyph.push_back(codeToGlyphMap(own));
            s.ownCodes.push_back(std::move(own));
        }
        for (const auto& [name, image] : stream.images) {
            s.imageNames.push_back(name);
            s.images.push_back(deflateImage(image));
        }
        s.state = state;
        p.streams.push_back(std::move(s));
    }
    return p;
}

// The graphics state a multiplying appearance starts with.
constexpr const char* multiplyState = "GMul";

// Inside a MuPDF try block: names an embedded subset as PDF expects, in the font, its descendant and its
// descriptor alike.
void nameSubset(fz_context* ctx, pdf_obj* type0, const char* name) {
    pdf_dict_put_name(ctx, type0, PDF_NAME(BaseFont), name);
    pdf_obj* descendant = pdf_array_get(ctx, pdf_dict_get(ctx, type0, PDF_NAME(DescendantFonts)), 0);
    if (!descendant)
        return;
    pdf_dict_put_name(ctx, descendant, PDF_NAME(BaseFont), name);
    pdf_obj* descriptor = pdf_dict_get(ctx, descendant, PDF_NAME(FontDescriptor));
    if (descriptor)
        pdf_dict_put_name(ctx, descriptor, PDF_NAME(FontName), name);
}

// Inside a MuPDF try block: the embedded font's codes read as the characters the stream gave them, and the
// codes that are not their glyph's index shown by that glyph at its width.
void mapCodes(fz_context* ctx, pdf_document* doc, pdf_obj* type0, fz_font* font, const QByteArray& toUnicode,
              const QByteArray& codeToGlyph, const std::vector<std::pair<int, int>>& ownCodes) {
    if (!toUnicode.isEmpty())
        pdf_dict_put_drop(ctx, type0, PDF_NAME(ToUnicode), addStream(ctx, doc, toUnicode));
    pdf_obj* descendant = pdf_array_get(ctx, pdf_dict_get(ctx, type0, PDF_NAME(DescendantFonts)), 0);
    if (codeToGlyph.isEmpty() || !descendant)
        return;
    pdf_dict_put_drop(ctx, descendant, PDF_NAME(CIDToGIDMap), addStream(ctx, doc, codeToGlyph));
    pdf_obj* widths = pdf_dict_get(ctx, descendant, PDF_NAME(W));
    if (!pdf_is_array(ctx, widths))
        widths = pdf_dict_put_array(ctx, descendant, PDF_NAME(W), int(ownCodes.size()) * 2);
    for (const auto& [code, glyph] : ownCodes) {
        pdf_array_push_int(ctx, widths, code);
        pdf_obj* width = pdf_array_push_array(ctx, widths, 1);
        pdf_array_push_int(ctx, width, int(std::lround(fz_advance_glyph(ctx, font, glyph, 0) * 1000)));
    }
}

// Inside a MuPDF try block: the form XObject of one stream, with its fonts embedded.
pdf_obj* makeForm(fz_context* ctx, pdf_document* doc, PreparedStream& stream) {
    pdf_obj* resources = pdf_new_dict(ctx, doc, 2);
    fz_buffer* buffer = nullptr;
    pdf_obj* form = nullptr;
    fz_font* font = nullptr;
    fz_var(buffer);
    fz_var(font);
    fz_try(ctx) {
        if (!stream.opacities.empty() || stream.multiplies) {
            pdf_obj* states =
                pdf_dict_put_dict(ctx, resources, PDF_NAME(ExtGState), int(stream.opacities.size()) + 1);
            if (stream.multiplies) {
                pdf_obj* gs = pdf_dict_puts_dict(ctx, states, multiplyState, 2);
                pdf_dict_put_name(ctx, gs, PDF_NAME(Type), "ExtGState");
                pdf_dict_put_name(ctx, gs, PDF_NAME(BM), "Multiply");
            }
            for (std::size_t i = 0; i < stream.opacities.size(); ++i) {
                pdf_obj* gs = pdf_dict_puts_dict(ctx, states, stream.opacityNames[i].constData(), 3);
                pdf_dict_put_name(ctx, gs, PDF_NAME(Type), "ExtGState");
                pdf_dict_put_real(ctx, gs, PDF_NAME(ca), stream.opacities[i]);
                pdf_dict_put_real(ctx, gs, PDF_NAME(CA), stream.opacities[i]);
            }
        }
        if (!stream.fontNames.empty()) {
            pdf_obj* fonts = pdf_dict_put_dict(ctx, resources, PDF_NAME(Font), int(stream.fontNames.size()));
            for (std::size_t i = 0; i < stream.fontNames.size(); ++i) {
                buffer = fz_new_buffer_from_copied_data(
                    ctx, reinterpret_cast<const unsigned char*>(stream.fontData[i].constData()),
                    size_t(stream.fontData[i].size()));
                font = fz_new_font_from_buffer(ctx, nullptr, buffer, 0, 0);
                fz_drop_buffer(ctx, buffer);
                buffer = nullptr;
                pdf_dict_puts_drop(ctx, fonts, stream.fontNames[i].constData(),
                                   pdf_add_cid_font(ctx, doc, font));
                pdf_obj* type0 = pdf_dict_gets(ctx, fonts, stream.fontNames[i].constData());
                nameSubset(ctx, type0, stream.fontBaseNames[i].constData());
                mapCodes(ctx, doc, type0, font, stream.toUnicode[i], stream.codeToGlyph[i],
                         stream.ownCodes[i]);
                fz_drop_font(ctx, font);
                font = nullptr;
            }
        }
        if (!stream.images.empty()) {
            pdf_obj* xobjects =
                pdf_dict_put_dict(ctx, resources, PDF_NAME(XObject), int(stream.images.size()));
            for (std::size_t i = 0; i < stream.images.size(); ++i)
                pdf_dict_puts_drop(ctx, xobjects, stream.imageNames[i].constData(),
                                   addDeflatedImage(ctx, doc, stream.images[i]));
        }
        buffer = fz_new_buffer(ctx, size_t(stream.content->size()) + 16);
        if (stream.multiplies)
            fz_append_printf(ctx, buffer, "/%s gs\n", multiplyState);
        fz_append_data(ctx, buffer, stream.content->constData(), size_t(stream.content->size()));
        form = pdf_new_xobject(ctx, doc, stream.bbox, stream.matrix, resources, buffer);
    }
    fz_always(ctx) {
        fz_drop_font(ctx, font);
        fz_drop_buffer(ctx, buffer);
        pdf_drop_obj(ctx, resources);
    }
    fz_catch(ctx) {
        fz_rethrow(ctx);
    }
    return form;
}

// Inside a MuPDF try block: /AP << /N ... >> of the annotation.
void putAppearance(fz_context* ctx, pdf_document* doc, pdf_obj* annot, PreparedAppearance& appearance) {
    pdf_obj* ap = pdf_dict_put_dict(ctx, annot, PDF_NAME(AP), 1);
    if (appearance.streams.size() == 1 && appearance.streams.front().state.isEmpty()) {
        pdf_dict_put_drop(ctx, ap, PDF_NAME(N), makeForm(ctx, doc, appearance.streams.front()));
        return;
    }
    pdf_obj* states = pdf_dict_put_dict(ctx, ap, PDF_NAME(N), int(appearance.streams.size()));
    for (PreparedStream& stream : appearance.streams)
        pdf_dict_puts_drop(ctx, states, stream.state.constData(), makeForm(ctx, doc, stream));
}

// Inside a MuPDF try block: the form's field array, made when `create` is set and there is none.
pdf_obj* formFields(fz_context* ctx, pdf_document* doc, bool create) {
    pdf_obj* root = pdf_dict_get(ctx, pdf_trailer(ctx, doc), PDF_NAME(Root));
    pdf_obj* form = pdf_dict_get(ctx, root, PDF_NAME(AcroForm));
    if (!pdf_is_dict(ctx, form)) {
        if (!create)
            return nullptr;
        form = pdf_dict_put_dict(ctx, root, PDF_NAME(AcroForm), 4);
    }
    pdf_obj* fields = pdf_dict_get(ctx, form, PDF_NAME(Fields));
    if (!pdf_is_array(ctx, fields)) {
        if (!create)
            return nullptr;
        fields = pdf_dict_put_array(ctx, form, PDF_NAME(Fields), 4);
    }
    if (create) {
        // What other readers need to fill in a new field: a default appearance and its fonts.
        if (!pdf_dict_get(ctx, form, PDF_NAME(DA)))
            pdf_dict_put_string(ctx, form, PDF_NAME(DA), "/Helv 0 Tf 0 g", 14);
        pdf_obj* dr = pdf_dict_get(ctx, form, PDF_NAME(DR));
        if (!pdf_is_dict(ctx, dr))
            dr = pdf_dict_put_dict(ctx, form, PDF_NAME(DR), 1);
        pdf_obj* fonts = pdf_dict_get(ctx, dr, PDF_NAME(Font));
        if (!pdf_is_dict(ctx, fonts))
            fonts = pdf_dict_put_dict(ctx, dr, PDF_NAME(Font), 2);
        if (!pdf_dict_gets(ctx, fonts, "Helv")) {
            pdf_obj* helv = pdf_add_new_dict(ctx, doc, 4);
            pdf_dict_put(ctx, helv, PDF_NAME(Type), PDF_NAME(Font));
            pdf_dict_put(ctx, helv, PDF_NAME(Subtype), PDF_NAME(Type1));
            pdf_dict_put_name(ctx, helv, PDF_NAME(BaseFont), "Helvetica");
            pdf_dict_put(ctx, helv, PDF_NAME(Encoding), PDF_NAME(WinAnsiEncoding));
            pdf_dict_puts_drop(ctx, fonts, "Helv", helv);
        }
        if (!pdf_dict_gets(ctx, fonts, "ZaDb")) {
            pdf_obj* zadb = pdf_add_new_dict(ctx, doc, 3);
            pdf_dict_put(ctx, zadb, PDF_NAME(Type), PDF_NAME(Font));
            pdf_dict_put(ctx, zadb, PDF_NAME(Subtype), PDF_NAME(Type1));
            pdf_dict_put_name(ctx, zadb, PDF_NAME(BaseFont), "ZapfDingbats");
            pdf_dict_puts_drop(ctx, fonts, "ZaDb", zadb);
        }
    }
    return fields;
}

int findObject(fz_context* ctx, pdf_obj* array, int objectNumber) {
    const int n = pdf_array_len(ctx, array);
    for (int i = 0; i < n; ++i) {
        if (pdf_to_num(ctx, pdf_array_get(ctx, array, i)) == objectNumber)
            return i;
    }
    return -1;
}

// Inside a MuPDF try block: the annotation object, or a MuPDF error when the number names none.
pdf_obj* annotationObject(fz_context* ctx, pdf_document* doc, const AnnotationHandle& handle) {
    if (handle.isNull() || handle.objectNumber() >= pdf_xref_len(ctx, doc))
        fz_throw(ctx, FZ_ERROR_GENERIC, "no such annotation");
    pdf_obj* obj = pdf_load_object(ctx, doc, handle.objectNumber());
    pdf_drop_obj(ctx, obj); // the xref keeps it
    if (!pdf_is_dict(ctx, obj) || !pdf_dict_get(ctx, obj, PDF_NAME(Subtype)))
        fz_throw(ctx, FZ_ERROR_GENERIC, "no such annotation");
    return obj;
}

Error writeError(const Status& status) {
    return Error{Error::Kind::Failed,
                 QStringLiteral("The annotation could not be written: %1").arg(status.error().message)};
}

} // namespace

Result<AnnotationHandle> Document::createAnnotation(int pageIndex, const ObjectValue::Entries& entries,
                                                    const AppearanceStates& appearance) {
    if (isLocked())
        return lockedError();
    if (pageIndex < 0 || pageIndex >= pageCount())
        return pageRangeError(pageIndex);
    const PreparedEntries prepared = prepareEntries(entries);
    PreparedAppearance preparedAppearance = prepareAppearance(appearance);
    Access a(*this);
    int number = 0;
    const Status status = guarded(a.ctx, [&] {
        pdf_obj* page = lookupPage(a.ctx, a.doc(), pageIndex);
        pdf_obj* annot = pdf_add_new_dict(a.ctx, a.doc(), int(prepared.keys.size()) + 3);
        fz_try(a.ctx) {
            pdf_dict_put(a.ctx, annot, PDF_NAME(Type), PDF_NAME(Annot));
            pdf_dict_put(a.ctx, annot, PDF_NAME(P), page);
            putEntries(a.ctx, a.doc(), annot, prepared);
            if (!preparedAppearance.streams.empty())
                putAppearance(a.ctx, a.doc(), annot, preparedAppearance);
            pdf_obj* annots = pdf_dict_get(a.ctx, page, PDF_NAME(Annots));
            if (!pdf_is_array(a.ctx, annots))
                annots = pdf_dict_put_array(a.ctx, page, PDF_NAME(Annots), 1);
            pdf_array_push(a.ctx, annots, annot);
            if (pdf_name_eq(a.ctx, pdf_dict_get(a.ctx, annot, PDF_NAME(Subtype)), PDF_NAME(Widget)) &&
                pdf_dict_get(a.ctx, annot, PDF_NAME(T)))
                pdf_array_push(a.ctx, formFields(a.ctx, a.doc(), true), annot);
            number = pdf_to_num(a.ctx, annot);
        }
        fz_always(a.ctx) {
            pdf_drop_obj(a.ctx, annot);
        }
        fz_catch(a.ctx) {
            fz_rethrow(a.ctx);
        }
    });
    if (!status)
        return writeError(status);
    a.impl().revision++;
    return AnnotationHandle(number);
}

Status Document::drawOnPage(int index, const AppearanceStream& drawing) {
    Access a(*this);
    if (Status s = checkPage(a, index); !s)
        return s;
    const AppearanceStates states{{QByteArray(), drawing}}; // the prepared stream points into it
    PreparedAppearance prepared = prepareAppearance(states);
    const Status status = guarded(a.ctx, [&] {
        pdf_obj* page = lookupPage(a.ctx, a.doc(), index);
        pdf_obj* xobjects = ownResourceDict(a.ctx, a.doc(), page, PDF_NAME(XObject));
        char name[32];
        freeName(a.ctx, xobjects, "ZeplaDrawing", name, int(sizeof name));
        pdf_dict_puts_drop(a.ctx, xobjects, name, makeForm(a.ctx, a.doc(), prepared.streams.front()));
        appendPageContent(a.ctx, a.doc(), page, QByteArray("q /") + name + " Do Q\n");
    });
    if (!status)
        return writeError(status);
    a.impl().revision++;
    return {};
}

Status Document::updateAnnotation(const AnnotationHandle& annotation, const ObjectValue::Entries& entries,
                                  const AppearanceStates* appearance) {
    if (isLocked())
        return lockedError();
    const PreparedEntries prepared = prepareEntries(entries);
    PreparedAppearance preparedAppearance =
        appearance ? prepareAppearance(*appearance) : PreparedAppearance{};
    Access a(*this);
    const Status status = guarded(a.ctx, [&] {
        pdf_obj* annot = annotationObject(a.ctx, a.doc(), annotation);
        putEntries(a.ctx, a.doc(), annot, prepared);
        if (appearance)
            putAppearance(a.ctx, a.doc(), annot, preparedAppearance);
    });
    if (!status)
        return writeError(status);
    a.impl().revision++;
    return {};
}

namespace {

// Inside a MuPDF try block: the entry at a key path of an annotation ("BS/W").
pdf_obj* entryAt(fz_context* ctx, pdf_obj* object, const char* path) {
    char key[32];
    while (object && *path) {
        const char* slash = std::strchr(path, '/');
        const std::size_t length = slash ? std::size_t(slash - path) : std::strlen(path);
        if (length >= sizeof key)
            return nullptr;
        std::memcpy(key, path, length);
        key[length] = 0;
        object = pdf_dict_gets(ctx, object, key);
        path += length + (slash ? 1 : 0);
    }
    return object;
}

} // namespace

double Document::annotationNumber(const AnnotationHandle& annotation, const QByteArray& key) const {
    Access a(*this);
    double value = 0;
    guarded(a.ctx, [&] {
        value =
            pdf_to_real(a.ctx, entryAt(a.ctx, annotationObject(a.ctx, a.doc(), annotation), key.constData()));
    });
    return value;
}

std::vector<std::vector<double>> Document::annotationNumberArrays(const AnnotationHandle& annotation,
                                                                  const QByteArray& key) const {
    Access a(*this);
    pdf_obj* array = nullptr;
    int count = 0;
    bool nested = false;
    const Status found = guarded(a.ctx, [&] {
        array = entryAt(a.ctx, annotationObject(a.ctx, a.doc(), annotation), key.constData());
        count = pdf_is_array(a.ctx, array) ? pdf_array_len(a.ctx, array) : 0;
        nested = count > 0 && pdf_is_array(a.ctx, pdf_array_get(a.ctx, array, 0));
    });
    std::vector<std::vector<double>> result;
    if (!found || count == 0)
        return result;
    // Each list is sized before the guarded block fills it, so no container grows inside it.
    const int lists = nested ? count : 1;
    for (int i = 0; i < lists; ++i) {
        int length = count;
        guarded(a.ctx,
                [&] { length = nested ? pdf_array_len(a.ctx, pdf_array_get(a.ctx, array, i)) : count; });
        std::vector<double> numbers(std::size_t(std::max(length, 0)));
        double* out = numbers.data();
        guarded(a.ctx, [&] {
            pdf_obj* list = nested ? pdf_array_get(a.ctx, array, i) : array;
            for (int k = 0; k < length; ++k)
                out[k] = pdf_to_real(a.ctx, pdf_array_get(a.ctx, list, k));
        });
        result.push_back(std::move(numbers));
    }
    return result;
}

QStringList Document::fieldNames() const {
    Access a(*this);
    QStringList names;
    if (a.impl().locked())
        return names;
    // Depth first over the field tree; a kid's full name is its parent's, a dot, and its own. Each step
    // reads MuPDF under its own guard so that the containers here never live inside a try block.
    struct Item {
        pdf_obj* field;
        int parentIndex; // into `names`, -1 for a top-level field
    };
    std::vector<Item> pending;
    guarded(a.ctx, [&] {
        pdf_obj* fields = formFields(a.ctx, a.doc(), false);
        for (int i = pdf_array_len(a.ctx, fields) - 1; i >= 0; --i)
            pending.push_back({pdf_array_get(a.ctx, fields, i), -1});
    });
    std::unordered_set<int> seen;
    while (!pending.empty()) {
        const Item item = pending.back();
        pending.pop_back();
        int number = 0;
        const char* own = nullptr;
        pdf_obj* kids = nullptr;
        const Status status = guarded(a.ctx, [&] {
            number = pdf_to_num(a.ctx, item.field);
            own = pdf_to_text_string(a.ctx, pdf_dict_get(a.ctx, item.field, PDF_NAME(T)));
            kids = pdf_dict_get(a.ctx, item.field, PDF_NAME(Kids));
        });
        if (!status || (number > 0 && !seen.insert(number).second))
            continue;
        int index = item.parentIndex;
        if (own && *own) {
            const QString name = QString::fromUtf8(own);
            names.append(index >= 0 ? names[index] + QLatin1Char('.') + name : name);
            index = int(names.size()) - 1;
        }
        guarded(a.ctx, [&] {
            for (int k = pdf_array_len(a.ctx, kids) - 1; k >= 0; --k)
                pending.push_back({pdf_array_get(a.ctx, kids, k), index});
        });
    }
    return names;
}

Status Document::setFieldListed(const AnnotationHandle& widget, bool listed) {
    if (isLocked())
        return lockedError();
    Access a(*this);
    const Status status = guarded(a.ctx, [&] {
        annotationObject(a.ctx, a.doc(), widget);
        pdf_obj* fields = formFields(a.ctx, a.doc(), listed);
        const int at = fields ? findObject(a.ctx, fields, widget.objectNumber()) : -1;
        // The list holds a reference to the widget's own object: a copy of its dictionary would be a second
        // field that no page shows.
        if (listed && at < 0)
            pdf_array_push_drop(a.ctx, fields, pdf_new_indirect(a.ctx, a.doc(), widget.objectNumber(), 0));
        else if (!listed && at >= 0)
            pdf_array_delete(a.ctx, fields, at);
    });
    if (!status)
        return writeError(status);
    a.impl().revision++;
    return {};
}

} // namespace zepla::pdf
