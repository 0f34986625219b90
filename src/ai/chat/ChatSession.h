// The conversations the assistant shows and keeps: one shown turn, and one saved conversation of turns.
#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QUuid>

#include <optional>

namespace zepla::ai {

struct AssistantTurn {
    // Error turns are shown and kept, but never sent to the model.
    enum class Role { user, assistant, error };

    QUuid id = QUuid::createUuid();
    Role role = Role::user;
    QString text;

    bool operator==(const AssistantTurn&) const = default;
};

QString rawValue(AssistantTurn::Role role);
std::optional<AssistantTurn::Role> turnRoleFromRawValue(const QString& raw);

struct ChatSession {
    // The title of a conversation until it is titled from its first question.
    static QString newChatTitle() { return QStringLiteral("New Chat"); }
    // A fresh, empty conversation changed now.
    static ChatSession make();

    QUuid id;
    QString title;
    QList<AssistantTurn> turns;
    QDateTime updatedAt;

    bool operator==(const ChatSession&) const = default;
};

} // namespace zepla::ai
