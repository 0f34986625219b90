#include "tools/ToolArguments.h"

#include <QJsonValue>

#include <algorithm>
#include <cmath>
#include <limits>

namespace zepla::ai::ToolArguments {

std::optional<int> integer(const QJsonObject& input, const QString& key) {
    const QJsonValue value = input.value(key);
    if (value.isBool())
        return value.toBool() ? 1 : 0;
    if (!value.isDouble() || !std::isfinite(value.toDouble()))
        return std::nullopt;
    const double clamped = std::clamp(std::trunc(value.toDouble()), double(std::numeric_limits<int>::min()),
                                      double(std::numeric_limits<int>::max()));
    return int(clamped);
}

std::optional<QString> string(const QJsonObject& input, const QString& key) {
    const QJsonValue value = input.value(key);
    if (!value.isString())
        return std::nullopt;
    return value.toString();
}

} // namespace zepla::ai::ToolArguments
