// The backend's side of request signing.
#include "support/SignatureCheck.h"

#include <openssl/bn.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/x509.h>

#include <memory>

namespace zepla::ai::test {

bool verifiesDeviceSignature(const QByteArray& publicKeyBase64, const QByteArray& message,
                             const QByteArray& signatureBase64) {
    const QByteArray der = QByteArray::fromBase64(publicKeyBase64, QByteArray::AbortOnBase64DecodingErrors);
    const QByteArray raw = QByteArray::fromBase64(signatureBase64, QByteArray::AbortOnBase64DecodingErrors);
    if (der.isEmpty() || raw.size() != 64)
        return false;
    const auto* derBytes = reinterpret_cast<const unsigned char*>(der.constData());
    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key(d2i_PUBKEY(nullptr, &derBytes, der.size()),
                                                            EVP_PKEY_free);
    std::unique_ptr<ECDSA_SIG, decltype(&ECDSA_SIG_free)> signature(ECDSA_SIG_new(), ECDSA_SIG_free);
    const auto* rawBytes = reinterpret_cast<const unsigned char*>(raw.constData());
    if (!key || !signature ||
        !ECDSA_SIG_set0(signature.get(), BN_bin2bn(rawBytes, 32, nullptr),
                        BN_bin2bn(rawBytes + 32, 32, nullptr)))
        return false;
    unsigned char* sigDer = nullptr;
    const int sigSize = i2d_ECDSA_SIG(signature.get(), &sigDer);
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    const bool valid = sigSize > 0 &&
                       EVP_DigestVerifyInit(context.get(), nullptr, EVP_sha256(), nullptr, key.get()) == 1 &&
                       EVP_DigestVerify(context.get(), sigDer, size_t(sigSize),
                                        reinterpret_cast<const unsigned char*>(message.constData()),
                                        size_t(message.size())) == 1;
    OPENSSL_free(sigDer);
    return valid;
}

} // namespace zepla::ai::test
