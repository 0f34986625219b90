// A provider that answers from a script, for the view model's tests: replies are decoded from real
// chat-completions JSON, every request is recorded, and a reply can be held back until the test releases it.
#pragma once

#include "messages/AIProvider.h"

#include <QJsonObject>
#include <QList>
#include <QString>

#include <memory>

namespace zepla::ai::test {

struct ToolCallSpec {
    QString id;
    QString name;
    // The "arguments" text as the service sends it: JSON, or anything else.
    QString arguments;
};

// A reply decoded by the codec from a chat-completions body.
AIProviderResult finalReply(const QString& text);
AIProviderResult toolCallReply(const QList<ToolCallSpec>& calls, const QString& text = {});
// A "stop" reply that still carries tool calls.
AIProviderResult finalReplyWithToolCalls(const QString& text, const QList<ToolCallSpec>& calls);
AIProviderResult failure(int status, const QString& message);

class ScriptedProvider : public AIProvider {
public:
    struct Request {
        QList<AIMessage> history;
        QStringList toolNames;
        QString system;
        AIModelPreference preference;
    };

    // Requests whose system prompt is the title prompt are answered by `titleReply` and recorded apart.
    void setTitleReply(AIProviderResult reply) { m_state->titleReply = std::move(reply); }
    // Replies to the questions' requests in order; the last one answers every further request.
    void setReplies(QList<AIProviderResult> replies) { m_state->replies = std::move(replies); }
    // While held, question requests wait until `release()`, title requests until `releaseTitles()`.
    void hold() { m_state->held = true; }
    void release();
    void holdTitles() { m_state->titlesHeld = true; }
    void releaseTitles();
    // Title replies handed to their completion so far.
    int deliveredTitles() const { return m_state->deliveredTitles; }

    const QList<Request>& requests() const { return m_state->requests; }
    const QList<Request>& titleRequests() const { return m_state->titleRequests; }

    void send(const QList<AIMessage>& history, const QList<AssistantTool>& tools, const QString& system,
              AIModelPreference preference, Completion completion) const override;

private:
    struct State {
        QList<AIProviderResult> replies;
        std::optional<AIProviderResult> titleReply;
        QList<Request> requests;
        QList<Request> titleRequests;
        bool held = false;
        bool titlesHeld = false;
        int deliveredTitles = 0;
        QList<std::pair<Completion, AIProviderResult>> waiting;
        QList<std::pair<Completion, AIProviderResult>> waitingTitles;
    };
    static void deliver(QList<std::pair<Completion, AIProviderResult>> replies);
    std::shared_ptr<State> m_state = std::make_shared<State>();
};

} // namespace zepla::ai::test
