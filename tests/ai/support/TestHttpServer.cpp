// The canned HTTP responder of the provider tests.
#include "support/TestHttpServer.h"

#include "support/TestCertificate.h"

#include <QSslServer>
#include <QTcpSocket>

namespace zepla::ai::test {

namespace {

constexpr QByteArrayView kHeaderEnd = "\r\n\r\n";

QByteArray statusLine(int status) {
    return "HTTP/1.1 " + QByteArray::number(status) + (status < 300 ? " OK" : " Error") + "\r\n";
}

} // namespace

TestHttpServer::TestHttpServer(const QHostAddress& address, Scheme scheme) : m_scheme(scheme) {
    if (scheme == Scheme::https) {
        auto server = std::make_unique<QSslServer>();
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        configuration.setLocalCertificate(loopbackCertificate().certificate);
        configuration.setPrivateKey(loopbackCertificate().key);
        server->setSslConfiguration(configuration);
        m_server = std::move(server);
    } else {
        m_server = std::make_unique<QTcpServer>();
    }
    // Over https a connection is pending once its handshake is over.
    connect(m_server.get(), &QTcpServer::pendingConnectionAvailable, this, &TestHttpServer::accept);
    m_server->listen(address);
}

// Open connections close with the server; their signals must not reach the half-destroyed responder.
TestHttpServer::~TestHttpServer() {
    for (QTcpSocket* socket : m_server->findChildren<QTcpSocket*>())
        socket->disconnect(this);
}

QUrl TestHttpServer::baseAddress() const {
    return QUrl(QStringLiteral("%1://%2:%3")
                    .arg(m_scheme == Scheme::https ? QStringLiteral("https") : QStringLiteral("http"),
                         m_server->serverAddress().toString())
                    .arg(m_server->serverPort()));
}

void TestHttpServer::setReplies(QList<CannedReply> replies) {
    m_replies = std::move(replies);
}

void TestHttpServer::accept() {
    while (QTcpSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readFrom(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            m_buffers.remove(socket);
            socket->deleteLater();
        });
    }
}

void TestHttpServer::readFrom(QTcpSocket* socket) {
    QByteArray& buffer = m_buffers[socket];
    buffer += socket->readAll();
    const qsizetype headerEnd = buffer.indexOf(kHeaderEnd);
    if (headerEnd < 0)
        return;

    ReceivedRequest request;
    const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
    const QList<QByteArray> requestLine = lines.first().trimmed().split(' ');
    request.method = requestLine.value(0);
    request.path = requestLine.value(1);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0)
            request.headers.insert(lines[i].left(colon).trimmed().toLower(),
                                   lines[i].mid(colon + 1).trimmed());
    }
    const qsizetype bodyStart = headerEnd + kHeaderEnd.size();
    const qsizetype length = request.headers.value("content-length").toLongLong();
    if (buffer.size() < bodyStart + length)
        return;
    request.body = buffer.mid(bodyStart, length);
    buffer.clear();
    m_requests.append(request);
    answer(socket);
}

void TestHttpServer::answer(QTcpSocket* socket) {
    const CannedReply reply =
        m_responder ? m_responder(m_requests.last())
                    : m_replies.value(m_requests.size() - 1, m_replies.value(m_replies.size() - 1));
    if (reply.delivery == CannedReply::Delivery::silent)
        return;
    QByteArray head =
        statusLine(reply.status) + "Content-Type: " + reply.contentType + "\r\nConnection: close\r\n";
    for (const QByteArray& header : reply.headers)
        head += header + "\r\n";
    QByteArray body = reply.body;
    if (reply.delivery != CannedReply::Delivery::closeDelimited)
        head += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n";
    if (reply.delivery != CannedReply::Delivery::whole)
        body.truncate(body.size() / 2);
    socket->write(head + "\r\n" + body);
    socket->disconnectFromHost();
}

QUrl refusingBaseAddress() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    const quint16 port = probe.serverPort();
    probe.close();
    return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(port));
}

} // namespace zepla::ai::test
