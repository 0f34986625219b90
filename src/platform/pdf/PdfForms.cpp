// Form widgets of a page: listing text fields and checkboxes, and filling them in with their appearance
// streams regenerated, so that the next render and the saved file both show the new value.
#include "PdfDocumentImpl.h"

namespace zepla::pdf {

namespace {

FormWidget::Type typeOf(enum pdf_widget_type type) {
    switch (type) {
    case PDF_WIDGET_TYPE_TEXT:
        return FormWidget::Type::Text;
    case PDF_WIDGET_TYPE_CHECKBOX:
        return FormWidget::Type::Checkbox;
    default:
        return FormWidget::Type::Other;
    }
}

// Finds the widget on the loaded page and runs `change` on it, then regenerates the page's appearances.
// `change` runs inside fz_try: plain MuPDF calls only.
template <class Change>
Status changeWidget(const Document& document, int pageIndex, const AnnotationHandle& handle,
                    Change&& change) {
    Access a(document);
    Status status;
    LoadedPage page(a, pageIndex, &status);
    if (!status)
        return status;
    bool found = false;
    status = guarded(a.ctx, [&] {
        for (pdf_annot* w = pdf_first_widget(a.ctx, page.get()); w; w = pdf_next_widget(a.ctx, w)) {
            if (pdf_to_num(a.ctx, pdf_annot_obj(a.ctx, w)) != handle.objectNumber())
                continue;
            found = true;
            change(a.ctx, a.doc(), w);
            break;
        }
        if (found)
            pdf_update_page(a.ctx, page.get());
    });
    if (!status)
        return status;
    if (!found)
        return Error{Error::Kind::Failed,
                     QStringLiteral("The form field is not on page %1.").arg(pageIndex + 1)};
    a.impl().revision++;
    return {};
}

} // namespace

Result<std::vector<FormWidget>> Document::formWidgets(int pageIndex) const {
    Access a(*this);
    Status status;
    LoadedPage page(a, pageIndex, &status);
    if (!status)
        return status.error();
    struct Raw {
        int number;
        enum pdf_widget_type type;
        char* name; // freed below
        const char* value;
        fz_rect rect;
    };
    std::vector<FormWidget> result;
    pdf_annot* widget = nullptr;
    status = guarded(a.ctx, [&] { widget = pdf_first_widget(a.ctx, page.get()); });
    while (status && widget) {
        Raw raw{0, PDF_WIDGET_TYPE_UNKNOWN, nullptr, nullptr, fz_empty_rect};
        status = guarded(a.ctx, [&] {
            pdf_obj* obj = pdf_annot_obj(a.ctx, widget);
            raw.number = pdf_to_num(a.ctx, obj);
            raw.type = pdf_widget_type(a.ctx, widget);
            raw.name = pdf_field_name(a.ctx, obj);
            raw.value = pdf_field_value(a.ctx, obj);
            raw.rect = pdf_dict_get_rect(a.ctx, obj, PDF_NAME(Rect));
        });
        if (status && raw.number > 0) {
            FormWidget out;
            out.handle = AnnotationHandle(raw.number);
            out.type = typeOf(raw.type);
            out.name = QString::fromUtf8(raw.name);
            out.rect = toQRect(raw.rect);
            const QString value = QString::fromUtf8(raw.value);
            if (out.type == FormWidget::Type::Checkbox)
                out.checked = !value.isEmpty() && value != QLatin1String("Off");
            else
                out.value = value;
            result.push_back(std::move(out));
        }
        fz_free(a.ctx, raw.name);
        if (status)
            status = guarded(a.ctx, [&] { widget = pdf_next_widget(a.ctx, widget); });
    }
    if (!status)
        return status.error();
    return result;
}

Status Document::setTextFieldValue(int pageIndex, const AnnotationHandle& widget, const QString& value) {
    const QByteArray utf8 = value.toUtf8();
    return changeWidget(*this, pageIndex, widget, [&](fz_context* ctx, pdf_document* doc, pdf_annot* w) {
        if (pdf_widget_type(ctx, w) != PDF_WIDGET_TYPE_TEXT)
            fz_throw(ctx, FZ_ERROR_GENERIC, "not a text field");
        pdf_set_field_value(ctx, doc, pdf_annot_obj(ctx, w), utf8.constData(), 1);
    });
}

Status Document::toggleCheckbox(int pageIndex, const AnnotationHandle& widget) {
    return changeWidget(*this, pageIndex, widget, [&](fz_context* ctx, pdf_document*, pdf_annot* w) {
        if (pdf_widget_type(ctx, w) != PDF_WIDGET_TYPE_CHECKBOX)
            fz_throw(ctx, FZ_ERROR_GENERIC, "not a checkbox");
        pdf_toggle_widget(ctx, w);
    });
}

} // namespace zepla::pdf
