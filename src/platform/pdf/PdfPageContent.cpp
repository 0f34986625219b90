// A page's content edited in place: glyphs taken out where they stand inside given boxes, and the content as
// it stood kept, so that undo shows the very same streams again.
#include "PdfDocumentImpl.h"

namespace zepla::pdf {

namespace {

// Whether a glyph stands inside one of the boxes (PDF user space). The glyph is placed by a point a tenth of
// an em along its baseline and a quarter of an em above it: inside the line's own glyph boxes, far from
// those of the lines above and below even where line boxes overlap.
int glyphInside(fz_context*, void* opaque, int*, int, fz_matrix trm, fz_matrix ctm, fz_rect) {
    const auto* boxes = static_cast<const std::vector<fz_rect>*>(opaque);
    const fz_point p = fz_transform_point(fz_make_point(0.1f, 0.25f), fz_concat(trm, ctm));
    for (const fz_rect& box : *boxes) {
        if (fz_is_point_inside_rect(p, box))
            return 1;
    }
    return 0;
}

// A new stream object with the same dictionary and the same (still encoded) data.
pdf_obj* copyStream(fz_context* ctx, pdf_document* doc, pdf_obj* stream) {
    fz_buffer* data = pdf_load_raw_stream(ctx, stream);
    pdf_obj* dict = nullptr;
    pdf_obj* copy = nullptr;
    fz_var(dict);
    fz_var(copy);
    fz_try(ctx) {
        dict = pdf_copy_dict(ctx, pdf_resolve_indirect(ctx, stream));
        copy = pdf_add_stream(ctx, doc, data, dict, 1);
    }
    fz_always(ctx) {
        pdf_drop_obj(ctx, dict);
        fz_drop_buffer(ctx, data);
    }
    fz_catch(ctx) {
        fz_rethrow(ctx);
    }
    return copy;
}

// Gives the page copies of its content streams, so that filtering, which rewrites streams in place, leaves
// the ones kept for undo as they were.
void useOwnContent(fz_context* ctx, pdf_document* doc, pdf_obj* page) {
    pdf_obj* contents = pdf_dict_get(ctx, page, PDF_NAME(Contents));
    if (pdf_is_array(ctx, contents)) {
        pdf_obj* copies = pdf_new_array(ctx, doc, pdf_array_len(ctx, contents));
        fz_try(ctx) {
            for (int i = 0; i < pdf_array_len(ctx, contents); ++i) {
                if (pdf_is_stream(ctx, pdf_array_get(ctx, contents, i)))
                    pdf_array_push_drop(ctx, copies, copyStream(ctx, doc, pdf_array_get(ctx, contents, i)));
            }
            pdf_dict_put(ctx, page, PDF_NAME(Contents), copies);
        }
        fz_always(ctx) {
            pdf_drop_obj(ctx, copies);
        }
        fz_catch(ctx) {
            fz_rethrow(ctx);
        }
    } else if (pdf_is_stream(ctx, contents)) {
        pdf_dict_put_drop(ctx, page, PDF_NAME(Contents), copyStream(ctx, doc, contents));
    }
}

} // namespace

Status Document::removeTextInside(int index, const std::vector<QRectF>& boxes) {
    Access a(*this);
    Status status;
    LoadedPage page(a, index, &status);
    if (!status)
        return status;
    std::vector<fz_rect> rects;
    rects.reserve(boxes.size());
    for (const QRectF& box : boxes)
        rects.push_back(
            fz_make_rect(float(box.left()), float(box.top()), float(box.right()), float(box.bottom())));
    pdf_filter_options options{};
    options.opaque = &rects;
    options.text_filter = glyphInside;
    options.sanitize = 1;
    // Text inside forms goes too, each form copied for this page so that other pages drawing it keep theirs.
    options.recurse = 1;
    options.instance_forms = 1;
    status = guarded(a.ctx, [&] {
        useOwnContent(a.ctx, a.doc(), page.get()->obj);
        pdf_filter_page_contents(a.ctx, a.doc(), page.get(), &options);
    });
    if (status)
        a.impl().revision++;
    return status;
}

Result<PageContent> Document::keepPageContent(int index) {
    Access a(*this);
    if (Status s = checkPage(a, index); !s)
        return s.error();
    int number = 0;
    const Status status = guarded(a.ctx, [&] {
        pdf_obj* page = pdf_lookup_page_obj(a.ctx, a.doc(), index);
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
        pdf_obj* page = pdf_lookup_page_obj(a.ctx, a.doc(), index);
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
