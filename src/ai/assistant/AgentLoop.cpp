// The agent loop of the assistant view model: sends the history, runs the tools a reply asks for, feeds
// their results back, and ends with the answer, an error, or the step limit.
#include "assistant/AssistantViewModel.h"

#include <QPointer>

namespace zepla::ai {

namespace {

const QString emptyAnswerText = QStringLiteral("Done.");
const QString stepLimitText =
    QStringLiteral("That took too many steps to resolve — try rephrasing your request.");

QString runTool(const QList<AssistantTool>& tools, const AIToolCall& call) {
    for (const AssistantTool& tool : tools) {
        if (tool.name == call.name)
            return tool.execute(call.input);
    }
    return QStringLiteral("Unknown tool '%1'.").arg(call.name);
}

// A final reply's tool calls are never answered, and a history holding unanswered calls is refused by the
// services on every later request: only the reply's text is kept.
AIMessage withoutToolCalls(const AIMessage& message) {
    AIMessage kept{message.role, {}};
    for (const AIContentPart& part : message.parts) {
        if (std::holds_alternative<AIContentPart::Text>(part.value))
            kept.parts.append(part);
    }
    return kept;
}

} // namespace

void AssistantViewModel::runAgentLoop() {
    sendStep(0);
}

void AssistantViewModel::sendStep(int step) {
    // The run keeps the model alive when it is shared; the guard covers a model owned otherwise.
    auto completion = [self = weak_from_this().lock(), guard = QPointer(this),
                       step](AIProviderResult result) {
        if (guard)
            guard->handleReply(step, std::move(result));
    };
    m_provider->send(m_history, m_tools, m_systemPrompt, m_modelPreference, std::move(completion));
}

void AssistantViewModel::handleReply(int step, AIProviderResult result) {
    if (!result) {
        appendErrorTurn(result.error().errorDescription());
        finishRun();
        return;
    }
    const AIAgentTurn& reply = result.value();
    if (reply.isFinal) {
        m_history.append(reply.toolCalls.isEmpty() ? reply.message : withoutToolCalls(reply.message));
        appendTurn({QUuid::createUuid(), AssistantTurn::Role::assistant,
                    reply.text.isEmpty() ? emptyAnswerText : reply.text});
        finishRun();
        return;
    }
    m_history.append(reply.message);
    AIMessage results{AIRole::user, {}};
    for (const AIToolCall& call : reply.toolCalls)
        results.parts.append(AIContentPart::toolResult(call.id, runTool(m_tools, call)));
    m_history.append(results);
    if (step + 1 >= maxProviderRequests) {
        appendErrorTurn(stepLimitText);
        finishRun();
        return;
    }
    sendStep(step + 1);
}

void AssistantViewModel::finishRun() {
    persistCurrentSession();
    setRunning(false);
}

} // namespace zepla::ai
