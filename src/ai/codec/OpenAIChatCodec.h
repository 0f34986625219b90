// The OpenAI chat-completions wire format with function tools: requests out, replies back in.
#pragma once

#include "messages/AIMessage.h"
#include "messages/AIProvider.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QString>

namespace zepla::ai::OpenAIChatCodec {

// The "messages" array of a request: the system message first, also for an empty prompt.
QJsonArray encodeMessages(const QList<AIMessage>& history, const QString& system);

// The "tools" array of a request, in the given order; empty when there are no tools.
QJsonArray encodeToolSpecs(const QList<AssistantTool>& tools);

// The parsed reply object to a turn. Fails only with malformedResponse; broken tool calls are dropped or
// given an empty input silently, so the tools report the missing arguments to the model themselves.
AIProviderResult decodeResponse(const QJsonObject& reply);

// What a response means once one has arrived: `status` is the HTTP status, or -1 when the response was
// not an HTTP response. The body is read as JSON before the status is looked at.
AIProviderResult interpretReply(int status, const QByteArray& body);

// Request bodies go out as compact JSON.
QByteArray serialize(const QJsonObject& object);

} // namespace zepla::ai::OpenAIChatCodec
