// Verifies a device signature the way the backend does, with OpenSSL and nothing of the code under test.
#pragma once

#include <QByteArray>

namespace zepla::ai::test {

// True when `signatureBase64` (raw r‖s) is a valid ECDSA P-256 SHA-256 signature of `message` by the
// key whose Base64 DER SubjectPublicKeyInfo is `publicKeyBase64`.
bool verifiesDeviceSignature(const QByteArray& publicKeyBase64, const QByteArray& message,
                             const QByteArray& signatureBase64);

} // namespace zepla::ai::test
