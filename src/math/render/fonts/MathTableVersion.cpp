// The one check every reader of a math-table export makes first: the format version.
#include "fonts/MathTableVersion.h"

#include "fonts/PropertyList.h"

namespace zepla::math {

std::optional<QString> mathTableVersionError(const QVariantMap& table) {
    const QVariant version = table.value(QStringLiteral("version"));
    if (!isPropertyListText(version))
        return QStringLiteral("Math table plist has no version text");
    if (version.toString() != QLatin1String(kMathTableVersion))
        return QStringLiteral("Invalid version of math table plist: ") + version.toString();
    return std::nullopt;
}

} // namespace zepla::math
