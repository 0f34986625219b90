#include "SavedSignature.h"

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace zepla::annotations {

QByteArray encodeSignatures(const QList<SavedSignature>& signatures) {
    QJsonArray array;
    for (const SavedSignature& s : signatures) {
        QJsonObject object;
        object.insert(QStringLiteral("id"), s.id.toString(QUuid::WithoutBraces).toUpper());
        object.insert(QStringLiteral("pngData"), QString::fromLatin1(s.pngData.toBase64()));
        array.append(object);
    }
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

std::optional<QList<SavedSignature>> decodeSignatures(const QByteArray& json) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;
    QList<SavedSignature> result;
    for (const QJsonValue& value : document.array()) {
        const QJsonObject object = value.toObject();
        const QJsonValue id = object.value(QStringLiteral("id"));
        const QJsonValue png = object.value(QStringLiteral("pngData"));
        if (!id.isString() || !png.isString())
            return std::nullopt;
        const QUuid uuid = QUuid::fromString(id.toString());
        const auto bytes = QByteArray::fromBase64Encoding(png.toString().toLatin1(),
                                                          QByteArray::AbortOnBase64DecodingErrors);
        if (uuid.isNull() || id.toString().size() != 36 || !bytes)
            return std::nullopt;
        result.append(SavedSignature{uuid, *bytes});
    }
    return result;
}

QByteArray pngData(const QImage& image) {
    if (image.isNull())
        return {};
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return {};
    return bytes;
}

} // namespace zepla::annotations
