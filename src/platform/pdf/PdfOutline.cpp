// The outline (bookmarks): read entry by entry, so one bad destination spoils only its own entry, and
// written as a fresh outline tree.
#include "PdfDocumentImpl.h"

#include <unordered_set>

namespace zepla::pdf {

namespace {

// What one outline entry says, read from its dictionary. Plain data, so it can be filled inside a MuPDF
// try block.
struct EntryFields {
    const char* title = "";
    const char* uri = nullptr;
    int pageIndex = -1;
    int count = 0;
    pdf_obj* first = nullptr;
    pdf_obj* next = nullptr;
};

// The page an explicit or named destination names, or -1 (a page no longer in the page tree included).
int destinationPage(fz_context* ctx, pdf_document* doc, pdf_obj* dest) {
    if (pdf_is_name(ctx, dest) || pdf_is_string(ctx, dest))
        dest = pdf_lookup_dest(ctx, doc, dest);
    if (pdf_is_dict(ctx, dest))
        dest = pdf_dict_get(ctx, dest, PDF_NAME(D));
    pdf_obj* page = pdf_array_get(ctx, dest, 0);
    if (pdf_is_int(ctx, page))
        return pdf_to_int(ctx, page);
    return pdf_is_dict(ctx, page) ? pdf_lookup_page_number(ctx, doc, page) : -1;
}

EntryFields readEntry(fz_context* ctx, pdf_document* doc, pdf_obj* entry) {
    EntryFields f;
    f.title = pdf_dict_get_text_string(ctx, entry, PDF_NAME(Title));
    f.count = pdf_dict_get_int(ctx, entry, PDF_NAME(Count));
    f.first = pdf_dict_get(ctx, entry, PDF_NAME(First));
    f.next = pdf_dict_get(ctx, entry, PDF_NAME(Next));
    pdf_obj* dest = pdf_dict_get(ctx, entry, PDF_NAME(Dest));
    pdf_obj* action = pdf_dict_get(ctx, entry, PDF_NAME(A));
    if (!dest && pdf_name_eq(ctx, pdf_dict_get(ctx, action, PDF_NAME(S)), PDF_NAME(GoTo)))
        dest = pdf_dict_get(ctx, action, PDF_NAME(D));
    if (pdf_name_eq(ctx, pdf_dict_get(ctx, action, PDF_NAME(S)), PDF_NAME(URI)))
        f.uri = pdf_dict_get_text_string(ctx, action, PDF_NAME(URI));
    if (dest) {
        // A destination that cannot be resolved leaves the entry without a page, not the outline empty.
        fz_try(ctx) {
            f.pageIndex = destinationPage(ctx, doc, dest);
        }
        fz_catch(ctx) {
            f.pageIndex = -1;
        }
    }
    return f;
}

// Reads a level of the outline tree. Damaged files can hold cycles and absurd depths: every entry is read
// once, and the depth is bounded.
std::vector<OutlineItem> readLevel(fz_context* ctx, pdf_document* doc, pdf_obj* first, int depth,
                                   std::unordered_set<int>& seen) {
    std::vector<OutlineItem> items;
    constexpr int maxDepth = 64;
    for (pdf_obj* entry = first; entry && depth < maxDepth;) {
        const int number = pdf_to_num(ctx, entry);
        if (number > 0 && !seen.insert(number).second)
            break;
        EntryFields f;
        if (!guarded(ctx, [&] { f = readEntry(ctx, doc, entry); }))
            break;
        OutlineItem item;
        item.title = QString::fromUtf8(f.title);
        item.uri = f.uri ? QString::fromUtf8(f.uri) : QString();
        item.pageIndex = f.uri ? -1 : f.pageIndex;
        item.isOpen = f.count > 0;
        item.children = readLevel(ctx, doc, f.first, depth + 1, seen);
        items.push_back(std::move(item));
        entry = f.next;
    }
    return items;
}

int visibleCount(const std::vector<OutlineItem>& items) {
    int count = 0;
    for (const OutlineItem& item : items)
        count += 1 + (item.isOpen ? visibleCount(item.children) : 0);
    return count;
}

// An outline entry with its texts made ready before entering MuPDF, so no C++ object is created inside a
// try block.
struct PreparedItem {
    QByteArray title;
    QByteArray uri;
    int pageIndex;
    int count; // /Count: the visible descendants, negative when closed
    std::vector<PreparedItem> children;
};

std::vector<PreparedItem> prepare(const std::vector<OutlineItem>& items) {
    std::vector<PreparedItem> prepared;
    for (const OutlineItem& item : items) {
        const int n = visibleCount(item.children);
        prepared.push_back({item.title.toUtf8(), item.uri.toUtf8(), item.pageIndex, item.isOpen ? n : -n,
                            prepare(item.children)});
    }
    return prepared;
}

// Builds the entries of one level under `parent`. Runs inside a MuPDF try block.
void writeLevel(fz_context* ctx, pdf_document* doc, pdf_obj* parent, const std::vector<PreparedItem>& items) {
    pdf_obj* previous = nullptr;
    for (const PreparedItem& item : items) {
        pdf_obj* entry = pdf_add_new_dict(ctx, doc, 8);
        pdf_dict_put_text_string(ctx, entry, PDF_NAME(Title), item.title.constData());
        pdf_dict_put(ctx, entry, PDF_NAME(Parent), parent);
        const int pages = pdf_count_pages(ctx, doc);
        if (!item.uri.isEmpty()) {
            pdf_obj* action = pdf_dict_put_dict(ctx, entry, PDF_NAME(A), 2);
            pdf_dict_put_name(ctx, action, PDF_NAME(S), "URI");
            pdf_dict_put_string(ctx, action, PDF_NAME(URI), item.uri.constData(), size_t(item.uri.size()));
        } else if (item.pageIndex >= 0 && item.pageIndex < pages) {
            // The top left corner of what the page shows, so every reader lands at the top of the page.
            pdf_obj* page = lookupPage(ctx, doc, item.pageIndex);
            pdf_obj* box = pdf_dict_get_inheritable(ctx, page, PDF_NAME(CropBox));
            const fz_rect shown =
                pdf_to_rect(ctx, box ? box : pdf_dict_get_inheritable(ctx, page, PDF_NAME(MediaBox)));
            pdf_obj* dest = pdf_dict_put_array(ctx, entry, PDF_NAME(Dest), 5);
            pdf_array_push(ctx, dest, page);
            pdf_array_push_name(ctx, dest, "XYZ");
            pdf_array_push_real(ctx, dest, shown.x0);
            pdf_array_push_real(ctx, dest, shown.y1);
            pdf_array_push(ctx, dest, PDF_NULL);
        }
        if (previous) {
            pdf_dict_put(ctx, previous, PDF_NAME(Next), entry);
            pdf_dict_put(ctx, entry, PDF_NAME(Prev), previous);
        } else {
            pdf_dict_put(ctx, parent, PDF_NAME(First), entry);
        }
        if (!item.children.empty()) {
            writeLevel(ctx, doc, entry, item.children);
            pdf_dict_put_int(ctx, entry, PDF_NAME(Count), item.count);
        }
        pdf_dict_put(ctx, parent, PDF_NAME(Last), entry);
        pdf_drop_obj(ctx, previous);
        previous = entry;
    }
    pdf_drop_obj(ctx, previous);
}

} // namespace

std::vector<OutlineItem> Document::outline() const {
    Access a(*this);
    if (a.impl().locked())
        return {};
    pdf_obj* first = nullptr;
    guarded(a.ctx, [&] {
        pdf_obj* root = pdf_dict_get(a.ctx, pdf_trailer(a.ctx, a.doc()), PDF_NAME(Root));
        first = pdf_dict_get(a.ctx, pdf_dict_get(a.ctx, root, PDF_NAME(Outlines)), PDF_NAME(First));
    });
    std::unordered_set<int> seen;
    return readLevel(a.ctx, a.doc(), first, 0, seen);
}

Status Document::setOutline(const std::vector<OutlineItem>& items) {
    Access a(*this);
    if (a.impl().locked())
        return lockedError();
    const std::vector<PreparedItem> prepared = prepare(items);
    const int visible = visibleCount(items);
    const Status status = guarded(a.ctx, [&] {
        pdf_obj* root = pdf_dict_get(a.ctx, pdf_trailer(a.ctx, a.doc()), PDF_NAME(Root));
        pdf_dict_del(a.ctx, root, PDF_NAME(Outlines));
        pdf_obj* outlines = pdf_add_new_dict(a.ctx, a.doc(), 4);
        pdf_dict_put_drop(a.ctx, root, PDF_NAME(Outlines), outlines);
        pdf_dict_put_name(a.ctx, outlines, PDF_NAME(Type), "Outlines");
        // Without items the root stays, empty: the document has an outline with no entries.
        writeLevel(a.ctx, a.doc(), outlines, prepared);
        pdf_dict_put_int(a.ctx, outlines, PDF_NAME(Count), visible);
    });
    if (status)
        a.impl().revision++;
    return status;
}

} // namespace zepla::pdf
