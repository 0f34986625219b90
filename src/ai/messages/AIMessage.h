// The conversation as the engine keeps it: roles, content parts, messages and the tool calls of a reply.
#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>

#include <variant>

namespace zepla::ai {

// There is no system role: the system prompt travels beside the history.
enum class AIRole { user, assistant };

QString rawValue(AIRole role);

// A tool call requested by a reply: `input` is the JSON object of its arguments.
struct AIToolCall {
    QString id;
    QString name;
    QJsonObject input;

    bool operator==(const AIToolCall&) const = default;
};

struct AIContentPart {
    struct Text {
        QString text;
        bool operator==(const Text&) const = default;
    };
    // A tool call made by the model, kept in the assistant message that made it.
    using ToolUse = AIToolCall;
    // The result text of the tool call whose id it repeats.
    struct ToolResult {
        QString id;
        QString content;
        bool operator==(const ToolResult&) const = default;
    };

    std::variant<Text, ToolUse, ToolResult> value;

    static AIContentPart text(QString text) { return {Text{std::move(text)}}; }
    static AIContentPart toolUse(QString id, QString name, QJsonObject input) {
        return {ToolUse{std::move(id), std::move(name), std::move(input)}};
    }
    static AIContentPart toolResult(QString id, QString content) {
        return {ToolResult{std::move(id), std::move(content)}};
    }

    bool operator==(const AIContentPart&) const = default;
};

// An assistant message carries its reply text first, then one tool use per call; the results of one
// reply's calls go back as a single user message holding one tool result per call, in call order.
struct AIMessage {
    AIRole role = AIRole::user;
    QList<AIContentPart> parts;

    static AIMessage userText(QString text) { return {AIRole::user, {AIContentPart::text(std::move(text))}}; }

    bool operator==(const AIMessage&) const = default;
};

} // namespace zepla::ai
