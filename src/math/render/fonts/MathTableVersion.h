// The one check every reader of a math-table export makes first: the format version.
#pragma once

#include <QString>
#include <QVariantMap>

#include <optional>

namespace zepla::math {

inline constexpr char kMathTableVersion[] = "1.3";

// Why the table cannot be read, or nothing when its "version" is the text "1.3".
std::optional<QString> mathTableVersionError(const QVariantMap& table);

} // namespace zepla::math
