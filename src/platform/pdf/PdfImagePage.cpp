#include "PdfDocumentImpl.h"

namespace zepla::pdf {

namespace {

// Pixels in the layout MuPDF's pixmaps use: RGB, or premultiplied RGBA when the picture has transparency.
QImage pixmapLayout(const QImage& image) {
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_RGBA8888_Premultiplied
                                                         : QImage::Format_RGB888);
}

} // namespace

Status Document::appendImagePage(const QSizeF& size, const PageImage& image) {
    if (size.width() <= 0 || size.height() <= 0)
        return Error{Error::Kind::Failed, QStringLiteral("A page needs a width and a height.")};
    const QImage pixels = image.jpegData.isEmpty() ? pixmapLayout(image.pixels) : QImage();
    if (image.jpegData.isEmpty() && pixels.isNull())
        return Error{Error::Kind::Failed, QStringLiteral("The picture is empty.")};
    const QTransform& m = image.placement;
    const QByteArray content = QStringLiteral("q %1 %2 %3 %4 %5 %6 cm /Im0 Do Q\n")
                                   .arg(m.m11(), 0, 'f', 6)
                                   .arg(m.m12(), 0, 'f', 6)
                                   .arg(m.m21(), 0, 'f', 6)
                                   .arg(m.m22(), 0, 'f', 6)
                                   .arg(m.dx(), 0, 'f', 6)
                                   .arg(m.dy(), 0, 'f', 6)
                                   .toLatin1();
    const fz_rect mediabox{0, 0, float(size.width()), float(size.height())};

    Access a(*this);
    fz_context* ctx = a.ctx;
    pdf_document* doc = a.doc();
    fz_buffer* data = nullptr;
    fz_pixmap* pixmap = nullptr;
    fz_image* picture = nullptr;
    pdf_obj* imageObject = nullptr;
    pdf_obj* resources = nullptr;
    fz_buffer* contents = nullptr;
    pdf_obj* page = nullptr;
    const Status status = guarded(ctx, [&] {
        if (!image.jpegData.isEmpty()) {
            // MuPDF keeps a JPEG's compressed bytes and writes them as they are, under DCTDecode.
            data = fz_new_buffer_from_copied_data(
                ctx, reinterpret_cast<const unsigned char*>(image.jpegData.constData()),
                size_t(image.jpegData.size()));
            picture = fz_new_image_from_buffer(ctx, data);
        } else {
            pixmap =
                fz_new_pixmap_with_data(ctx, fz_device_rgb(ctx), pixels.width(), pixels.height(), nullptr,
                                        pixels.hasAlphaChannel() ? 1 : 0, int(pixels.bytesPerLine()),
                                        const_cast<unsigned char*>(pixels.constBits()));
            picture = fz_new_image_from_pixmap(ctx, pixmap, nullptr);
        }
        imageObject = pdf_add_image(ctx, doc, picture);
        resources = pdf_new_dict(ctx, doc, 1);
        pdf_dict_puts(ctx, pdf_dict_put_dict(ctx, resources, PDF_NAME(XObject), 1), "Im0", imageObject);
        contents = fz_new_buffer_from_copied_data(
            ctx, reinterpret_cast<const unsigned char*>(content.constData()), size_t(content.size()));
        page = pdf_add_page(ctx, doc, mediabox, 0, resources, contents);
        pdf_insert_page(ctx, doc, -1, page);
    });
    pdf_drop_obj(ctx, page);
    fz_drop_buffer(ctx, contents);
    pdf_drop_obj(ctx, resources);
    pdf_drop_obj(ctx, imageObject);
    fz_drop_image(ctx, picture);
    fz_drop_pixmap(ctx, pixmap);
    fz_drop_buffer(ctx, data);
    if (status)
        ++a.impl().revision;
    return status;
}

} // namespace zepla::pdf
