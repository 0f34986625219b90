// Copying pages between documents, with their annotations and with form fields that keep working.
// MuPDF's page grafting copies the page content and resources; annotations are copied here.
#include "PdfDocumentImpl.h"

#include <unordered_map>

namespace zepla::pdf {

namespace {

// Keys that tie an annotation to its old page or to objects on other pages; copying them would drag those
// pages (and through their parents, the whole source document) along.
bool linksElsewhere(fz_context* ctx, pdf_obj* key) {
    return pdf_name_eq(ctx, key, PDF_NAME(P)) || pdf_name_eq(ctx, key, PDF_NAME(Parent)) ||
           pdf_name_eq(ctx, key, PDF_NAME(Popup)) || pdf_name_eq(ctx, key, PDF_NAME(IRT));
}

// How far up a field's parents are followed.
constexpr int maxFieldDepth = 32;

// A widget and its parent fields, nearest first, each once: damaged files hold fields that are their own
// parent or each other's. Returns how many of `chain` are filled. Inside a MuPDF try block.
int fieldChain(fz_context* ctx, pdf_obj* widget, pdf_obj* (&chain)[maxFieldDepth]) {
    int length = 0;
    for (pdf_obj* field = widget; length < maxFieldDepth && pdf_is_dict(ctx, field);
         field = pdf_dict_get(ctx, field, PDF_NAME(Parent))) {
        for (int i = 0; i < length; ++i)
            if (!pdf_objcmp(ctx, chain[i], field))
                return length;
        chain[length++] = field;
    }
    return length;
}

// Field attributes a widget inherits from its parent fields; the copy carries them itself.
void flattenInheritedFieldKeys(fz_context* ctx, pdf_obj* widget, pdf_obj* copy) {
    static pdf_obj* const inheritable[] = {PDF_NAME(FT), PDF_NAME(V), PDF_NAME(DV), PDF_NAME(Ff),
                                           PDF_NAME(DA), PDF_NAME(Q), PDF_NAME(Opt)};
    pdf_obj* chain[maxFieldDepth];
    const int length = fieldChain(ctx, widget, chain);
    for (int i = 0; i < length; ++i) {
        for (pdf_obj* key : inheritable) {
            if (!pdf_dict_get(ctx, copy, key) && pdf_dict_get(ctx, chain[i], key))
                pdf_dict_put(ctx, copy, key, pdf_dict_get(ctx, chain[i], key));
        }
    }
    // The fully qualified name, so the copied field is still known by the name its form gave it.
    char name[512] = "";
    for (int i = 0; i < length; ++i) {
        const char* part = pdf_dict_get_text_string(ctx, chain[i], PDF_NAME(T));
        if (!*part)
            continue;
        char joined[512];
        fz_snprintf(joined, sizeof joined, *name ? "%s.%s" : "%s%s", part, name);
        fz_strlcpy(name, joined, sizeof name);
    }
    if (*name)
        pdf_dict_put_text_string(ctx, copy, PDF_NAME(T), name);
}

// The target's form "Fields" array, made when missing, with default resources taken from the source form
// so viewers can draw the fields' values. Runs inside a MuPDF try block.
pdf_obj* formFields(fz_context* ctx, pdf_graft_map* map, pdf_document* target, pdf_document* source) {
    pdf_obj* root = pdf_dict_get(ctx, pdf_trailer(ctx, target), PDF_NAME(Root));
    pdf_obj* form = pdf_dict_get(ctx, root, PDF_NAME(AcroForm));
    if (!pdf_is_dict(ctx, form))
        form = pdf_dict_put_dict(ctx, root, PDF_NAME(AcroForm), 4);
    pdf_obj* sourceForm =
        pdf_dict_get(ctx, pdf_dict_get(ctx, pdf_trailer(ctx, source), PDF_NAME(Root)), PDF_NAME(AcroForm));
    if (!pdf_dict_get(ctx, form, PDF_NAME(DR)) && pdf_dict_get(ctx, sourceForm, PDF_NAME(DR)))
        pdf_dict_put_drop(ctx, form, PDF_NAME(DR),
                          pdf_graft_mapped_object(ctx, map, pdf_dict_get(ctx, sourceForm, PDF_NAME(DR))));
    if (!pdf_dict_get(ctx, form, PDF_NAME(DA)) && pdf_dict_get(ctx, sourceForm, PDF_NAME(DA)))
        pdf_dict_put(ctx, form, PDF_NAME(DA), pdf_dict_get(ctx, sourceForm, PDF_NAME(DA)));
    pdf_obj* fields = pdf_dict_get(ctx, form, PDF_NAME(Fields));
    if (!pdf_is_array(ctx, fields))
        fields = pdf_dict_put_array(ctx, form, PDF_NAME(Fields), 4);
    return fields;
}

// Source page object numbers mapped to the object numbers of the copies made in this call.
using CopiedPages = std::unordered_map<int, int>;

// A destination for the target document: its page replaced by that page's copy, or null when the page was
// not copied. Grafting the destination as it stands would copy its page, and through the page's parent the
// whole source document, into the target. Runs inside a MuPDF try block; returns a new reference or null.
pdf_obj* copyDestination(fz_context* ctx, pdf_graft_map* map, pdf_document* target, pdf_document* source,
                         const CopiedPages& pages, pdf_obj* dest) {
    if (pdf_is_name(ctx, dest) || pdf_is_string(ctx, dest))
        dest = pdf_lookup_dest(ctx, source, dest); // the name means nothing in the target
    if (pdf_is_dict(ctx, dest))
        dest = pdf_dict_get(ctx, dest, PDF_NAME(D));
    if (!pdf_is_array(ctx, dest) || pdf_array_len(ctx, dest) == 0)
        return nullptr;
    pdf_obj* page = pdf_array_get(ctx, dest, 0);
    const auto copy = pages.find(pdf_to_num(ctx, page));
    if (!pdf_is_int(ctx, page) && copy == pages.end())
        return nullptr;
    const int n = pdf_array_len(ctx, dest);
    pdf_obj* result = pdf_new_array(ctx, target, n);
    if (pdf_is_int(ctx, page))
        pdf_array_push(ctx, result, page);
    else
        pdf_array_push_drop(ctx, result, pdf_new_indirect(ctx, target, copy->second, 0));
    for (int i = 1; i < n; ++i)
        pdf_array_push_drop(ctx, result, pdf_graft_mapped_object(ctx, map, pdf_array_get(ctx, dest, i)));
    return result;
}

// An action for the target document: a go-to keeps its destination only when its page was copied; other
// actions are copied whole but for the chained actions, which could lead anywhere in the source.
pdf_obj* copyAction(fz_context* ctx, pdf_graft_map* map, pdf_document* target, pdf_document* source,
                    const CopiedPages& pages, pdf_obj* action) {
    if (!pdf_is_dict(ctx, action))
        return nullptr;
    if (pdf_name_eq(ctx, pdf_dict_get(ctx, action, PDF_NAME(S)), PDF_NAME(GoTo))) {
        pdf_obj* dest =
            copyDestination(ctx, map, target, source, pages, pdf_dict_get(ctx, action, PDF_NAME(D)));
        if (!dest)
            return nullptr;
        pdf_obj* result = pdf_new_dict(ctx, target, 2);
        pdf_dict_put_name(ctx, result, PDF_NAME(S), "GoTo");
        pdf_dict_put_drop(ctx, result, PDF_NAME(D), dest);
        return result;
    }
    const int keys = pdf_dict_len(ctx, action);
    pdf_obj* result = pdf_new_dict(ctx, target, keys);
    for (int k = 0; k < keys; ++k) {
        pdf_obj* key = pdf_dict_get_key(ctx, action, k);
        if (!pdf_name_eq(ctx, key, PDF_NAME(Next)))
            pdf_dict_put_drop(ctx, result, key,
                              pdf_graft_mapped_object(ctx, map, pdf_dict_get_val(ctx, action, k)));
    }
    return result;
}

// The value of one annotation entry for the copy, or null to leave the entry out.
pdf_obj* copyEntry(fz_context* ctx, pdf_graft_map* map, pdf_document* target, pdf_document* source,
                   const CopiedPages& pages, pdf_obj* key, pdf_obj* value) {
    if (pdf_name_eq(ctx, key, PDF_NAME(Dest)))
        return copyDestination(ctx, map, target, source, pages, value);
    if (pdf_name_eq(ctx, key, PDF_NAME(A)))
        return copyAction(ctx, map, target, source, pages, value);
    return pdf_graft_mapped_object(ctx, map, value);
}

// Copies the annotations of a source page onto the copied page: each becomes an object of the target that
// points at its new page; widgets become fields of the target's form in their own right. Runs inside a
// MuPDF try block.
void copyAnnotations(fz_context* ctx, pdf_graft_map* map, pdf_document* target, pdf_document* source,
                     const CopiedPages& pages, pdf_obj* sourcePage, pdf_obj* page) {
    pdf_obj* annots = pdf_dict_get(ctx, sourcePage, PDF_NAME(Annots));
    const int n = pdf_array_len(ctx, annots);
    if (n == 0)
        return;
    pdf_obj* copies = pdf_dict_put_array(ctx, page, PDF_NAME(Annots), n);
    pdf_obj* fields = nullptr;
    for (int i = 0; i < n; ++i) {
        pdf_obj* annot = pdf_array_get(ctx, annots, i);
        if (!pdf_is_dict(ctx, annot) ||
            pdf_name_eq(ctx, pdf_dict_get(ctx, annot, PDF_NAME(Subtype)), PDF_NAME(Popup)))
            continue;
        pdf_obj* copy = pdf_add_new_dict(ctx, target, pdf_dict_len(ctx, annot));
        pdf_array_push_drop(ctx, copies, copy);
        const int keys = pdf_dict_len(ctx, annot);
        for (int k = 0; k < keys; ++k) {
            pdf_obj* key = pdf_dict_get_key(ctx, annot, k);
            if (linksElsewhere(ctx, key))
                continue;
            if (pdf_obj* value =
                    copyEntry(ctx, map, target, source, pages, key, pdf_dict_get_val(ctx, annot, k)))
                pdf_dict_put_drop(ctx, copy, key, value);
        }
        pdf_dict_put(ctx, copy, PDF_NAME(P), page);
        if (pdf_name_eq(ctx, pdf_dict_get(ctx, annot, PDF_NAME(Subtype)), PDF_NAME(Widget))) {
            flattenInheritedFieldKeys(ctx, annot, copy);
            if (!fields)
                fields = formFields(ctx, map, target, source);
            pdf_array_push(ctx, fields, copy);
        }
    }
}

} // namespace

std::vector<PageHandle> Document::copyPages(Document& source, const std::vector<int>& indices, int at,
                                            int* failures) {
    std::vector<PageHandle> copied;
    int failed = 0;
    Access from(source);
    Access to(*this);
    if (from.impl().locked() || to.impl().locked()) {
        if (failures)
            *failures = int(indices.size());
        return copied;
    }
    const int sourceCount = source.pageCount();
    int insertAt = std::clamp(at, 0, pageCount());
    pdf_graft_map* map = nullptr;
    guarded(to.ctx, [&] { map = pdf_new_graft_map(to.ctx, to.doc()); });
    std::vector<std::pair<int, int>> placed; // source index, target index
    for (int index : indices) {
        if (!map || index < 0 || index >= sourceCount) {
            ++failed;
            continue;
        }
        const Status status =
            guarded(to.ctx, [&] { pdf_graft_mapped_page(to.ctx, map, insertAt, from.doc(), index); });
        if (!status) {
            ++failed;
            continue;
        }
        placed.emplace_back(index, insertAt);
        ++insertAt;
    }
    // Annotations come once every page is in, so links between copied pages can point at the copies.
    CopiedPages pages;
    for (const auto& [sourceIndex, targetIndex] : placed) {
        int sourceNumber = 0, targetNumber = 0;
        guarded(to.ctx, [&] {
            sourceNumber = pageObjectNumber(from.ctx, lookupPage(from.ctx, from.doc(), sourceIndex));
            targetNumber = pageObjectNumber(to.ctx, lookupPage(to.ctx, to.doc(), targetIndex));
        });
        pages[sourceNumber] = targetNumber;
    }
    for (const auto& [sourceIndex, targetIndex] : placed) {
        // The page is in; annotations that cannot be copied leave it as the page content alone.
        guarded(to.ctx, [&] {
            copyAnnotations(to.ctx, map, to.doc(), from.doc(), pages,
                            lookupPage(from.ctx, from.doc(), sourceIndex),
                            lookupPage(to.ctx, to.doc(), targetIndex));
        });
        copied.push_back(page(targetIndex));
    }
    pdf_drop_graft_map(to.ctx, map);
    if (!copied.empty())
        to.impl().revision++;
    if (failures)
        *failures = failed;
    return copied;
}

} // namespace zepla::pdf
