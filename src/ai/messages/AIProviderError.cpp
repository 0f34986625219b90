// The user-readable texts of provider errors.
#include "messages/AIProviderError.h"

namespace zepla::ai {

AIProviderError AIProviderError::missingAPIKey(QString provider) {
    return {Kind::missingAPIKey, 0, std::move(provider)};
}

AIProviderError AIProviderError::http(int status, QString message) {
    return {Kind::http, status, std::move(message)};
}

AIProviderError AIProviderError::malformedResponse() {
    return {Kind::malformedResponse, 0, {}};
}

AIProviderError AIProviderError::transport(QString description) {
    return {Kind::transport, 0, std::move(description)};
}

AIProviderError AIProviderError::invalidJSON(QString description) {
    return {Kind::invalidJSON, 0, std::move(description)};
}

AIProviderError AIProviderError::deviceIdentity(QString description) {
    return {Kind::deviceIdentity, 0, std::move(description)};
}

QString AIProviderError::errorDescription() const {
    switch (m_kind) {
    case Kind::missingAPIKey:
        return QStringLiteral("Add your ") + m_detail +
               QStringLiteral(" API key in Edit ▸ Settings… to use Ask.");
    case Kind::http:
        return QStringLiteral("API error (") + QString::number(m_status) + QStringLiteral("): ") + m_detail;
    case Kind::malformedResponse:
        return QStringLiteral("Received an unexpected response from the AI provider.");
    case Kind::invalidJSON:
        return QStringLiteral("The AI service sent a reply that could not be read (") + m_detail +
               QLatin1Char(')');
    case Kind::transport:
    case Kind::deviceIdentity:
        return m_detail;
    }
    return {};
}

} // namespace zepla::ai
