#include "convert/HeifImage.h"

#include <libheif/heif.h>

#include <memory>

namespace zepla::platform {

namespace {

template <auto Drop> struct Dropper {
    template <class T> void operator()(T* p) const { Drop(p); }
};
using HeifContext = std::unique_ptr<heif_context, Dropper<heif_context_free>>;
using HeifHandle = std::unique_ptr<heif_image_handle, Dropper<heif_image_handle_release>>;
using HeifPicture = std::unique_ptr<heif_image, Dropper<heif_image_release>>;

QString unreadable(const heif_error& error) {
    return QStringLiteral("The picture could not be read (%1).").arg(QString::fromUtf8(error.message));
}

} // namespace

Result<QImage, QString> readHeifImage(const QString& path, qint64 maxPixels) {
    HeifContext context(heif_context_alloc());
    if (!context)
        return QStringLiteral("The picture could not be read.");
    if (heif_error e = heif_context_read_from_file(context.get(), path.toLocal8Bit().constData(), nullptr);
        e.code)
        return unreadable(e);
    heif_image_handle* rawHandle = nullptr;
    if (heif_error e = heif_context_get_primary_image_handle(context.get(), &rawHandle); e.code)
        return unreadable(e);
    HeifHandle handle(rawHandle);
    const qint64 width = heif_image_handle_get_width(handle.get());
    const qint64 height = heif_image_handle_get_height(handle.get());
    if (width <= 0 || height <= 0)
        return QStringLiteral("The picture is empty.");
    if (width * height > maxPixels)
        return QStringLiteral("The picture is too large to convert (%1 × %2 pixels).").arg(width).arg(height);

    const bool alpha = heif_image_handle_has_alpha_channel(handle.get());
    heif_image* rawPicture = nullptr;
    if (heif_error e =
            heif_decode_image(handle.get(), &rawPicture, heif_colorspace_RGB,
                              alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, nullptr);
        e.code)
        return unreadable(e);
    HeifPicture picture(rawPicture);
    int stride = 0;
    const uint8_t* pixels = heif_image_get_plane_readonly(picture.get(), heif_channel_interleaved, &stride);
    const int decodedWidth = heif_image_get_width(picture.get(), heif_channel_interleaved);
    const int decodedHeight = heif_image_get_height(picture.get(), heif_channel_interleaved);
    if (!pixels || decodedWidth <= 0 || decodedHeight <= 0)
        return QStringLiteral("The picture could not be decoded.");
    // The plane belongs to libheif's picture: copy it out before that is released.
    return QImage(pixels, decodedWidth, decodedHeight, stride,
                  alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888)
        .copy();
}

} // namespace zepla::platform
