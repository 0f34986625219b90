#include "support/ScriptedProvider.h"

#include "codec/OpenAIChatCodec.h"

#include <QJsonArray>
#include <QTimer>

namespace zepla::ai::test {

namespace {

AIProviderResult decode(const QString& finishReason, const QString& text, const QList<ToolCallSpec>& calls) {
    QJsonArray toolCalls;
    for (const ToolCallSpec& call : calls) {
        toolCalls.append(
            QJsonObject{{"id", call.id},
                        {"type", "function"},
                        {"function", QJsonObject{{"name", call.name}, {"arguments", call.arguments}}}});
    }
    QJsonObject message{{"role", "assistant"}, {"content", text.isNull() ? QJsonValue() : QJsonValue(text)}};
    if (!toolCalls.isEmpty())
        message.insert("tool_calls", toolCalls);
    const QJsonObject choice{{"finish_reason", finishReason}, {"message", message}};
    return OpenAIChatCodec::decodeResponse(QJsonObject{{"choices", QJsonArray{choice}}});
}

} // namespace

AIProviderResult finalReply(const QString& text) {
    return decode("stop", text, {});
}

AIProviderResult toolCallReply(const QList<ToolCallSpec>& calls, const QString& text) {
    return decode("tool_calls", text, calls);
}

AIProviderResult finalReplyWithToolCalls(const QString& text, const QList<ToolCallSpec>& calls) {
    return decode("stop", text, calls);
}

AIProviderResult failure(int status, const QString& message) {
    return AIProviderError::http(status, message);
}

void ScriptedProvider::deliver(QList<std::pair<Completion, AIProviderResult>> replies) {
    for (const auto& [completion, result] : replies)
        QTimer::singleShot(0, [completion, result] { completion(result); });
}

void ScriptedProvider::release() {
    m_state->held = false;
    deliver(std::exchange(m_state->waiting, {}));
}

void ScriptedProvider::releaseTitles() {
    m_state->titlesHeld = false;
    deliver(std::exchange(m_state->waitingTitles, {}));
}

void ScriptedProvider::send(const QList<AIMessage>& history, const QList<AssistantTool>& tools,
                            const QString& system, AIModelPreference preference,
                            Completion completion) const {
    QStringList names;
    for (const AssistantTool& tool : tools)
        names.append(tool.name);
    const Request request{history, names, system, preference};
    const bool isTitle = system.startsWith("You write short, punchy chat titles");
    AIProviderResult result = AIProviderError::malformedResponse();
    if (isTitle) {
        m_state->titleRequests.append(request);
        if (m_state->titleReply)
            result = *m_state->titleReply;
    } else {
        const qsizetype index = std::min(m_state->requests.size(), m_state->replies.size() - 1);
        m_state->requests.append(request);
        if (index >= 0)
            result = m_state->replies[index];
    }
    if (isTitle) {
        // Counted when delivered, so a test can wait for a title reply to have been handled.
        completion = [state = m_state, completion = std::move(completion)](AIProviderResult reply) {
            ++state->deliveredTitles;
            completion(std::move(reply));
        };
    }
    if (isTitle ? m_state->titlesHeld : m_state->held) {
        (isTitle ? m_state->waitingTitles : m_state->waiting).append({std::move(completion), result});
        return;
    }
    deliver({{std::move(completion), result}});
}

} // namespace zepla::ai::test
