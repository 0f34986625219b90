#include "PdfImagePage.h"

#include "ContentMatrix.h"
#include "PdfDocumentImpl.h"
#include "PdfImageXObject.h"

#include <optional>

namespace zepla::pdf {

namespace {

Error failure(const QString& what, int index, const Status& status) {
    return Error{Error::Kind::Failed, what.arg(index + 1) + QLatin1Char(' ') + status.error().message};
}

fz_rect toFzRect(const QRectF& r) {
    return fz_make_rect(float(r.left()), float(r.top()), float(r.right()), float(r.bottom()));
}

// Everything the page is made of, ready before the first MuPDF call.
struct PreparedImagePage {
    fz_rect media;
    fz_rect crop;
    bool cropped;
    int rotation;
    const QByteArray* jpeg; // null when the picture is pixels
    DeflatedImage pixels;
    QByteArray contents;
};

QByteArray placementContents(const QTransform& m) {
    return "q " + matrixOperator(m) + " /Im0 Do Q\n";
}

QTransform placementOver(const QRectF& area) {
    return QTransform(area.width(), 0, 0, area.height(), area.left(), area.top());
}

PreparedImagePage prepared(const QRectF& mediaBox, const QRectF& cropBox, int rotation,
                           const QByteArray* jpeg, DeflatedImage pixels, const QTransform& placement) {
    return {toFzRect(mediaBox),
            toFzRect(cropBox),
            !cropBox.isEmpty() && cropBox != mediaBox,
            rotation,
            jpeg,
            std::move(pixels),
            placementContents(placement)};
}

std::optional<PreparedImagePage> prepare(const ImagePage& page, const DeflatedImage& pixels) {
    const PageImage& image = page.image;
    const bool jpeg = !image.jpegData.isEmpty();
    if (page.mediaBox.isEmpty() || (!jpeg && (pixels.width < 1 || pixels.height < 1)))
        return std::nullopt;
    return prepared(page.mediaBox, page.cropBox, page.rotation, jpeg ? &image.jpegData : nullptr,
                    jpeg ? DeflatedImage{} : pixels, image.placement);
}

// A new page object that shows only the picture, not yet in the page tree; null when it cannot be made.
pdf_obj* newImagePage(const Access& a, const PreparedImagePage& page, Status* status) {
    fz_context* ctx = a.ctx;
    pdf_document* doc = a.doc();
    fz_buffer* data = nullptr;
    fz_image* picture = nullptr;
    pdf_obj* imageObject = nullptr;
    pdf_obj* resources = nullptr;
    fz_buffer* contents = nullptr;
    pdf_obj* made = nullptr;
    *status = guarded(ctx, [&] {
        if (page.jpeg) {
            // MuPDF keeps a JPEG's compressed bytes and writes them as they are, under DCTDecode.
            data = fz_new_buffer_from_copied_data(
                ctx, reinterpret_cast<const unsigned char*>(page.jpeg->constData()),
                size_t(page.jpeg->size()));
            picture = fz_new_image_from_buffer(ctx, data);
            imageObject = pdf_add_image(ctx, doc, picture);
        } else {
            imageObject = addDeflatedImage(ctx, doc, page.pixels);
        }
        resources = pdf_new_dict(ctx, doc, 1);
        pdf_dict_puts(ctx, pdf_dict_put_dict(ctx, resources, PDF_NAME(XObject), 1), "Im0", imageObject);
        contents = fz_new_buffer_from_copied_data(
            ctx, reinterpret_cast<const unsigned char*>(page.contents.constData()),
            size_t(page.contents.size()));
        made = pdf_add_page(ctx, doc, page.media, page.rotation, resources, contents);
        if (page.cropped)
            pdf_dict_put_rect(ctx, made, PDF_NAME(CropBox), page.crop);
    });
    fz_drop_buffer(ctx, contents);
    pdf_drop_obj(ctx, resources);
    pdf_drop_obj(ctx, imageObject);
    fz_drop_image(ctx, picture);
    fz_drop_buffer(ctx, data);
    if (!*status) {
        pdf_drop_obj(ctx, made);
        return nullptr;
    }
    return made;
}

Error noPicture(int index) {
    return Error{Error::Kind::Failed, QStringLiteral("There is no picture for page %1.").arg(index + 1)};
}

} // namespace

Status renderArea(const Document& document, int index, double scale, const QRectF& area, const Pixels& into) {
    if (!into.samples || into.width < 1 || into.height < 1)
        return Error{Error::Kind::Failed, QStringLiteral("Page %1 is too small to draw.").arg(index + 1)};
    Access a(document);
    Status status;
    LoadedPage page(a, index, &status);
    if (!status)
        return status;
    fz_pixmap* pixmap = nullptr;
    fz_device* device = nullptr;
    status = guarded(a.ctx, [&] {
        pixmap = whitePixmapOver(a.ctx, into);
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
    return {};
}

Result<PageHandle> insertImagePage(Document& document, int index, const ImagePage& page,
                                   const DeflatedImage& pixels) {
    if (document.isLocked())
        return lockedError();
    const std::optional<PreparedImagePage> prepared = prepare(page, pixels);
    if (!prepared)
        return noPicture(index < 0 ? document.pageCount() : index);
    Access a(document);
    Status status;
    pdf_obj* made = newImagePage(a, *prepared, &status);
    if (made) {
        status = guarded(a.ctx, [&] { pdf_insert_page(a.ctx, a.doc(), index, made); });
        guarded(a.ctx, [&] { pdf_drop_obj(a.ctx, made); });
    }
    if (!status)
        return failure(QStringLiteral("Page %1 could not be made."), index < 0 ? document.pageCount() : index,
                       status);
    a.impl().revision++;
    return document.page(index < 0 ? document.pageCount() - 1 : index);
}

Result<PageHandle> replaceWithImagePage(Document& document, int index, const PreparedPicture& picture) {
    if (document.isLocked())
        return lockedError();
    auto geometry = document.geometry(index);
    if (!geometry)
        return geometry.error();
    if (picture.pixels.width < 1 || picture.pixels.height < 1 || picture.area.isEmpty())
        return noPicture(index);
    const PageGeometry& g = geometry.value();
    const PreparedImagePage page =
        prepared(g.mediaBox, g.cropBox, g.rotation, nullptr, picture.pixels, placementOver(picture.area));

    Access a(document);
    Status status;
    pdf_obj* made = newImagePage(a, page, &status);
    if (!made)
        return failure(QStringLiteral("Page %1 could not be rebuilt."), index, status);
    // The old page leaves the tree the way a deleted page does, so nothing of it reaches a saved file.
    auto original = document.removePage(index);
    if (original) {
        status = guarded(a.ctx, [&] { pdf_insert_page(a.ctx, a.doc(), index, made); });
        if (!status)
            document.insertPage(original.value(), index);
    }
    guarded(a.ctx, [&] { pdf_drop_obj(a.ctx, made); });
    if (!original)
        return original.error();
    if (!status)
        return failure(QStringLiteral("Page %1 could not be rebuilt."), index, status);
    a.impl().revision++;
    return original.value();
}

} // namespace zepla::pdf
