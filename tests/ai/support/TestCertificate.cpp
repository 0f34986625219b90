// The loopback certificate: an EC key and a certificate naming 127.0.0.1, signed by that key.
#include "support/TestCertificate.h"

#include <QSslConfiguration>

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <memory>

namespace zepla::ai::test {

namespace {

template <typename T, void (*Free)(T*)> using Owned = std::unique_ptr<T, decltype([](T* p) { Free(p); })>;

QByteArray pem(const std::function<int(BIO*)>& write) {
    Owned<BIO, BIO_free_all> bio(BIO_new(BIO_s_mem()));
    write(bio.get());
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio.get(), &data);
    return QByteArray(data, int(size));
}

TestCertificate make() {
    Owned<EVP_PKEY, EVP_PKEY_free> key(EVP_EC_gen("P-256"));
    Owned<X509, X509_free> certificate(X509_new());
    X509_set_version(certificate.get(), 2);
    ASN1_INTEGER_set(X509_get_serialNumber(certificate.get()), 1);
    X509_gmtime_adj(X509_getm_notBefore(certificate.get()), -3600);
    X509_gmtime_adj(X509_getm_notAfter(certificate.get()), 24 * 3600);
    X509_NAME* name = X509_get_subject_name(certificate.get());
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("127.0.0.1"),
                               -1, -1, 0);
    X509_set_issuer_name(certificate.get(), name);
    X509_set_pubkey(certificate.get(), key.get());
    X509V3_CTX context;
    X509V3_set_ctx(&context, certificate.get(), certificate.get(), nullptr, nullptr, 0);
    Owned<X509_EXTENSION, X509_EXTENSION_free> alternative(
        X509V3_EXT_conf_nid(nullptr, &context, NID_subject_alt_name, "IP:127.0.0.1"));
    X509_add_ext(certificate.get(), alternative.get(), -1);
    X509_sign(certificate.get(), key.get(), EVP_sha256());
    return {QSslCertificate(pem([&](BIO* bio) { return PEM_write_bio_X509(bio, certificate.get()); })),
            QSslKey(pem([&](BIO* bio) {
                        return PEM_write_bio_PrivateKey(bio, key.get(), nullptr, nullptr, 0, nullptr,
                                                        nullptr);
                    }),
                    QSsl::Ec)};
}

} // namespace

const TestCertificate& loopbackCertificate() {
    static const TestCertificate certificate = make();
    return certificate;
}

void trustLoopbackCertificate() {
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.addCaCertificate(loopbackCertificate().certificate);
    QSslConfiguration::setDefaultConfiguration(configuration);
}

} // namespace zepla::ai::test
