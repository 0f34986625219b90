// Reading the arguments of a tool call, which come from the model and are trusted in nothing.
#pragma once

#include <QJsonObject>
#include <QString>

#include <optional>

namespace zepla::ai::ToolArguments {

// A JSON number, truncated to an integer and held within the range of `int` (so an absurd page number is
// simply out of range); true counts as 1 and false as 0. Nothing for a missing key, another type, or a
// number that is not finite.
std::optional<int> integer(const QJsonObject& input, const QString& key);

// A JSON string, possibly empty; nothing for a missing key or another type.
std::optional<QString> string(const QJsonObject& input, const QString& key);

} // namespace zepla::ai::ToolArguments
