// The provider of the user's own keys: every Ollama Cloud and Groq key in turn, starting anew each hour.
#pragma once

#include "messages/AIProvider.h"
#include "providers/ChatCompletionsRequest.h"

#include <QDateTime>
#include <QUrl>

#include <functional>

namespace zepla::ai {

class RotatingAIProvider : public AIProvider {
public:
    using Clock = std::function<QDateTime()>;

    static QUrl defaultGroqBaseAddress();

    // The key pools and the Ollama Cloud address are read from the key store for every request.
    explicit RotatingAIProvider(const QUrl& groqBaseAddress = defaultGroqBaseAddress(),
                                Clock clock = &QDateTime::currentDateTimeUtc,
                                std::chrono::milliseconds timeout = kChatRequestTimeout);

    // Tries the keys one after another: a key answered with 401 or 429 hands the request to the next one,
    // any other failure ends it at once.
    void send(const QList<AIMessage>& history, const QList<AssistantTool>& tools, const QString& system,
              AIModelPreference preference, Completion completion) const override;

private:
    const QUrl m_groqEndpoint;
    const Clock m_clock;
    const std::chrono::milliseconds m_timeout;
};

} // namespace zepla::ai
