// This installation's signing key, kept in its own file, and the signatures of built-in backend requests.
#pragma once

#include "core/Result.h"
#include "identity/DeviceIdentityError.h"
#include "identity/DeviceKey.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace zepla::ai::DeviceIdentity {

// ~/.local/share/Zepla/device-identity.key; empty when the folder cannot be made.
QString keyFilePath();

// The stored key, or a new one saved first (mode 0600 from its birth, replacing the file atomically).
// A missing, unreadable or invalid file is replaced silently. A request loads the key once and takes both
// its public key and its signature from it, so the two always belong together.
Result<DeviceKey, DeviceIdentityError> privateKey();

// The Base64 of the DER public key, without line breaks.
QString publicKeyBase64(const DeviceKey& key);

// What is signed: the timestamp in decimal, ".", and the lowercase hex SHA-256 of the body.
QByteArray signedMessage(QByteArrayView bodyBytes, qint64 timestampMillis);

// The Base64 of the raw r‖s signature over `signedMessage` (88 characters).
Result<QString, DeviceIdentityError> sign(const DeviceKey& key, QByteArrayView bodyBytes,
                                          qint64 timestampMillis);

} // namespace zepla::ai::DeviceIdentity
