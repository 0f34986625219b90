// A configured service that redirects its requests, and the servers of other origins it may point at, all
// real servers on loopback addresses.
#pragma once

#include "support/TestHttpServer.h"

#include <QMetaType>

namespace zepla::ai::test {

class RedirectingServers {
public:
    enum class Target {
        // A path of the configured server itself.
        sameOrigin,
        // Another server on 127.0.0.1.
        otherPort,
        // A server on 127.0.0.2.
        otherHost,
    };

    // The configured server answers with a 307 to the target, once for the same origin (then `answer`),
    // always otherwise; every other server answers `answer`, so a request that reaches one would succeed.
    RedirectingServers(Target target, const QByteArray& answer);

    TestHttpServer configured;
    TestHttpServer otherPort;
    TestHttpServer otherHost{QHostAddress(QStringLiteral("127.0.0.2"))};

    // Where the redirect points.
    QUrl target() const { return m_target; }
    // Every request that reached a server other than the configured one.
    qsizetype requestsElsewhere() const;

private:
    QUrl m_target;
};

} // namespace zepla::ai::test

Q_DECLARE_METATYPE(zepla::ai::test::RedirectingServers::Target)
