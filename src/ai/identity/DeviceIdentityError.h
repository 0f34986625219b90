// Why the device signing key could not be made, saved or used, with the text the user sees.
#pragma once

#include <QString>

#include <utility>

namespace zepla::ai {

class DeviceIdentityError {
public:
    enum class Kind {
        // The key file or its folder could not be written; `reason()` says why.
        writeFailed,
        // The crypto library refused to make a key or a signature; `reason()` is its own message.
        cryptoFailed,
    };

    static DeviceIdentityError writeFailed(QString reason) { return {Kind::writeFailed, std::move(reason)}; }
    static DeviceIdentityError cryptoFailed(QString reason) {
        return {Kind::cryptoFailed, std::move(reason)};
    }

    Kind kind() const { return m_kind; }
    const QString& reason() const { return m_reason; }

    QString errorDescription() const {
        if (m_kind == Kind::writeFailed)
            return QStringLiteral("Couldn't save the device signing key (") + m_reason + QStringLiteral(").");
        return m_reason;
    }

private:
    DeviceIdentityError(Kind kind, QString reason) : m_kind(kind), m_reason(std::move(reason)) {}

    Kind m_kind;
    QString m_reason;
};

} // namespace zepla::ai
