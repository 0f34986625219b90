#include "PdfCarriedPages.h"

#include "PdfRawObject.h"

#include <algorithm>
#include <unordered_set>

namespace zepla::pdf {

namespace {

// The entry of a blank page that refers to what its file's bytes need, during a write. The page's version
// in the written file holds it; the appended section replaces that version.
constexpr const char* keptKey = "ZeplaKept";

// No more objects than this are carried for the pages: a page refers to a handful.
constexpr std::size_t maxUnparsed = 4096;

bool keepsEncryption(const Access& a, const SaveOptions& options) {
    switch (options.encryption) {
    case SaveOptions::Encryption::Keep:
        return true;
    case SaveOptions::Encryption::None:
        return !isEncryptedFile(a.ctx, a.doc());
    case SaveOptions::Encryption::Aes256:
        break;
    }
    return false;
}

struct Entry {
    char type = 0;
    int generation = 0;
    std::int64_t offset = -1;
};

Entry entryOf(const Access& a, int number) {
    Entry e;
    guarded(a.ctx, [&] {
        if (number <= 0 || number >= pdf_xref_len(a.ctx, a.doc()))
            return;
        const pdf_xref_entry* x = pdf_get_xref_entry_no_null(a.ctx, a.doc(), number);
        e = {x->type, x->type == 'n' ? x->gen : 0, x->ofs};
    });
    return e;
}

bool loads(const Access& a, int number) {
    pdf_obj* object = nullptr;
    const Status loaded = guarded(a.ctx, [&] { object = pdf_load_object(a.ctx, a.doc(), number); });
    pdf_drop_obj(a.ctx, object);
    return loaded.ok();
}

QByteArray reference(int number, int generation) {
    return QByteArray::number(number) + ' ' + QByteArray::number(generation) + " R";
}

} // namespace

CarriedPages CarriedPages::plan(const Access& a, const SaveOptions& options) {
    CarriedPages carried;
    const UnreadablePages& unreadable = a.impl().unreadablePages;
    if (unreadable.empty() || !keepsEncryption(a, options))
        return carried;
    int pages = 0;
    guarded(a.ctx, [&] { pages = pdf_count_pages(a.ctx, a.doc()); });
    const PageMap map(a.ctx, a.doc());
    std::unordered_set<int> seen;
    std::vector<int> pending;
    for (int i = 0; i < pages; ++i) {
        int number = 0, parent = 0, parentGeneration = 0;
        bool untouched = false;
        guarded(a.ctx, [&] {
            pdf_obj* page = lookupPage(a.ctx, a.doc(), i);
            number = pageObjectNumber(a.ctx, page);
            untouched = !pdf_dict_get(a.ctx, page, PDF_NAME(Annots)) &&
                        !pdf_dict_get(a.ctx, page, PDF_NAME(Contents));
            pdf_obj* up = pdf_dict_get(a.ctx, page, PDF_NAME(Parent));
            parent = pdf_to_num(a.ctx, up);
            parentGeneration = pdf_to_gen(a.ctx, up);
        });
        const auto found = unreadable.find(number);
        if (found == unreadable.end() || !untouched || parent <= 0)
            continue;
        const UnreadablePage& at = found->second;
        const QByteArray body = raw::objectBody(a.impl().fileBytes, at.offset, number, at.generation);
        if (body.isEmpty())
            continue;
        seen.insert(number);
        Page page{
            i,
            {number, at.generation, raw::withEntry(body, "/Parent", reference(parent, parentGeneration))},
            {},
            carried.m_unparsed.size()};
        // What the page refers to: MuPDF writes what it can read, the rest goes as the file holds it.
        pending = raw::references(page.object.body);
        while (!pending.empty() && carried.m_unparsed.size() < maxUnparsed) {
            const int n = pending.back();
            pending.pop_back();
            if (!seen.insert(n).second)
                continue;
            const Entry e = entryOf(a, n);
            if (e.type == 0 || e.type == 'f')
                continue;
            if (loads(a, n)) {
                page.kept.push_back(n);
                continue;
            }
            const QByteArray unparsed =
                e.type == 'n' ? raw::objectBody(a.impl().fileBytes, e.offset, n, e.generation) : QByteArray();
            if (unparsed.isEmpty())
                continue;
            carried.m_unparsed.push_back({n, e.generation, unparsed});
            for (int further : raw::references(unparsed))
                pending.push_back(further);
        }
        page.unparsedTo = carried.m_unparsed.size();
        carried.m_pages.push_back(std::move(page));
    }
    return carried;
}

bool CarriedPages::carries(int pageIndex) const {
    return std::any_of(m_pages.begin(), m_pages.end(), [&](const Page& p) { return p.index == pageIndex; });
}

void CarriedPages::holdReferences(const Access& a) const {
    for (const Page& page : m_pages) {
        if (page.kept.empty())
            continue;
        guarded(a.ctx, [&] {
            pdf_obj* blank = pdf_load_object(a.ctx, a.doc(), page.object.number);
            fz_try(a.ctx) {
                pdf_obj* list = pdf_new_array(a.ctx, a.doc(), int(page.kept.size()));
                pdf_dict_puts_drop(a.ctx, blank, keptKey, list);
                for (int number : page.kept)
                    pdf_array_push_drop(a.ctx, list, pdf_new_indirect(a.ctx, a.doc(), number, 0));
            }
            fz_always(a.ctx) {
                pdf_drop_obj(a.ctx, blank);
            }
            fz_catch(a.ctx) {
                fz_rethrow(a.ctx);
            }
        });
    }
}

void CarriedPages::releaseReferences(const Access& a) const {
    for (const Page& page : m_pages) {
        if (page.kept.empty())
            continue;
        guarded(a.ctx, [&] {
            pdf_obj* blank = pdf_load_object(a.ctx, a.doc(), page.object.number);
            pdf_dict_dels(a.ctx, blank, keptKey);
            pdf_drop_obj(a.ctx, blank);
        });
    }
}

void CarriedPages::appendTo(QByteArray& written) {
    if (m_pages.empty())
        return;
    const std::optional<raw::XrefTable> table = raw::lastXrefTable(written);
    if (!table) {
        m_pages.clear();
        return;
    }
    std::vector<std::pair<int, std::pair<std::int64_t, int>>> entries; // number, where, generation
    auto append = [&](const Object& object) {
        entries.push_back({object.number, {written.size(), object.generation}});
        written += QByteArray::number(object.number) + ' ' + QByteArray::number(object.generation) + " obj" +
                   object.body + "endobj\n";
    };
    // What MuPDF made of an object it could not parse (nothing, or null where the rest of the document
    // refers to it) gives way to the file's bytes of it.
    for (const Page& page : m_pages)
        append(page.object);
    for (const Object& object : m_unparsed)
        append(object);
    std::sort(entries.begin(), entries.end());
    std::size_t size = table->offsets.size();
    const std::int64_t xref = written.size();
    written += "xref\n";
    for (const auto& [number, where] : entries) {
        written += QByteArray::number(number) + " 1\n" +
                   QByteArray::number(where.first).rightJustified(10, '0') + ' ' +
                   QByteArray::number(where.second).rightJustified(5, '0') + " n \n";
        size = std::max(size, std::size_t(number) + 1);
    }
    QByteArray trailer = raw::withEntry(table->trailer, "/Size", QByteArray::number(qulonglong(size)));
    trailer = raw::withEntry(trailer, "/Prev", QByteArray::number(table->at));
    written += "trailer\n" + trailer + "\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
}

bool CarriedPages::isCarriedIn(const QByteArray& bytes, const Access& copy, int pageIndex) const {
    const auto page =
        std::find_if(m_pages.begin(), m_pages.end(), [&](const Page& p) { return p.index == pageIndex; });
    if (page == m_pages.end())
        return false;
    int number = 0;
    guarded(copy.ctx,
            [&] { number = pageObjectNumber(copy.ctx, lookupPage(copy.ctx, copy.doc(), pageIndex)); });
    const std::optional<raw::XrefTable> table = raw::lastXrefTable(bytes);
    auto written = [&](const Object& object) {
        const auto at = std::size_t(object.number);
        return table && at < table->offsets.size() &&
               raw::objectBody(bytes, table->offsets[at], object.number, object.generation) == object.body;
    };
    return number == page->object.number && written(page->object) &&
           std::all_of(m_unparsed.begin() + std::ptrdiff_t(page->unparsedFrom),
                       m_unparsed.begin() + std::ptrdiff_t(page->unparsedTo), written);
}

} // namespace zepla::pdf
