// The outline (bookmarks): read through MuPDF, written as a fresh outline tree.
#include "PdfDocumentImpl.h"

namespace zepla::pdf {

namespace {

std::vector<OutlineItem> convert(fz_context* ctx, fz_document* doc, fz_outline* node) {
    std::vector<OutlineItem> items;
    for (; node; node = node->next) {
        OutlineItem item;
        item.title = QString::fromUtf8(node->title);
        item.isOpen = node->is_open != 0;
        if (node->uri && fz_is_external_link(ctx, node->uri))
            item.uri = QString::fromUtf8(node->uri);
        else if (node->uri && node->page.page >= 0) // an entry without a destination has no uri
            item.pageIndex = fz_page_number_from_location(ctx, doc, node->page);
        item.children = convert(ctx, doc, node->down);
        items.push_back(std::move(item));
    }
    return items;
}

int visibleCount(const std::vector<OutlineItem>& items) {
    int count = 0;
    for (const OutlineItem& item : items)
        count += 1 + (item.isOpen ? visibleCount(item.children) : 0);
    return count;
}

// Builds the entries of one level under `parent`. Runs inside a MuPDF try block.
void writeLevel(fz_context* ctx, pdf_document* doc, pdf_obj* parent, const std::vector<OutlineItem>& items) {
    pdf_obj* previous = nullptr;
    for (const OutlineItem& item : items) {
        pdf_obj* entry = pdf_add_new_dict(ctx, doc, 8);
        pdf_dict_put_text_string(ctx, entry, PDF_NAME(Title), item.title.toUtf8().constData());
        pdf_dict_put(ctx, entry, PDF_NAME(Parent), parent);
        const int pages = pdf_count_pages(ctx, doc);
        if (!item.uri.isEmpty()) {
            pdf_obj* action = pdf_dict_put_dict(ctx, entry, PDF_NAME(A), 2);
            pdf_dict_put_name(ctx, action, PDF_NAME(S), "URI");
            pdf_dict_put_string(ctx, action, PDF_NAME(URI), item.uri.toUtf8().constData(),
                                size_t(item.uri.toUtf8().size()));
        } else if (item.pageIndex >= 0 && item.pageIndex < pages) {
            pdf_obj* dest = pdf_dict_put_array(ctx, entry, PDF_NAME(Dest), 2);
            pdf_array_push(ctx, dest, pdf_lookup_page_obj(ctx, doc, item.pageIndex));
            pdf_array_push_name(ctx, dest, "Fit");
        }
        if (previous) {
            pdf_dict_put(ctx, previous, PDF_NAME(Next), entry);
            pdf_dict_put(ctx, entry, PDF_NAME(Prev), previous);
        } else {
            pdf_dict_put(ctx, parent, PDF_NAME(First), entry);
        }
        if (!item.children.empty()) {
            writeLevel(ctx, doc, entry, item.children);
            const int n = visibleCount(item.children);
            pdf_dict_put_int(ctx, entry, PDF_NAME(Count), item.isOpen ? n : -n);
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
    fz_outline* root = nullptr;
    guarded(a.ctx, [&] { root = fz_load_outline(a.ctx, reinterpret_cast<fz_document*>(a.doc())); });
    std::vector<OutlineItem> items;
    guarded(a.ctx, [&] { items = convert(a.ctx, reinterpret_cast<fz_document*>(a.doc()), root); });
    fz_drop_outline(a.ctx, root);
    return items;
}

Status Document::setOutline(const std::vector<OutlineItem>& items) {
    Access a(*this);
    if (a.impl().locked())
        return lockedError();
    const Status status = guarded(a.ctx, [&] {
        pdf_obj* root = pdf_dict_get(a.ctx, pdf_trailer(a.ctx, a.doc()), PDF_NAME(Root));
        pdf_dict_del(a.ctx, root, PDF_NAME(Outlines));
        if (items.empty())
            return;
        pdf_obj* outlines = pdf_add_new_dict(a.ctx, a.doc(), 4);
        pdf_dict_put_drop(a.ctx, root, PDF_NAME(Outlines), outlines);
        pdf_dict_put_name(a.ctx, outlines, PDF_NAME(Type), "Outlines");
        writeLevel(a.ctx, a.doc(), outlines, items);
        pdf_dict_put_int(a.ctx, outlines, PDF_NAME(Count), visibleCount(items));
    });
    if (status)
        a.impl().revision++;
    return status;
}

} // namespace zepla::pdf
