// P-256 keys and raw signatures over OpenSSL 3.
#include "identity/DeviceKey.h"

#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/ec.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/param_build.h>
#include <openssl/x509.h>

namespace zepla::ai {

namespace {

constexpr int kScalarSize = 32;

template <auto release> struct Releaser {
    template <typename T> void operator()(T* pointer) const { release(pointer); }
};
template <typename T, auto release> using Owned = std::unique_ptr<T, Releaser<release>>;

using BigNumber = Owned<BIGNUM, BN_clear_free>;
using Group = Owned<EC_GROUP, EC_GROUP_free>;
using Point = Owned<EC_POINT, EC_POINT_free>;
using ParamBuilder = Owned<OSSL_PARAM_BLD, OSSL_PARAM_BLD_free>;
using Params = Owned<OSSL_PARAM, OSSL_PARAM_free>;
using KeyContext = Owned<EVP_PKEY_CTX, EVP_PKEY_CTX_free>;
using DigestContext = Owned<EVP_MD_CTX, EVP_MD_CTX_free>;
using Signature = Owned<ECDSA_SIG, ECDSA_SIG_free>;

// The reason of the latest OpenSSL failure, which also leaves OpenSSL's error queue empty.
QString openSSLFailure() {
    const unsigned long code = ERR_peek_last_error();
    ERR_clear_error();
    if (code == 0)
        return QStringLiteral("OpenSSL failed without a reason");
    char text[256];
    ERR_error_string_n(code, text, sizeof text);
    return QString::fromLatin1(text);
}

const unsigned char* bytes(QByteArrayView view) {
    return reinterpret_cast<const unsigned char*>(view.data());
}

unsigned char* bytes(QByteArray& array) {
    return reinterpret_cast<unsigned char*>(array.data());
}

QByteArray paddedScalar(const BIGNUM* number) {
    QByteArray out(kScalarSize, '\0');
    BN_bn2binpad(number, bytes(out), kScalarSize);
    return out;
}

// The uncompressed public point d·G, which OpenSSL wants beside the scalar to make a usable key pair.
QByteArray publicPoint(const EC_GROUP* group, const BIGNUM* scalar) {
    Point point(EC_POINT_new(group));
    if (!point || !EC_POINT_mul(group, point.get(), scalar, nullptr, nullptr, nullptr))
        return {};
    QByteArray out(2 * kScalarSize + 1, '\0');
    const size_t size = EC_POINT_point2oct(group, point.get(), POINT_CONVERSION_UNCOMPRESSED, bytes(out),
                                           out.size(), nullptr);
    return size == size_t(out.size()) ? out : QByteArray();
}

EVP_PKEY* keyFromScalar(const BIGNUM* scalar, const QByteArray& point) {
    ParamBuilder builder(OSSL_PARAM_BLD_new());
    if (!builder ||
        !OSSL_PARAM_BLD_push_utf8_string(builder.get(), OSSL_PKEY_PARAM_GROUP_NAME, SN_X9_62_prime256v1, 0) ||
        !OSSL_PARAM_BLD_push_BN(builder.get(), OSSL_PKEY_PARAM_PRIV_KEY, scalar) ||
        !OSSL_PARAM_BLD_push_octet_string(builder.get(), OSSL_PKEY_PARAM_PUB_KEY, point.constData(),
                                          point.size()))
        return nullptr;
    Params params(OSSL_PARAM_BLD_to_param(builder.get()));
    KeyContext context(EVP_PKEY_CTX_new_from_name(nullptr, "EC", nullptr));
    EVP_PKEY* key = nullptr;
    if (!params || !context || EVP_PKEY_fromdata_init(context.get()) <= 0 ||
        EVP_PKEY_fromdata(context.get(), &key, EVP_PKEY_KEYPAIR, params.get()) <= 0)
        return nullptr;
    return key;
}

// Whether the public point of `scalar` is compact-representable: its y is the smaller of y and p − y, so its
// x alone names it.
bool compactRepresentable(const EC_GROUP* group, const BIGNUM* scalar) {
    const QByteArray point = publicPoint(group, scalar);
    BigNumber p(BN_new());
    if (point.isEmpty() || !p || !EC_GROUP_get_curve(group, p.get(), nullptr, nullptr, nullptr))
        return false;
    BigNumber y(BN_bin2bn(bytes(QByteArrayView(point).last(kScalarSize)), kScalarSize, nullptr));
    BigNumber negated(BN_new());
    return y && negated && BN_sub(negated.get(), p.get(), y.get()) && BN_cmp(y.get(), negated.get()) <= 0;
}

} // namespace

DeviceKey::DeviceKey(evp_pkey_st* key) : m_key(key, EVP_PKEY_free) {}

Result<DeviceKey, DeviceIdentityError> DeviceKey::generate() {
    EVP_PKEY* generated = EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256");
    if (!generated)
        return DeviceIdentityError::cryptoFailed(openSSLFailure());
    DeviceKey key(generated);
    // Keys are made compact-representable: where d·G has the larger y, n − d (the same x, the other y) is
    // taken instead.
    BIGNUM* found = nullptr;
    Group group(EC_GROUP_new_by_curve_name(NID_X9_62_prime256v1));
    if (!group || !EVP_PKEY_get_bn_param(generated, OSSL_PKEY_PARAM_PRIV_KEY, &found))
        return DeviceIdentityError::cryptoFailed(openSSLFailure());
    BigNumber scalar(found);
    if (compactRepresentable(group.get(), scalar.get()))
        return key;
    BigNumber negated(BN_new());
    if (!negated || !BN_sub(negated.get(), EC_GROUP_get0_order(group.get()), scalar.get()))
        return DeviceIdentityError::cryptoFailed(openSSLFailure());
    auto compact = fromRawRepresentation(paddedScalar(negated.get()));
    if (!compact || !compactRepresentable(group.get(), negated.get()))
        return DeviceIdentityError::cryptoFailed(QStringLiteral("the key could not be made compact"));
    return *std::move(compact);
}

std::optional<DeviceKey> DeviceKey::fromRawRepresentation(QByteArrayView raw) {
    if (raw.size() != kScalarSize)
        return std::nullopt;
    BigNumber scalar(BN_bin2bn(bytes(raw), kScalarSize, nullptr));
    Group group(EC_GROUP_new_by_curve_name(NID_X9_62_prime256v1));
    if (!scalar || !group || BN_is_zero(scalar.get()) ||
        BN_cmp(scalar.get(), EC_GROUP_get0_order(group.get())) >= 0)
        return std::nullopt;
    const QByteArray point = publicPoint(group.get(), scalar.get());
    EVP_PKEY* key = point.isEmpty() ? nullptr : keyFromScalar(scalar.get(), point);
    ERR_clear_error();
    if (!key)
        return std::nullopt;
    return DeviceKey(key);
}

QByteArray DeviceKey::rawRepresentation() const {
    BIGNUM* scalar = nullptr;
    if (!EVP_PKEY_get_bn_param(m_key.get(), OSSL_PKEY_PARAM_PRIV_KEY, &scalar))
        return {};
    const BigNumber owned(scalar);
    return paddedScalar(owned.get());
}

QByteArray DeviceKey::publicKeyDER() const {
    unsigned char* der = nullptr;
    const int size = i2d_PUBKEY(m_key.get(), &der);
    if (size <= 0)
        return {};
    QByteArray out(reinterpret_cast<const char*>(der), size);
    OPENSSL_free(der);
    return out;
}

Result<QByteArray, DeviceIdentityError> DeviceKey::signatureRaw(QByteArrayView message) const {
    DigestContext context(EVP_MD_CTX_new());
    size_t size = 0;
    if (!context || EVP_DigestSignInit(context.get(), nullptr, EVP_sha256(), nullptr, m_key.get()) <= 0 ||
        EVP_DigestSign(context.get(), nullptr, &size, bytes(message), message.size()) <= 0)
        return DeviceIdentityError::cryptoFailed(openSSLFailure());
    QByteArray der(qsizetype(size), '\0');
    if (EVP_DigestSign(context.get(), bytes(der), &size, bytes(message), message.size()) <= 0)
        return DeviceIdentityError::cryptoFailed(openSSLFailure());
    const unsigned char* cursor = bytes(der);
    Signature signature(d2i_ECDSA_SIG(nullptr, &cursor, long(size)));
    if (!signature)
        return DeviceIdentityError::cryptoFailed(openSSLFailure());
    return paddedScalar(ECDSA_SIG_get0_r(signature.get())) + paddedScalar(ECDSA_SIG_get0_s(signature.get()));
}

} // namespace zepla::ai
