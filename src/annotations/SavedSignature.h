// One saved signature: its identity and its image as PNG bytes, and the JSON form the list is stored in.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QUuid>

#include <optional>

namespace zepla::annotations {

struct SavedSignature {
    QUuid id;
    QByteArray pngData;

    bool operator==(const SavedSignature&) const = default;
};

// A JSON array of {"id": upper-case UUID text, "pngData": Base64}, in list order.
QByteArray encodeSignatures(const QList<SavedSignature>& signatures);
// The list, or none when the bytes are not such an array (a missing key, a bad UUID or Base64 text).
std::optional<QList<SavedSignature>> decodeSignatures(const QByteArray& json);

// PNG bytes of an image; empty for a null image.
QByteArray pngData(const QImage& image);

} // namespace zepla::annotations
