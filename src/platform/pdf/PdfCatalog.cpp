#include "PdfCatalog.h"

#include "PdfDocumentImpl.h"

namespace zepla::pdf {

int catalogObject(const Document& document, const QByteArray& key) {
    Access a(document);
    if (a.impl().locked())
        return 0;
    int number = 0;
    guarded(a.ctx, [&] {
        pdf_obj* root = pdf_dict_get(a.ctx, pdf_trailer(a.ctx, a.doc()), PDF_NAME(Root));
        pdf_obj* entry = pdf_dict_gets(a.ctx, root, key.constData());
        if (pdf_is_indirect(a.ctx, entry))
            number = pdf_to_num(a.ctx, entry);
    });
    return number;
}

Status setCatalogObject(Document& document, const QByteArray& key, int number) {
    Access a(document);
    if (a.impl().locked())
        return lockedError();
    const Status status = guarded(a.ctx, [&] {
        pdf_obj* root = pdf_dict_get(a.ctx, pdf_trailer(a.ctx, a.doc()), PDF_NAME(Root));
        if (number > 0 && number < pdf_xref_len(a.ctx, a.doc()))
            pdf_dict_puts_drop(a.ctx, root, key.constData(), pdf_new_indirect(a.ctx, a.doc(), number, 0));
        else
            pdf_dict_dels(a.ctx, root, key.constData());
    });
    if (status)
        a.impl().revision++;
    return status;
}

} // namespace zepla::pdf
