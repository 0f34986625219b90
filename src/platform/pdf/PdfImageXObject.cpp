#include "PdfImageXObject.h"

namespace zepla::pdf {

namespace {

// qCompress prefixes the zlib stream with its length; the file wants the stream alone.
QByteArray deflated(const QByteArray& bytes) {
    return bytes.isEmpty() ? QByteArray() : qCompress(bytes).sliced(4);
}

// Inside a MuPDF try block: one Flate-compressed image XObject of 8-bit samples; the caller owns it.
pdf_obj* addSamples(fz_context* ctx, pdf_document* doc, const DeflatedImage& image, const QByteArray& samples,
                    bool rgb, pdf_obj* softMask) {
    pdf_obj* dict = pdf_new_dict(ctx, doc, 8);
    fz_buffer* buffer = nullptr;
    pdf_obj* added = nullptr;
    fz_var(buffer);
    fz_try(ctx) {
        pdf_dict_put(ctx, dict, PDF_NAME(Type), PDF_NAME(XObject));
        pdf_dict_put(ctx, dict, PDF_NAME(Subtype), PDF_NAME(Image));
        pdf_dict_put_int(ctx, dict, PDF_NAME(Width), image.width);
        pdf_dict_put_int(ctx, dict, PDF_NAME(Height), image.height);
        pdf_dict_put(ctx, dict, PDF_NAME(ColorSpace), rgb ? PDF_NAME(DeviceRGB) : PDF_NAME(DeviceGray));
        pdf_dict_put_int(ctx, dict, PDF_NAME(BitsPerComponent), 8);
        pdf_dict_put(ctx, dict, PDF_NAME(Filter), PDF_NAME(FlateDecode));
        if (softMask)
            pdf_dict_put(ctx, dict, PDF_NAME(SMask), softMask);
        buffer = fz_new_buffer_from_copied_data(
            ctx, reinterpret_cast<const unsigned char*>(samples.constData()), size_t(samples.size()));
        added = pdf_add_stream(ctx, doc, buffer, dict, 1);
    }
    fz_always(ctx) {
        fz_drop_buffer(ctx, buffer);
        pdf_drop_obj(ctx, dict);
    }
    fz_catch(ctx) {
        fz_rethrow(ctx);
    }
    return added;
}

} // namespace

DeflatedImage deflateImage(const ImageSamples& samples) {
    return {samples.width, samples.height, deflated(samples.rgb), deflated(samples.alpha)};
}

pdf_obj* addDeflatedImage(fz_context* ctx, pdf_document* doc, const DeflatedImage& image) {
    pdf_obj* mask = nullptr;
    pdf_obj* added = nullptr;
    fz_var(mask);
    fz_var(added);
    fz_try(ctx) {
        if (!image.alpha.isEmpty())
            mask = addSamples(ctx, doc, image, image.alpha, false, nullptr);
        added = addSamples(ctx, doc, image, image.rgb, true, mask);
    }
    fz_always(ctx) {
        pdf_drop_obj(ctx, mask);
    }
    fz_catch(ctx) {
        fz_rethrow(ctx);
    }
    return added;
}

} // namespace zepla::pdf
