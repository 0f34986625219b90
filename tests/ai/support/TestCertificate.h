// A self-signed certificate for 127.0.0.1, made once per test process, for the https servers of the tests.
#pragma once

#include <QSslCertificate>
#include <QSslKey>

namespace zepla::ai::test {

struct TestCertificate {
    QSslCertificate certificate;
    QSslKey key;
};

const TestCertificate& loopbackCertificate();

// Lets this process's TLS connections trust the loopback certificate.
void trustLoopbackCertificate();

} // namespace zepla::ai::test
