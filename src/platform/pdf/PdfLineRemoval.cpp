// One line of text taken out of a page's content. The content is read as a PDF reader draws it, keeping
// the graphics state, the text state and the text matrices, so that every glyph's place on the page is
// known; the glyphs of the line leave their strings, each replaced by a number that moves the pen by the
// very room the glyph took. So every other glyph is drawn exactly where it was, whatever moves the text
// object makes afterwards, and no text-position operator is dropped, moved or merged into another text
// object. Only the operations that showed the line's glyphs are rewritten; every other byte is copied. A form
// the line runs through is copied for the place that draws it, so that other places keep theirs.
#include "ContentMatrix.h"
#include "ContentOperations.h"
#include "LineGlyphs.h"
#include "PdfDocumentImpl.h"

#include <QTransform>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>

namespace zepla::pdf {

namespace {

// Forms drawn inside forms deeper than this are drawn as they are: no real page nests so deep.
constexpr int maxFormDepth = 16;

// Places enough for a glyph's room and spacing to land within a thousandth of a point.
QByteArray numberText(double value) {
    return contentNumber(value, 4);
}

std::optional<QByteArray> streamBytes(fz_context* ctx, pdf_obj* stream) {
    fz_buffer* buffer = nullptr;
    if (!guarded(ctx, [&] { buffer = pdf_load_stream(ctx, stream); }))
        return std::nullopt;
    unsigned char* data = nullptr;
    const size_t length = fz_buffer_storage(ctx, buffer, &data);
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(length));
    fz_drop_buffer(ctx, buffer);
    return bytes;
}

// A new stream object holding `bytes`, with the entries of `dictionary` (none when null) but its filters.
pdf_obj* newStream(fz_context* ctx, pdf_document* doc, const QByteArray& bytes, pdf_obj* dictionary) {
    pdf_obj* stream = nullptr;
    const unsigned char* data = reinterpret_cast<const unsigned char*>(bytes.constData());
    const size_t length = size_t(bytes.size());
    guarded(ctx, [&] {
        fz_buffer* buffer = fz_new_buffer_from_copied_data(ctx, data, length);
        pdf_obj* dict = nullptr;
        fz_var(dict);
        fz_try(ctx) {
            if (dictionary) {
                dict = pdf_copy_dict(ctx, pdf_resolve_indirect(ctx, dictionary));
                pdf_dict_del(ctx, dict, PDF_NAME(Filter));
                pdf_dict_del(ctx, dict, PDF_NAME(DecodeParms));
                pdf_dict_del(ctx, dict, PDF_NAME(Length));
            }
            stream = pdf_add_stream(ctx, doc, buffer, dict, 0);
        }
        fz_always(ctx) {
            pdf_drop_obj(ctx, dict);
            fz_drop_buffer(ctx, buffer);
        }
        fz_catch(ctx) {
            fz_rethrow(ctx);
        }
    });
    return stream;
}

// The fonts the content shows text in, each loaded once and dropped with the cache.
class FontCache {
public:
    FontCache(fz_context* ctx, pdf_document* doc) : m_ctx(ctx), m_doc(doc) {}
    ~FontCache() {
        for (const auto& [object, font] : m_fonts)
            pdf_drop_font(m_ctx, font);
    }
    FontCache(const FontCache&) = delete;
    FontCache& operator=(const FontCache&) = delete;

    // The font `name` of `resources`; the stand-in readers use where the resources lack it.
    pdf_font_desc* font(pdf_obj* resources, const QByteArray& name) {
        pdf_obj* object = nullptr;
        const char* key = name.constData();
        guarded(m_ctx, [&] {
            object = pdf_resolve_indirect(
                m_ctx, pdf_dict_gets(m_ctx, pdf_dict_get(m_ctx, resources, PDF_NAME(Font)), key));
        });
        if (const auto found = m_fonts.find(object); found != m_fonts.end())
            return found->second;
        pdf_font_desc* font = nullptr;
        guarded(m_ctx, [&] {
            font = object ? pdf_load_font(m_ctx, m_doc, resources, object)
                          : pdf_load_hail_mary_font(m_ctx, m_doc);
        });
        if (!font && object)
            guarded(m_ctx, [&] { font = pdf_load_hail_mary_font(m_ctx, m_doc); });
        if (font)
            m_fonts.emplace(object, font);
        return font;
    }

private:
    fz_context* m_ctx;
    pdf_document* m_doc;
    std::map<pdf_obj*, pdf_font_desc*> m_fonts;
};

// The XObject dictionary new forms are named in: that of the resources a content draws with, made the
// content's own the first time a name is added.
class XObjectNames {
public:
    explicit XObjectNames(std::function<pdf_obj*()> makeOwn) : m_makeOwn(std::move(makeOwn)) {}

    // A new name for `form`, or empty when the dictionary cannot be made.
    QByteArray add(fz_context* ctx, pdf_obj* form) {
        if (!m_dict)
            m_dict = m_makeOwn();
        if (!m_dict)
            return {};
        char name[32];
        pdf_obj* dict = m_dict;
        if (!guarded(ctx, [&] {
                freeName(ctx, dict, "ZeplaForm", name, int(sizeof name));
                pdf_dict_puts(ctx, dict, name, form);
            }))
            return {};
        return name;
    }

private:
    std::function<pdf_obj*()> m_makeOwn;
    pdf_obj* m_dict = nullptr;
};

struct TextState {
    pdf_font_desc* font = nullptr;
    double size = 0;
    double charSpacing = 0;
    double wordSpacing = 0;
    double scale = 1;
    double leading = 0;
    double rise = 0;
};

struct GraphicsState {
    QTransform ctm;
    TextState text;
};

struct Removal {
    fz_context* ctx;
    pdf_document* doc;
    const LineGlyphs& line;
    FontCache& fonts;
    std::vector<pdf_obj*> formsOpen; // the forms being read, against forms that draw themselves
};

// Reads content as a reader draws it and rewrites the operations that show glyphs of the line.
class Interpreter {
public:
    Interpreter(Removal& removal, pdf_obj* resources, const GraphicsState& state, XObjectNames& names)
        : m_r(removal), m_resources(resources), m_state(state), m_names(names) {}

    // The content with the line's glyphs taken out; none when it shows none of them. The state carries on
    // from one call to the next, as it does from one content stream of a page to the next.
    std::optional<QByteArray> run(const QByteArray& content) {
        QByteArray out;
        qsizetype copied = 0;
        bool changed = false;
        for (const ContentOperation& operation : contentOperations(content)) {
            const std::optional<QByteArray> replacement = perform(operation);
            if (!replacement)
                continue;
            out += content.mid(copied, operation.begin - copied);
            out += *replacement;
            copied = operation.end;
            changed = true;
        }
        if (!changed)
            return std::nullopt;
        out += content.mid(copied);
        return out;
    }

private:
    Removal& m_r;
    pdf_obj* m_resources;
    GraphicsState m_state;
    std::vector<GraphicsState> m_saved;
    QTransform m_tm;
    QTransform m_tlm;
    XObjectNames& m_names;

    static bool numbers(const ContentOperation& o, std::size_t count) {
        if (o.operands.size() < count)
            return false;
        for (std::size_t i = o.operands.size() - count; i < o.operands.size(); ++i) {
            if (o.operands[i].kind != ContentOperand::Kind::Number)
                return false;
        }
        return true;
    }
    // The i-th of the last `count` operands.
    static double number(const ContentOperation& o, std::size_t count, std::size_t i) {
        return o.operands[o.operands.size() - count + i].number;
    }
    static QTransform matrix(const ContentOperation& o) {
        return QTransform(number(o, 6, 0), number(o, 6, 1), number(o, 6, 2), number(o, 6, 3), number(o, 6, 4),
                          number(o, 6, 5));
    }

    void moveLine(double tx, double ty) {
        m_tlm = concatenated(translation(tx, ty), m_tlm);
        m_tm = m_tlm;
    }
    void nextLine() { moveLine(0, -m_state.text.leading); }

    // The replacement of an operation; none to keep it as it is.
    std::optional<QByteArray> perform(const ContentOperation& o) {
        TextState& text = m_state.text;
        const QByteArray& op = o.op;
        if (op == "q") {
            m_saved.push_back(m_state);
        } else if (op == "Q") {
            if (!m_saved.empty()) {
                m_state = m_saved.back();
                m_saved.pop_back();
            }
        } else if (op == "cm" && numbers(o, 6)) {
            m_state.ctm = concatenated(matrix(o), m_state.ctm);
        } else if (op == "BT") {
            m_tm = m_tlm = QTransform();
        } else if (op == "Tf" && numbers(o, 1) && o.operands.size() >= 2 &&
                   o.operands[o.operands.size() - 2].kind == ContentOperand::Kind::Name) {
            text.font = m_r.fonts.font(m_resources, o.operands[o.operands.size() - 2].bytes);
            text.size = number(o, 1, 0);
        } else if (op == "Tc" && numbers(o, 1)) {
            text.charSpacing = number(o, 1, 0);
        } else if (op == "Tw" && numbers(o, 1)) {
            text.wordSpacing = number(o, 1, 0);
        } else if (op == "Tz" && numbers(o, 1)) {
            text.scale = number(o, 1, 0) / 100;
        } else if (op == "TL" && numbers(o, 1)) {
            text.leading = number(o, 1, 0);
        } else if (op == "Ts" && numbers(o, 1)) {
            text.rise = number(o, 1, 0);
        } else if (op == "Td" && numbers(o, 2)) {
            moveLine(number(o, 2, 0), number(o, 2, 1));
        } else if (op == "TD" && numbers(o, 2)) {
            text.leading = -number(o, 2, 1);
            moveLine(number(o, 2, 0), number(o, 2, 1));
        } else if (op == "Tm" && numbers(o, 6)) {
            m_tm = m_tlm = matrix(o);
        } else if (op == "T*") {
            nextLine();
        } else if (op == "Tj" && !o.operands.empty()) {
            return shown(o.operands.back(), {});
        } else if (op == "TJ" && !o.operands.empty()) {
            return shown(o.operands.back(), {});
        } else if (op == "'" && !o.operands.empty()) {
            nextLine();
            return shown(o.operands.back(), "T* ");
        } else if (op == "\"" && o.operands.size() >= 3 &&
                   o.operands[o.operands.size() - 3].kind == ContentOperand::Kind::Number &&
                   o.operands[o.operands.size() - 2].kind == ContentOperand::Kind::Number) {
            text.wordSpacing = o.operands[o.operands.size() - 3].number;
            text.charSpacing = o.operands[o.operands.size() - 2].number;
            nextLine();
            return shown(o.operands.back(),
                         numberText(text.wordSpacing) + " Tw " + numberText(text.charSpacing) + " Tc T* ");
        } else if (op == "Do" && !o.operands.empty() &&
                   o.operands.back().kind == ContentOperand::Kind::Name) {
            return drawForm(o.operands.back().bytes);
        }
        return std::nullopt;
    }

    // Shows a string or the strings and numbers of an array, moving the pen as readers do. Returns the
    // operation that shows the same without the line's glyphs, `prefix` first, when it shows any of them.
    std::optional<QByteArray> shown(const ContentOperand& operand, const QByteArray& prefix) {
        std::vector<ContentOperand> single;
        const std::vector<ContentOperand>* items = &operand.items;
        if (operand.kind == ContentOperand::Kind::String)
            items = &(single = {operand});
        else if (operand.kind != ContentOperand::Kind::Array)
            return std::nullopt;
        TextState& text = m_state.text;
        if (!text.font)
            text.font = m_r.fonts.font(m_resources, {});
        pdf_font_desc* font = text.font;
        if (!font || !font->encoding)
            return std::nullopt;
        const bool vertical = font->wmode != 0;

        QByteArray array;
        QByteArray kept; // glyphs kept since the last number
        double room = 0; // the pen's move since the last glyph kept, as a number of the array
        bool removed = false;
        const auto keepRoom = [&] {
            if (room != 0)
                array += numberText(room) + ' ';
            room = 0;
        };
        const auto keepGlyphs = [&] {
            if (!kept.isEmpty())
                array += '<' + kept.toHex() + '>';
            kept.clear();
        };
        const auto move = [&](double along) {
            m_tm = concatenated(vertical ? translation(0, along) : translation(along * text.scale, 0), m_tm);
        };
        for (const ContentOperand& item : *items) {
            if (item.kind == ContentOperand::Kind::Number) {
                keepGlyphs();
                room += item.number;
                move(-item.number / 1000 * text.size);
                continue;
            }
            if (item.kind != ContentOperand::Kind::String)
                continue;
            const auto* bytes = reinterpret_cast<const unsigned char*>(item.bytes.constData());
            const auto* end = bytes + item.bytes.size();
            while (bytes < end) {
                unsigned int code = 0;
                const int length = std::max(pdf_decode_cmap(font->encoding, const_cast<unsigned char*>(bytes),
                                                            const_cast<unsigned char*>(end), &code),
                                            1);
                // A code the encoding does not map shows the font's first glyph.
                const int cid = std::max(pdf_lookup_cmap(font->encoding, code), 0);
                double width = 0;
                // Where the reading says the glyph stands, from the pen, in ems: a vertical glyph hangs from
                // its position vector, and is marked at the top of its em square.
                QPointF shift;
                if (vertical) {
                    const pdf_vmtx v = pdf_lookup_vmtx(m_r.ctx, font, cid);
                    width = v.w;
                    shift = QPointF(-v.x, 1000 - v.y) / 1000;
                } else {
                    width = pdf_lookup_hmtx(m_r.ctx, font, cid).w;
                }
                const double spacing = text.charSpacing + (length == 1 && code == 32 ? text.wordSpacing : 0);
                const QTransform toPage = concatenated(m_tm, m_state.ctm);
                const QPointF origin = mapped(
                    toPage, QPointF(shift.x() * text.size * text.scale, shift.y() * text.size + text.rise));
                const QPointF way =
                    mapped(toPage, vertical ? QPointF(0, -1) : QPointF(1, 0)) - mapped(toPage, QPointF());
                // A glyph of no size takes room that no number can give back: it stays.
                if (text.size != 0 && m_r.line.holds(origin, way)) {
                    keepGlyphs();
                    room -= width + spacing * 1000 / text.size;
                    removed = true;
                } else {
                    keepRoom();
                    kept.append(reinterpret_cast<const char*>(bytes), length);
                }
                move(width / 1000 * text.size + spacing);
                bytes += length;
            }
        }
        if (!removed)
            return std::nullopt;
        keepGlyphs();
        keepRoom();
        return prefix + '[' + array.trimmed() + "] TJ";
    }

    // Reads a form the content draws; when the line runs through it, a copy without the line's glyphs is
    // named for this place and drawn instead.
    std::optional<QByteArray> drawForm(const QByteArray& name) {
        fz_context* ctx = m_r.ctx;
        pdf_obj* form = nullptr;
        pdf_obj* ownResources = nullptr;
        fz_matrix matrix = fz_identity;
        const char* key = name.constData();
        pdf_obj* resources = m_resources;
        const Status found = guarded(ctx, [&] {
            pdf_obj* object = pdf_dict_gets(ctx, pdf_dict_get(ctx, resources, PDF_NAME(XObject)), key);
            if (pdf_is_stream(ctx, object) &&
                pdf_name_eq(ctx, pdf_dict_get(ctx, object, PDF_NAME(Subtype)), PDF_NAME(Form))) {
                form = object;
                matrix = pdf_dict_get_matrix(ctx, object, PDF_NAME(Matrix));
                ownResources = pdf_dict_get(ctx, object, PDF_NAME(Resources));
            }
        });
        if (!found || !form || int(m_r.formsOpen.size()) >= maxFormDepth ||
            std::find(m_r.formsOpen.begin(), m_r.formsOpen.end(), pdf_resolve_indirect(ctx, form)) !=
                m_r.formsOpen.end())
            return std::nullopt;
        const std::optional<QByteArray> content = streamBytes(ctx, form);
        if (!content)
            return std::nullopt;

        // A form without resources of its own draws with those of the place that draws it.
        pdf_obj* copiedResources = nullptr;
        XObjectNames ownNames([&]() -> pdf_obj* {
            pdf_obj* xobjects = nullptr;
            guarded(ctx, [&] {
                copiedResources = pdf_copy_dict(ctx, pdf_resolve_indirect(ctx, ownResources));
                pdf_obj* shared =
                    pdf_resolve_indirect(ctx, pdf_dict_get(ctx, copiedResources, PDF_NAME(XObject)));
                xobjects =
                    pdf_is_dict(ctx, shared) ? pdf_copy_dict(ctx, shared) : pdf_new_dict(ctx, m_r.doc, 1);
                pdf_dict_put_drop(ctx, copiedResources, PDF_NAME(XObject), xobjects);
            });
            return xobjects;
        });
        GraphicsState state = m_state;
        state.ctm =
            concatenated(QTransform(matrix.a, matrix.b, matrix.c, matrix.d, matrix.e, matrix.f), m_state.ctm);
        m_r.formsOpen.push_back(pdf_resolve_indirect(ctx, form));
        Interpreter inner(m_r, pdf_is_dict(ctx, ownResources) ? ownResources : m_resources, state,
                          pdf_is_dict(ctx, ownResources) ? ownNames : m_names);
        const std::optional<QByteArray> rewritten = inner.run(*content);
        m_r.formsOpen.pop_back();

        std::optional<QByteArray> replacement;
        if (rewritten) {
            pdf_obj* copy = newStream(ctx, m_r.doc, *rewritten, form);
            if (copy && copiedResources)
                guarded(ctx, [&] { pdf_dict_put(ctx, copy, PDF_NAME(Resources), copiedResources); });
            const QByteArray newName = copy ? m_names.add(ctx, copy) : QByteArray();
            if (!newName.isEmpty())
                replacement = '/' + newName + " Do";
            pdf_drop_obj(ctx, copy);
        }
        pdf_drop_obj(ctx, copiedResources);
        return replacement;
    }
};

} // namespace

Status Document::removeLine(int index, const TextLine& line) {
    Access a(*this);
    if (Status s = checkPage(a, index); !s)
        return s;
    fz_context* ctx = a.ctx;
    pdf_document* doc = a.doc();
    pdf_obj* page = nullptr;
    pdf_obj* resources = nullptr;
    pdf_obj* contents = nullptr;
    int count = 0;
    Status status = guarded(ctx, [&] {
        page = lookupPage(ctx, doc, index);
        // Kept while the page gets resources of its own, which may drop these.
        resources = pdf_keep_obj(ctx, pdf_dict_get_inheritable(ctx, page, PDF_NAME(Resources)));
        contents = pdf_keep_obj(ctx, pdf_dict_get(ctx, page, PDF_NAME(Contents)));
        count = pdf_is_array(ctx, contents) ? pdf_array_len(ctx, contents) : 1;
    });
    if (!status)
        return status;

    const LineGlyphs glyphs(line);
    FontCache fonts(ctx, doc);
    Removal removal{ctx, doc, glyphs, fonts, {}};
    XObjectNames names([&]() -> pdf_obj* {
        pdf_obj* xobjects = nullptr;
        guarded(ctx, [&] { xobjects = ownResourceDict(ctx, doc, page, PDF_NAME(XObject)); });
        return xobjects;
    });
    Interpreter interpreter(removal, pdf_resolve_indirect(ctx, resources), GraphicsState{}, names);
    // The streams that change, by their place in the page's list.
    std::vector<std::pair<int, pdf_obj*>> changed;
    for (int i = 0; i < count && status; ++i) {
        pdf_obj* stream = pdf_is_array(ctx, contents) ? pdf_array_get(ctx, contents, i) : contents;
        if (!pdf_is_stream(ctx, stream))
            continue;
        const std::optional<QByteArray> bytes = streamBytes(ctx, stream);
        if (!bytes) {
            status = Error{Error::Kind::Failed, QStringLiteral("The page's content cannot be read.")};
            break;
        }
        if (const std::optional<QByteArray> rewritten = interpreter.run(*bytes)) {
            pdf_obj* copy = newStream(ctx, doc, *rewritten, nullptr);
            if (!copy)
                status = Error{Error::Kind::Failed, QStringLiteral("The page's content cannot be written.")};
            else
                changed.emplace_back(i, copy);
        }
    }
    if (status && !changed.empty()) {
        status = guarded(ctx, [&] {
            if (!pdf_is_array(ctx, contents)) {
                pdf_dict_put(ctx, page, PDF_NAME(Contents), changed.front().second);
                return;
            }
            pdf_obj* list = pdf_copy_array(ctx, contents);
            pdf_dict_put_drop(ctx, page, PDF_NAME(Contents), list);
            for (std::size_t i = 0; i < changed.size(); ++i)
                pdf_array_put(ctx, list, changed[i].first, changed[i].second);
        });
    }
    for (const auto& [place, stream] : changed)
        pdf_drop_obj(ctx, stream);
    pdf_drop_obj(ctx, contents);
    pdf_drop_obj(ctx, resources);
    if (status)
        a.impl().revision++;
    return status;
}

} // namespace zepla::pdf
