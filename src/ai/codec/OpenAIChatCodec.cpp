// Encoding of requests and decoding of replies in the chat-completions format.
#include "codec/OpenAIChatCodec.h"

#include <QJsonDocument>
#include <QJsonParseError>
#include <QJsonValue>
#include <QStringList>

#include <algorithm>

namespace zepla::ai::OpenAIChatCodec {

namespace {

QJsonObject wireMessage(const QString& role, const QString& content) {
    return {{QStringLiteral("role"), role}, {QStringLiteral("content"), content}};
}

QJsonObject wireToolCall(const AIToolCall& call) {
    const QJsonObject function{{QStringLiteral("name"), call.name},
                               {QStringLiteral("arguments"), QString::fromUtf8(serialize(call.input))}};
    return {{QStringLiteral("id"), call.id},
            {QStringLiteral("type"), QStringLiteral("function")},
            {QStringLiteral("function"), function}};
}

QJsonArray encodeAssistant(const AIMessage& message) {
    QString content;
    QJsonArray toolCalls;
    for (const AIContentPart& part : message.parts) {
        if (const auto* text = std::get_if<AIContentPart::Text>(&part.value))
            content += text->text;
        else if (const auto* use = std::get_if<AIContentPart::ToolUse>(&part.value))
            toolCalls.append(wireToolCall(*use));
    }
    QJsonObject wire = wireMessage(QStringLiteral("assistant"), content);
    if (!toolCalls.isEmpty())
        wire.insert(QStringLiteral("tool_calls"), toolCalls);
    return {wire};
}

// A user message that carries tool results stands for those results alone.
QJsonArray encodeUser(const AIMessage& message) {
    QJsonArray results;
    QStringList texts;
    for (const AIContentPart& part : message.parts) {
        if (const auto* result = std::get_if<AIContentPart::ToolResult>(&part.value)) {
            results.append(QJsonObject{{QStringLiteral("role"), QStringLiteral("tool")},
                                       {QStringLiteral("tool_call_id"), result->id},
                                       {QStringLiteral("content"), result->content}});
        } else if (const auto* text = std::get_if<AIContentPart::Text>(&part.value)) {
            texts.append(text->text);
        }
    }
    if (!results.isEmpty())
        return results;
    return {wireMessage(QStringLiteral("user"), texts.join(QLatin1Char('\n')))};
}

QJsonArray encode(const AIMessage& message) {
    return message.role == AIRole::assistant ? encodeAssistant(message) : encodeUser(message);
}

bool isArrayOfObjects(const QJsonValue& value) {
    if (!value.isArray())
        return false;
    const QJsonArray array = value.toArray();
    return std::all_of(array.begin(), array.end(),
                       [](const QJsonValue& element) { return element.isObject(); });
}

QJsonObject toolInput(const QJsonValue& arguments) {
    if (arguments.isObject())
        return arguments.toObject();
    if (arguments.isString())
        return QJsonDocument::fromJson(arguments.toString().toUtf8()).object();
    return {};
}

QList<AIToolCall> decodeToolCalls(const QJsonValue& toolCalls) {
    QList<AIToolCall> calls;
    if (!isArrayOfObjects(toolCalls))
        return calls;
    for (const QJsonValue& element : toolCalls.toArray()) {
        const QJsonObject call = element.toObject();
        const QJsonValue id = call.value(QStringLiteral("id"));
        const QJsonValue function = call.value(QStringLiteral("function"));
        const QJsonValue name = function.toObject().value(QStringLiteral("name"));
        if (!id.isString() || !function.isObject() || !name.isString())
            continue;
        calls.append({id.toString(), name.toString(),
                      toolInput(function.toObject().value(QStringLiteral("arguments")))});
    }
    return calls;
}

QString httpErrorMessage(const QJsonObject& reply) {
    const QJsonValue error = reply.value(QStringLiteral("error"));
    const QJsonValue message = error.toObject().value(QStringLiteral("message"));
    if (message.isString())
        return message.toString();
    if (error.isString())
        return error.toString();
    return QStringLiteral("Unknown error");
}

} // namespace

QByteArray serialize(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QJsonArray encodeMessages(const QList<AIMessage>& history, const QString& system) {
    QJsonArray messages{wireMessage(QStringLiteral("system"), system)};
    for (const AIMessage& message : history) {
        for (const QJsonValue& wire : encode(message))
            messages.append(wire);
    }
    return messages;
}

QJsonArray encodeToolSpecs(const QList<AssistantTool>& tools) {
    QJsonArray specs;
    for (const AssistantTool& tool : tools) {
        const QJsonObject function{{QStringLiteral("name"), tool.name},
                                   {QStringLiteral("description"), tool.description},
                                   {QStringLiteral("parameters"), tool.inputSchema}};
        specs.append(QJsonObject{{QStringLiteral("type"), QStringLiteral("function")},
                                 {QStringLiteral("function"), function}});
    }
    return specs;
}

AIProviderResult decodeResponse(const QJsonObject& reply) {
    const QJsonValue choices = reply.value(QStringLiteral("choices"));
    if (!isArrayOfObjects(choices) || choices.toArray().isEmpty())
        return AIProviderError::malformedResponse();
    const QJsonObject choice = choices.toArray().first().toObject();
    const QJsonValue messageValue = choice.value(QStringLiteral("message"));
    if (!messageValue.isObject())
        return AIProviderError::malformedResponse();
    const QJsonObject message = messageValue.toObject();

    AIAgentTurn turn;
    turn.text = message.value(QStringLiteral("content")).toString();
    turn.toolCalls = decodeToolCalls(message.value(QStringLiteral("tool_calls")));
    turn.message.role = AIRole::assistant;
    if (!turn.text.isEmpty())
        turn.message.parts.append(AIContentPart::text(turn.text));
    for (const AIToolCall& call : turn.toolCalls)
        turn.message.parts.append(AIContentPart{call});
    turn.isFinal = turn.toolCalls.isEmpty() ||
                   choice.value(QStringLiteral("finish_reason")).toString() != QStringLiteral("tool_calls");
    return turn;
}

AIProviderResult interpretReply(int status, const QByteArray& body) {
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(body, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return AIProviderError::invalidJSON(parseError.errorString());
    if (!document.isObject())
        return AIProviderError::malformedResponse();
    if (status >= 200 && status <= 299)
        return decodeResponse(document.object());
    return AIProviderError::http(status, httpErrorMessage(document.object()));
}

} // namespace zepla::ai::OpenAIChatCodec
