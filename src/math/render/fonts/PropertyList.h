// XML property lists, the format of the math-table exports: dictionaries, arrays, text, numbers, booleans.
#pragma once

#include <QString>
#include <QVariant>

#include <optional>

namespace zepla::math {

// A parsed document maps <dict> to QVariantMap, <array> to QVariantList, <string> to QString, <integer> to
// qlonglong, <real> to double and <true/>/<false/> to bool.
struct PropertyListResult {
    std::optional<QVariantMap> dictionary;
    QString error;
};

// The dictionary at the top of the file at `path`; anything else (missing file, malformed XML, another
// element kind at the top, an element outside the format) is an error with a readable message.
PropertyListResult readPropertyList(const QString& path);
PropertyListResult parsePropertyList(const QByteArray& xml);

QByteArray writePropertyList(const QVariantMap& dictionary);

bool isPropertyListNumber(const QVariant& value);
bool isPropertyListText(const QVariant& value);

} // namespace zepla::math
