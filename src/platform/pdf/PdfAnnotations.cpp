// Annotations of a page as the objects of its annotation array: listing, taking off, putting back.
// Taking off only unlinks the object, so putting back restores the very same annotation.
#include "PageTurn.h"
#include "PdfDocumentImpl.h"

namespace zepla::pdf {

namespace {

constexpr int noRotateFlag = 16;

// The page's annotation array, or null. Throws through MuPDF on a bad index.
pdf_obj* annotsOf(fz_context* ctx, pdf_document* doc, int pageIndex) {
    return pdf_dict_get(ctx, lookupPage(ctx, doc, pageIndex), PDF_NAME(Annots));
}

int findInArray(fz_context* ctx, pdf_obj* array, int objectNumber) {
    const int n = pdf_array_len(ctx, array);
    for (int i = 0; i < n; ++i) {
        if (pdf_to_num(ctx, pdf_array_get(ctx, array, i)) == objectNumber)
            return i;
    }
    return -1;
}

} // namespace

Result<std::vector<AnnotationInfo>> Document::annotations(int pageIndex) const {
    Access a(*this);
    if (Status s = checkPage(a, pageIndex); !s)
        return s.error();
    std::vector<AnnotationInfo> result;
    pdf_obj* annots = nullptr;
    int count = 0;
    int rotation = 0;
    Status status = guarded(a.ctx, [&] {
        pdf_obj* page = lookupPage(a.ctx, a.doc(), pageIndex);
        annots = pdf_dict_get(a.ctx, page, PDF_NAME(Annots));
        count = pdf_array_len(a.ctx, annots);
        rotation = pdf_to_int(a.ctx, pdf_dict_get_inheritable(a.ctx, page, PDF_NAME(Rotate)));
    });
    for (int i = 0; status && i < count; ++i) {
        int number = 0;
        const char* subtype = nullptr;
        const char* contents = nullptr;
        fz_rect rect{};
        int flags = 0;
        status = guarded(a.ctx, [&] {
            pdf_obj* annot = pdf_array_get(a.ctx, annots, i);
            number = pdf_to_num(a.ctx, annot);
            flags = pdf_dict_get_int(a.ctx, annot, PDF_NAME(F));
            subtype = pdf_to_name(a.ctx, pdf_dict_get(a.ctx, annot, PDF_NAME(Subtype)));
            contents = pdf_to_text_string(a.ctx, pdf_dict_get(a.ctx, annot, PDF_NAME(Contents)));
            rect = pdf_to_rect(a.ctx, pdf_dict_get(a.ctx, annot, PDF_NAME(Rect)));
        });
        // Annotations written inline (not as objects of their own) have no identity to keep; leave them be.
        if (status && number > 0) {
            // Where it shows: an annotation that keeps upright is turned about its corner on a turned page.
            const QRectF shown =
                flags & noRotateFlag ? noRotateShownBox(toQRect(rect), rotation) : toQRect(rect);
            result.push_back(AnnotationInfo{AnnotationHandle(number), QString::fromUtf8(subtype), shown,
                                            QString::fromUtf8(contents)});
        }
    }
    if (!status)
        return status.error();
    return result;
}

Result<int> Document::removeAnnotation(int pageIndex, const AnnotationHandle& annotation) {
    Access a(*this);
    if (Status s = checkPage(a, pageIndex); !s)
        return s.error();
    int position = -1;
    const Status status = guarded(a.ctx, [&] {
        pdf_obj* annots = annotsOf(a.ctx, a.doc(), pageIndex);
        position = findInArray(a.ctx, annots, annotation.objectNumber());
        if (position < 0)
            return;
        pdf_obj* popup = pdf_dict_get(a.ctx, pdf_array_get(a.ctx, annots, position), PDF_NAME(Popup));
        pdf_array_delete(a.ctx, annots, position);
        const int popupAt = popup ? findInArray(a.ctx, annots, pdf_to_num(a.ctx, popup)) : -1;
        if (popupAt >= 0)
            pdf_array_delete(a.ctx, annots, popupAt);
    });
    if (!status)
        return status.error();
    if (position < 0)
        return Error{Error::Kind::Failed,
                     QStringLiteral("The annotation is not on page %1.").arg(pageIndex + 1)};
    a.impl().revision++;
    return position;
}

Status Document::restoreAnnotation(int pageIndex, const AnnotationHandle& annotation, int position) {
    Access a(*this);
    if (Status s = checkPage(a, pageIndex); !s)
        return s;
    const Status status = guarded(a.ctx, [&] {
        pdf_obj* page = lookupPage(a.ctx, a.doc(), pageIndex);
        pdf_obj* annots = pdf_dict_get(a.ctx, page, PDF_NAME(Annots));
        if (!pdf_is_array(a.ctx, annots))
            annots = pdf_dict_put_array(a.ctx, page, PDF_NAME(Annots), 1);
        if (findInArray(a.ctx, annots, annotation.objectNumber()) >= 0)
            return;
        const int len = pdf_array_len(a.ctx, annots);
        const int at = position < 0 ? 0 : (position > len ? len : position);
        pdf_obj* ref = pdf_new_indirect(a.ctx, a.doc(), annotation.objectNumber(), 0);
        pdf_array_insert_drop(a.ctx, annots, ref, at);
        pdf_obj* popup = pdf_dict_get(a.ctx, ref, PDF_NAME(Popup));
        if (popup && findInArray(a.ctx, annots, pdf_to_num(a.ctx, popup)) < 0)
            pdf_array_insert(a.ctx, annots, popup, at + 1);
    });
    if (status)
        a.impl().revision++;
    return status;
}

} // namespace zepla::pdf
