// A page's content as it stands kept, so that undo of an edit of the content shows the very same streams
// again.
#include "PdfDocumentImpl.h"

namespace zepla::pdf {

Result<PageContent> Document::keepPageContent(int index) {
    Access a(*this);
    if (Status s = checkPage(a, index); !s)
        return s.error();
    int number = 0;
    const Status status = guarded(a.ctx, [&] {
        pdf_obj* page = lookupPage(a.ctx, a.doc(), index);
        pdf_obj* kept = pdf_add_new_dict(a.ctx, a.doc(), 2);
        number = pdf_to_num(a.ctx, kept);
        pdf_dict_put_drop(a.ctx, kept, PDF_NAME(Contents),
                          pdf_deep_copy_obj(a.ctx, pdf_dict_get(a.ctx, page, PDF_NAME(Contents))));
        pdf_dict_put_drop(a.ctx, kept, PDF_NAME(Resources),
                          pdf_deep_copy_obj(a.ctx, pdf_dict_get(a.ctx, page, PDF_NAME(Resources))));
        pdf_drop_obj(a.ctx, kept);
    });
    if (!status)
        return status.error();
    return PageContent(number);
}

Status Document::setPageContent(int index, const PageContent& content) {
    Access a(*this);
    if (Status s = checkPage(a, index); !s)
        return s;
    if (content.isNull())
        return Error{Error::Kind::Failed, QStringLiteral("There is no page content to put back.")};
    const Status status = guarded(a.ctx, [&] {
        pdf_obj* page = lookupPage(a.ctx, a.doc(), index);
        pdf_obj* kept = pdf_load_object(a.ctx, a.doc(), content.m_object);
        for (pdf_obj* key : {PDF_NAME(Contents), PDF_NAME(Resources)}) {
            pdf_obj* value = pdf_dict_get(a.ctx, kept, key);
            if (value)
                pdf_dict_put_drop(a.ctx, page, key, pdf_deep_copy_obj(a.ctx, value));
            else
                pdf_dict_del(a.ctx, page, key);
        }
        pdf_drop_obj(a.ctx, kept);
    });
    if (status)
        a.impl().revision++;
    return status;
}

} // namespace zepla::pdf
