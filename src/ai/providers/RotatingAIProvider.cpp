// Credentials from both key pools, interleaved and rotated by the hour, tried until one is accepted.
#include "providers/RotatingAIProvider.h"

#include "codec/OpenAIChatCodec.h"
#include "keys/APIKeyStore.h"

#include <memory>

namespace zepla::ai {

namespace {

struct AICredential {
    QString label;
    QUrl endpoint;
    QString model;
    QString apiKey;
};

// The services' own model identifiers for each preference.
struct ModelNames {
    QString ollama;
    QString groq;
};

ModelNames modelNames(AIModelPreference preference) {
    switch (preference) {
    case AIModelPreference::highPerformance:
        return {QStringLiteral("gpt-oss:120b-cloud"), QStringLiteral("llama3-70b-8192")};
    case AIModelPreference::balanced:
        return {QStringLiteral("gpt-oss:70b-cloud"), QStringLiteral("llama-3.1-8b-instant")};
    case AIModelPreference::fast:
        return {QStringLiteral("gpt-oss:8b-cloud"), QStringLiteral("llama3-8b-8192")};
    }
    return {};
}

// A stored address that is no absolute URL (an empty string included) would only fail each request.
QUrl ollamaEndpoint() {
    const QUrl stored(APIKeyStore::loadURL(), QUrl::StrictMode);
    if (stored.isValid() && !stored.scheme().isEmpty() && !stored.host().isEmpty())
        return stored;
    return QUrl(APIKeyStore::defaultOllamaURL());
}

// O0, G0, O1, G1, …, with the rest of the longer pool at the end.
QList<AICredential> allCredentials(AIModelPreference preference, const QUrl& groqEndpoint) {
    const QStringList ollamaKeys = APIKeyStore::allKeys(APIProviderKind::ollama);
    const QStringList groqKeys = APIKeyStore::allKeys(APIProviderKind::groq);
    const QUrl ollama = ollamaEndpoint();
    const ModelNames models = modelNames(preference);
    QList<AICredential> credentials;
    for (qsizetype i = 0; i < std::max(ollamaKeys.size(), groqKeys.size()); ++i) {
        if (i < ollamaKeys.size())
            credentials.append({QStringLiteral("Ollama Cloud"), ollama, models.ollama, ollamaKeys[i]});
        if (i < groqKeys.size())
            credentials.append({QStringLiteral("Groq"), groqEndpoint, models.groq, groqKeys[i]});
    }
    return credentials;
}

// The same key goes first for a whole UTC epoch hour, the next one in the following hour.
QList<AICredential> rotatedForHour(const QList<AICredential>& credentials, const QDateTime& now) {
    const qsizetype count = credentials.size();
    if (count == 0)
        return credentials;
    const qint64 hour = now.toMSecsSinceEpoch() / (3600 * 1000);
    const qsizetype start = qsizetype(((hour % count) + count) % count);
    return credentials.mid(start) + credentials.first(start);
}

// One request's attempts: every attempt sends the same conversation and tools, each with its own model.
struct Attempts {
    QList<AICredential> credentials;
    QList<AIMessage> history;
    QString system;
    QJsonArray toolSpecs;
    std::chrono::milliseconds timeout;
    AIProvider::Completion completion;
};

bool isRejection(const AIProviderResult& result) {
    return !result.ok() && result.error().kind() == AIProviderError::Kind::http &&
           (result.error().status() == 401 || result.error().status() == 429);
}

void attempt(const std::shared_ptr<const Attempts>& attempts, qsizetype index) {
    const AICredential& credential = attempts->credentials.at(index);
    // The body is made on a worker from copies of the data alone; the attempts stay on the main thread.
    auto build = [endpoint = credential.endpoint, model = credential.model,
                  authorization = "Bearer " + credential.apiKey.toUtf8(), history = attempts->history,
                  system = attempts->system,
                  toolSpecs = attempts->toolSpecs]() -> Result<ChatCompletionsPost, AIProviderError> {
        const QByteArray body = OpenAIChatCodec::serialize({
            {QStringLiteral("model"), model},
            {QStringLiteral("messages"), OpenAIChatCodec::encodeMessages(history, system)},
            {QStringLiteral("tools"), toolSpecs},
        });
        return ChatCompletionsPost{endpoint, {{"Authorization", authorization}}, body};
    };
    buildAndPostChatCompletion(
        std::move(build), attempts->timeout, [attempts, index](AIProviderResult result) {
            if (!isRejection(result))
                return attempts->completion(std::move(result));
            if (index + 1 < attempts->credentials.size())
                return attempt(attempts, index + 1);
            // The reply's own message is dropped: the user learns which service refused.
            attempts->completion(AIProviderError::http(result.error().status(),
                                                       attempts->credentials.at(index).label +
                                                           QStringLiteral(" key rejected or rate-limited")));
        });
}

} // namespace

QUrl RotatingAIProvider::defaultGroqBaseAddress() {
    return QUrl(QStringLiteral("https://api.groq.com"));
}

RotatingAIProvider::RotatingAIProvider(const QUrl& groqBaseAddress, Clock clock,
                                       std::chrono::milliseconds timeout)
    : m_groqEndpoint(endpointAt(groqBaseAddress, QStringLiteral("/openai/v1/chat/completions"))),
      m_clock(std::move(clock)), m_timeout(timeout) {}

void RotatingAIProvider::send(const QList<AIMessage>& history, const QList<AssistantTool>& tools,
                              const QString& system, AIModelPreference preference,
                              Completion completion) const {
    QList<AICredential> credentials = rotatedForHour(allCredentials(preference, m_groqEndpoint), m_clock());
    if (credentials.isEmpty())
        return completeLater(std::move(completion),
                             AIProviderError::missingAPIKey(QStringLiteral("Ollama Cloud or Groq")));
    attempt(std::make_shared<const Attempts>(Attempts{std::move(credentials), history, system,
                                                      OpenAIChatCodec::encodeToolSpecs(tools), m_timeout,
                                                      std::move(completion)}),
            0);
}

} // namespace zepla::ai
