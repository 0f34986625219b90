// Chat titles: the local title cut from the first question, and the model's short title that replaces it.
#include "assistant/AssistantViewModel.h"

#include "text/GraphemeText.h"

#include <QPointer>

namespace zepla::ai {

namespace {

constexpr int localTitleLength = 42;

const QString titleRequest = QStringLiteral("Write a short chat title (3 to 6 words, no quotes, no trailing "
                                            "punctuation) summarizing this message:\n\n");
const QString titleSystemPrompt =
    QStringLiteral("You write short, punchy chat titles and respond with the title only.");

} // namespace

QString AssistantViewModel::title(const QString& firstMessage) {
    const QString message = firstMessage.trimmed().replace(u'\n', u' ');
    if (graphemes::count(message) <= localTitleLength)
        return message;
    const QString prefix = graphemes::prefix(message, localTitleLength);
    const qsizetype space = prefix.lastIndexOf(u' ');
    return (space >= 0 ? prefix.left(space) : prefix) + u'…';
}

void AssistantViewModel::requestAITitle(const QUuid& sessionID, const QString& firstMessage) {
    auto completion = [guard = QPointer(this), sessionID](AIProviderResult result) {
        if (!guard || !result)
            return;
        const QString title = result.value().text.trimmed();
        const auto session = std::find_if(guard->m_sessions.begin(), guard->m_sessions.end(),
                                          [&](const ChatSession& s) { return s.id == sessionID; });
        if (title.isEmpty() || session == guard->m_sessions.end())
            return;
        session->title = title;
        emit guard->sessionsChanged();
        guard->saveSessions();
    };
    m_provider->send({AIMessage::userText(titleRequest + firstMessage)}, {}, titleSystemPrompt,
                     AIModelPreference::fast, std::move(completion));
}

} // namespace zepla::ai
