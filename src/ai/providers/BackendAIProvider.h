// The provider of the maker's built-in backend, authenticated by the device signature alone.
#pragma once

#include "messages/AIProvider.h"
#include "providers/ChatCompletionsRequest.h"

#include <QUrl>

namespace zepla::ai {

class BackendAIProvider : public AIProvider {
public:
    // The backend's base address, fixed when Zepla is built.
    static QUrl defaultBaseAddress();

    explicit BackendAIProvider(const QUrl& baseAddress = defaultBaseAddress(),
                               std::chrono::milliseconds timeout = kChatRequestTimeout);

    void send(const QList<AIMessage>& history, const QList<AssistantTool>& tools, const QString& system,
              AIModelPreference preference, Completion completion) const override;

private:
    const QUrl m_endpoint;
    const std::chrono::milliseconds m_timeout;
};

} // namespace zepla::ai
