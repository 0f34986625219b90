#include "PdfImagePage.h"

#include "PdfDocumentImpl.h"

#include <cstring>

namespace zepla::pdf {

namespace {

Error failure(const QString& what, int index, const Status& status) {
    return Error{Error::Kind::Failed, what.arg(index + 1) + QLatin1Char(' ') + status.error().message};
}

// Pixels in the layout MuPDF's pixmaps use: RGB, or premultiplied RGBA when the picture has transparency.
QImage pixmapLayout(const QImage& image) {
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_RGBA8888_Premultiplied
                                                         : QImage::Format_RGB888);
}

} // namespace

Result<QImage> renderArea(const Document& document, int index, double scale, const QRectF& area) {
    const QSize size(int(area.width() * scale), int(area.height() * scale));
    if (area.width() <= 0 || area.height() <= 0 || size.width() < 1 || size.height() < 1)
        return Error{Error::Kind::Failed, QStringLiteral("Page %1 is too small to draw.").arg(index + 1)};
    QImage image(size, QImage::Format_RGBA8888_Premultiplied);
    if (image.isNull())
        return Error{Error::Kind::Failed,
                     QStringLiteral("There is not enough memory to draw page %1.").arg(index + 1)};
    unsigned char* samples = image.bits();
    const int stride = int(image.bytesPerLine());
    Access a(document);
    Status status;
    LoadedPage page(a, index, &status);
    if (!status)
        return status.error();
    fz_pixmap* pixmap = nullptr;
    fz_device* device = nullptr;
    status = guarded(a.ctx, [&] {
        pixmap = fz_new_pixmap_with_data(a.ctx, fz_device_rgb(a.ctx), size.width(), size.height(), nullptr, 1,
                                         stride, samples);
        fz_clear_pixmap_with_value(a.ctx, pixmap, 255);
        // Device space back to page space, then to the image: y down from the area's top edge, scaled.
        const fz_matrix toPage = deviceToPageSpace(a.ctx, page.get()->obj);
        const fz_matrix flip{1, 0, 0, -1, float(-area.left()), float(area.bottom())};
        const fz_matrix ctm = fz_concat(fz_concat(toPage, flip), fz_scale(float(scale), float(scale)));
        device = fz_new_draw_device(a.ctx, fz_identity, pixmap);
        fz_run_page(a.ctx, page.fz(), device, ctm, nullptr);
        fz_close_device(a.ctx, device);
    });
    fz_drop_device(a.ctx, device);
    fz_drop_pixmap(a.ctx, pixmap);
    if (!status)
        return failure(QStringLiteral("Page %1 could not be drawn."), index, status);
    return image;
}

Result<PageHandle> replaceWithImagePage(Document& document, int index, const QImage& picture,
                                        const QRectF& imageArea) {
    if (document.isLocked())
        return lockedError();
    auto geometry = document.geometry(index);
    if (!geometry)
        return geometry.error();
    // Opaque RGB: the picture is the whole page.
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    if (rgb.isNull() || imageArea.isEmpty())
        return Error{Error::Kind::Failed, QStringLiteral("There is no picture for page %1.").arg(index + 1)};
    const QByteArray contents = QStringLiteral("q %1 0 0 %2 %3 %4 cm /Im0 Do Q\n")
                                    .arg(imageArea.width(), 0, 'f', 4)
                                    .arg(imageArea.height(), 0, 'f', 4)
                                    .arg(imageArea.left(), 0, 'f', 4)
                                    .arg(imageArea.top(), 0, 'f', 4)
                                    .toLatin1();
    const char* contentData = contents.constData();
    const size_t contentSize = size_t(contents.size());
    const QRectF m = geometry.value().mediaBox;
    const QRectF c = geometry.value().cropBox;
    const bool cropped = !c.isEmpty() && c != m;
    const fz_rect media = fz_make_rect(float(m.left()), float(m.top()), float(m.right()), float(m.bottom()));
    const fz_rect crop = fz_make_rect(float(c.left()), float(c.top()), float(c.right()), float(c.bottom()));
    const int rotation = geometry.value().rotation;

    Access a(document);
    fz_pixmap* pixmap = nullptr;
    Status status = guarded(a.ctx, [&] {
        pixmap = fz_new_pixmap(a.ctx, fz_device_rgb(a.ctx), rgb.width(), rgb.height(), nullptr, 0);
    });
    if (status) {
        for (int y = 0; y < rgb.height(); ++y)
            std::memcpy(pixmap->samples + std::size_t(y) * std::size_t(pixmap->stride), rgb.constScanLine(y),
                        std::size_t(rgb.width()) * 3);
    }
    fz_image* image = nullptr;
    fz_buffer* buffer = nullptr;
    pdf_obj* resources = nullptr;
    pdf_obj* pageObject = nullptr;
    if (status) {
        status = guarded(a.ctx, [&] {
            fz_try(a.ctx) {
                image = fz_new_image_from_pixmap(a.ctx, pixmap, nullptr);
                resources = pdf_new_dict(a.ctx, a.doc(), 1);
                pdf_obj* xobjects = pdf_dict_put_dict(a.ctx, resources, PDF_NAME(XObject), 1);
                pdf_dict_puts_drop(a.ctx, xobjects, "Im0", pdf_add_image(a.ctx, a.doc(), image));
                buffer = fz_new_buffer_from_copied_data(
                    a.ctx, reinterpret_cast<const unsigned char*>(contentData), contentSize);
                pageObject = pdf_add_page(a.ctx, a.doc(), media, rotation, resources, buffer);
                if (cropped)
                    pdf_dict_put_rect(a.ctx, pageObject, PDF_NAME(CropBox), crop);
            }
            fz_always(a.ctx) {
                pdf_drop_obj(a.ctx, resources);
                fz_drop_buffer(a.ctx, buffer);
                fz_drop_image(a.ctx, image);
            }
            fz_catch(a.ctx) {
                fz_rethrow(a.ctx);
            }
        });
    }
    guarded(a.ctx, [&] { fz_drop_pixmap(a.ctx, pixmap); });
    if (!status)
        return failure(QStringLiteral("Page %1 could not be rebuilt."), index, status);

    // The old page leaves the tree the way a deleted page does, so nothing of it reaches a saved file.
    auto original = document.removePage(index);
    if (original) {
        status = guarded(a.ctx, [&] { pdf_insert_page(a.ctx, a.doc(), index, pageObject); });
        if (!status)
            document.insertPage(original.value(), index);
    }
    guarded(a.ctx, [&] { pdf_drop_obj(a.ctx, pageObject); });
    if (!original)
        return original.error();
    if (!status)
        return failure(QStringLiteral("Page %1 could not be rebuilt."), index, status);
    a.impl().revision++;
    return original.value();
}


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
