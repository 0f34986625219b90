// Why a provider call failed, with the text the user sees in the chat.
#pragma once

#include <QString>

#include <utility>

namespace zepla::ai {

class AIProviderError {
public:
    enum class Kind {
        // No credential is available; `provider()` names the service.
        missingAPIKey,
        // An HTTP status (-1 when the response was not an HTTP response) and a message.
        http,
        // The reply was JSON but not of the expected shape.
        malformedResponse,
        // Failures of the network, the JSON reader and the device key, passed on with their own description.
        transport,
        invalidJSON,
        deviceIdentity,
    };

    static AIProviderError missingAPIKey(QString provider);
    static AIProviderError http(int status, QString message);
    static AIProviderError malformedResponse();
    static AIProviderError transport(QString description);
    static AIProviderError invalidJSON(QString description);
    static AIProviderError deviceIdentity(QString description);

    Kind kind() const { return m_kind; }
    // The HTTP status of an `http` error, 0 otherwise.
    int status() const { return m_status; }
    // The provider name, the HTTP message or the passed-on description, by kind.
    const QString& detail() const { return m_detail; }

    QString errorDescription() const;

    bool operator==(const AIProviderError&) const = default;

private:
    AIProviderError(Kind kind, int status, QString detail)
        : m_kind(kind), m_status(status), m_detail(std::move(detail)) {}

    Kind m_kind;
    int m_status;
    QString m_detail;
};

} // namespace zepla::ai
