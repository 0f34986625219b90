// The provider abstraction: one asynchronous call that turns a conversation into the model's next turn.
#pragma once

#include "core/Result.h"
#include "messages/AIMessage.h"
#include "messages/AIModelPreference.h"
#include "messages/AIProviderError.h"

#include <QJsonObject>
#include <QList>
#include <QString>

#include <functional>

namespace zepla::ai {

// A tool offered to the model. `execute` never fails outward: every problem is returned as result text.
struct AssistantTool {
    QString name;
    QString description;
    // A JSON Schema object, sent to the model unchanged.
    QJsonObject inputSchema;
    std::function<QString(const QJsonObject& input)> execute;
};

// The result of one provider call; only the codec's reply decoder makes these.
struct AIAgentTurn {
    // Role assistant: the reply text as a text part when non-empty, then one tool use per call.
    AIMessage message;
    QList<AIToolCall> toolCalls;
    QString text;
    // False only when the reply asks for tool calls; the agent loop ends on a final turn.
    bool isFinal = true;
};

using AIProviderResult = Result<AIAgentTurn, AIProviderError>;

// Providers keep no mutable state between calls, so several sends may run at once on one provider. `send`
// returns at once; `completion` is called exactly once, later, from the event loop of the calling thread,
// also when the provider has been destroyed in the meantime.
class AIProvider {
public:
    using Completion = std::function<void(AIProviderResult)>;

    virtual ~AIProvider() = default;

    virtual void send(const QList<AIMessage>& history, const QList<AssistantTool>& tools,
                      const QString& system, AIModelPreference preference, Completion completion) const = 0;
};

} // namespace zepla::ai
