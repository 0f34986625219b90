// An ECDSA P-256 private key held by OpenSSL: made, read from and written to its 32-byte raw form, signs.
#pragma once

#include "core/Result.h"
#include "identity/DeviceIdentityError.h"

#include <QByteArray>
#include <QByteArrayView>

#include <memory>
#include <optional>

struct evp_pkey_st;

namespace zepla::ai {

class DeviceKey {
public:
    static Result<DeviceKey, DeviceIdentityError> generate();
    // Nothing unless `raw` is a big-endian private scalar of 32 bytes in the range of the curve.
    static std::optional<DeviceKey> fromRawRepresentation(QByteArrayView raw);

    QByteArray rawRepresentation() const;
    // The SubjectPublicKeyInfo structure of the public key.
    QByteArray publicKeyDER() const;
    // ECDSA over SHA-256 of `message`, as r then s, 32 bytes each, big-endian.
    Result<QByteArray, DeviceIdentityError> signatureRaw(QByteArrayView message) const;

private:
    // Takes ownership of `key`.
    explicit DeviceKey(evp_pkey_st* key);

    std::shared_ptr<evp_pkey_st> m_key;
};

} // namespace zepla::ai
