#include "chat/ChatSession.h"

#include <array>
#include <utility>

namespace zepla::ai {

namespace {

constexpr std::array<std::pair<AssistantTurn::Role, const char*>, 3> roleNames{{
    {AssistantTurn::Role::user, "user"},
    {AssistantTurn::Role::assistant, "assistant"},
    {AssistantTurn::Role::error, "error"},
}};

} // namespace

QString rawValue(AssistantTurn::Role role) {
    for (const auto& [r, name] : roleNames) {
        if (r == role)
            return QString::fromLatin1(name);
    }
    return {};
}

std::optional<AssistantTurn::Role> turnRoleFromRawValue(const QString& raw) {
    for (const auto& [role, name] : roleNames) {
        if (raw == QLatin1String(name))
            return role;
    }
    return std::nullopt;
}

ChatSession ChatSession::make() {
    return {QUuid::createUuid(), newChatTitle(), {}, QDateTime::currentDateTimeUtc()};
}

} // namespace zepla::ai
