// HEIC and HEIF pictures decoded through libheif, turned upright as the file asks.
#pragma once

#include "core/Result.h"

#include <QImage>
#include <QString>

namespace zepla::platform {

// The primary picture of the file as RGB (RGBA when it has transparency), or a message a user can read.
// Pictures of more than `maxPixels` pixels are refused before any decoding, so memory stays bounded.
Result<QImage, QString> readHeifImage(const QString& path, qint64 maxPixels);

} // namespace zepla::platform
