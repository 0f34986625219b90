// Built-in backend requests: one body, made and signed on a worker and sent byte for byte as it is.
#include "providers/BackendAIProvider.h"

#include "codec/OpenAIChatCodec.h"
#include "identity/DeviceIdentity.h"

#include <QDateTime>

namespace zepla::ai {

QUrl BackendAIProvider::defaultBaseAddress() {
    return QUrl(QStringLiteral(ZEPLA_BACKEND_URL));
}

BackendAIProvider::BackendAIProvider(const QUrl& baseAddress, std::chrono::milliseconds timeout)
    : m_endpoint(endpointAt(baseAddress, QStringLiteral("/api/v1/chat/completions"))), m_timeout(timeout) {}

void BackendAIProvider::send(const QList<AIMessage>& history, const QList<AssistantTool>& tools,
                             const QString& system, AIModelPreference preference,
                             Completion completion) const {
    // The tools' specifications are taken here: the tools themselves stay on the main thread.
    buildAndPostChatCompletion(
        [endpoint = m_endpoint, history, toolSpecs = OpenAIChatCodec::encodeToolSpecs(tools), system,
         preference]() -> Result<ChatCompletionsPost, AIProviderError> {
            const QByteArray body = OpenAIChatCodec::serialize({
                {QStringLiteral("messages"), OpenAIChatCodec::encodeMessages(history, system)},
                {QStringLiteral("tools"), toolSpecs},
                {QStringLiteral("preference"), rawValue(preference)},
            });
            const qint64 timestampMillis = QDateTime::currentMSecsSinceEpoch();

            const auto key = DeviceIdentity::privateKey();
            if (!key)
                return AIProviderError::deviceIdentity(key.error().errorDescription());
            const auto signature = DeviceIdentity::sign(key.value(), body, timestampMillis);
            if (!signature)
                return AIProviderError::deviceIdentity(signature.error().errorDescription());

            const HTTPHeaders headers{
                {"X-Device-Public-Key", DeviceIdentity::publicKeyBase64(key.value()).toLatin1()},
                {"X-Device-Timestamp", QByteArray::number(timestampMillis)},
                {"X-Device-Signature", signature.value().toLatin1()},
            };
            return ChatCompletionsPost{endpoint, headers, body};
        },
        m_timeout, std::move(completion));
}

} // namespace zepla::ai
