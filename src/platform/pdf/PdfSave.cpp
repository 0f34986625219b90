// Writing the whole file. Pages taken out of the page tree (kept by undo) must leave no trace in the
// bytes, yet stay intact in the live document so that undo can put them back and save again.
#include "PdfDocumentImpl.h"

#include <unordered_set>
#include <vector>

namespace zepla::pdf {

namespace {

// A reference to a page that is no longer in the page tree, blanked for the length of one save.
struct BlankedReference {
    pdf_obj* container; // a dictionary or an array
    pdf_obj* key;       // for dictionaries
    int index;          // for arrays
    pdf_obj* reference; // kept
};

// Where an object sits: a dictionary entry or an array slot.
struct Slot {
    pdf_obj* container = nullptr;
    pdf_obj* key = nullptr;
    int index = -1;
};

// Page objects that are not in the page tree but still referenced (from the outline, links, named
// destinations, annotations' page entries) would be written by a garbage-collecting save, content and all.
// Finds every reference to a page object outside the tree and blanks it; an inline destination that names
// such a page ([page /Fit]) is blanked as a whole, so readers see no destination rather than page one.
// Runs inside a MuPDF try block.
void blankReferencesToRemovedPages(fz_context* ctx, pdf_document* doc, std::vector<BlankedReference>& blanked) {
    std::unordered_set<int> livePages;
    const int count = pdf_count_pages(ctx, doc);
    for (int i = 0; i < count; ++i)
        livePages.insert(pdf_to_num(ctx, pdf_lookup_page_obj(ctx, doc, i)));

    struct Pending {
        pdf_obj* obj;
        Slot slot; // where `obj` sits, when it is written inline
    };
    std::unordered_set<int> visited;
    std::vector<Pending> pending{{pdf_trailer(ctx, doc), {}}};
    auto blank = [&](const Slot& slot, pdf_obj* value) {
        blanked.push_back({slot.container, slot.key, slot.index, pdf_keep_obj(ctx, value)});
    };
    auto consider = [&](const Pending& parent, const Slot& slot, pdf_obj* value) {
        if (!pdf_is_indirect(ctx, value)) {
            if (pdf_is_dict(ctx, value) || pdf_is_array(ctx, value))
                pending.push_back({value, slot});
            return;
        }
        const int num = pdf_to_num(ctx, value);
        if (visited.count(num))
            return;
        if (!livePages.count(num) && pdf_name_eq(ctx, pdf_dict_get(ctx, value, PDF_NAME(Type)), PDF_NAME(Page))) {
            const bool inlineDestination = slot.index == 0 && parent.slot.container;
            if (inlineDestination)
                blank(parent.slot, parent.obj);
            else
                blank(slot, value);
            return;
        }
        visited.insert(num);
        pending.push_back({value, {}});
    };
    while (!pending.empty()) {
        const Pending item = pending.back();
        pending.pop_back();
        if (pdf_is_dict(ctx, item.obj)) {
            const int n = pdf_dict_len(ctx, item.obj);
            for (int i = 0; i < n; ++i) {
                pdf_obj* key = pdf_dict_get_key(ctx, item.obj, i);
                consider(item, Slot{item.obj, key, -1}, pdf_dict_get_val(ctx, item.obj, i));
            }
        } else if (pdf_is_array(ctx, item.obj)) {
            const int n = pdf_array_len(ctx, item.obj);
            for (int i = 0; i < n; ++i)
                consider(item, Slot{item.obj, nullptr, i}, pdf_array_get(ctx, item.obj, i));
        }
    }
    for (const BlankedReference& b : blanked) {
        if (b.key)
            pdf_dict_put(ctx, b.container, b.key, PDF_NULL);
        else
            pdf_array_put(ctx, b.container, b.index, PDF_NULL);
    }
}

void restore(fz_context* ctx, std::vector<BlankedReference>& blanked) {
    for (const BlankedReference& b : blanked) {
        guarded(ctx, [&] {
            if (b.key)
                pdf_dict_put(ctx, b.container, b.key, b.reference);
            else
                pdf_array_put(ctx, b.container, b.index, b.reference);
        });
        pdf_drop_obj(ctx, b.reference);
    }
    blanked.clear();
}

} // namespace

Result<QByteArray> Document::save(const SaveOptions& options) const {
    Access a(*this);
    if (a.impl().locked())
        return lockedError();

    pdf_write_options opts = pdf_default_write_options;
    opts.do_garbage = 1; // drops unreachable objects; higher levels renumber the live document
    opts.do_compress = 1;
    opts.do_compress_images = 1;
    opts.do_compress_fonts = 1;
    switch (options.encryption) {
    case SaveOptions::Encryption::Keep: opts.do_encrypt = PDF_ENCRYPT_KEEP; break;
    case SaveOptions::Encryption::None: opts.do_encrypt = PDF_ENCRYPT_NONE; break;
    case SaveOptions::Encryption::Aes256: {
        const QByteArray user = options.userPassword.toUtf8();
        const QByteArray owner = options.ownerPassword.toUtf8();
        if (user.size() >= int(sizeof opts.upwd_utf8) || owner.size() >= int(sizeof opts.opwd_utf8))
            return Error{Error::Kind::Unsupported, QStringLiteral("The password is too long.")};
        opts.do_encrypt = PDF_ENCRYPT_AES_256;
        opts.permissions = PDF_PERM_PRINT | PDF_PERM_MODIFY | PDF_PERM_COPY | PDF_PERM_ANNOTATE | PDF_PERM_FORM |
                           PDF_PERM_ACCESSIBILITY | PDF_PERM_ASSEMBLE | PDF_PERM_PRINT_HQ;
        qstrncpy(opts.upwd_utf8, user.constData(), sizeof opts.upwd_utf8);
        qstrncpy(opts.opwd_utf8, owner.constData(), sizeof opts.opwd_utf8);
        break;
    }
    }

    std::vector<BlankedReference> blanked;
    fz_buffer* buffer = nullptr;
    fz_output* out = nullptr;
    // Writing with another encryption puts the new /Encrypt into the live document's trailer (or takes it
    // out). Left there, the next ordinary save would claim an encryption the file does not have, or drop the
    // one it has; so the trailer's own entry is put back afterwards.
    const bool changesEncryption = options.encryption != SaveOptions::Encryption::Keep;
    pdf_obj* ownEncryption = nullptr;
    const Status status = guarded(a.ctx, [&] {
        if (changesEncryption)
            ownEncryption = pdf_keep_obj(a.ctx, pdf_dict_get(a.ctx, pdf_trailer(a.ctx, a.doc()), PDF_NAME(Encrypt)));
        if (a.impl().pagesRemoved)
            blankReferencesToRemovedPages(a.ctx, a.doc(), blanked);
        buffer = fz_new_buffer(a.ctx, 64 * 1024);
        out = fz_new_output_with_buffer(a.ctx, buffer);
        pdf_write_document(a.ctx, a.doc(), out, &opts);
        fz_close_output(a.ctx, out);
    });
    restore(a.ctx, blanked);
    if (changesEncryption) {
        guarded(a.ctx, [&] {
            pdf_obj* trailer = pdf_trailer(a.ctx, a.doc());
            if (ownEncryption)
                pdf_dict_put(a.ctx, trailer, PDF_NAME(Encrypt), ownEncryption);
            else
                pdf_dict_del(a.ctx, trailer, PDF_NAME(Encrypt));
        });
        pdf_drop_obj(a.ctx, ownEncryption);
    }
    QByteArray bytes;
    if (status) {
        unsigned char* data = nullptr;
        const size_t size = fz_buffer_storage(a.ctx, buffer, &data);
        bytes = QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
    }
    fz_drop_output(a.ctx, out);
    fz_drop_buffer(a.ctx, buffer);
    if (!status)
        return Error{Error::Kind::Failed,
                     QStringLiteral("The document could not be written: %1").arg(status.error().message)};
    return bytes;
}

} // namespace zepla::pdf
