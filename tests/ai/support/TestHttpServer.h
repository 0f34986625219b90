// A small HTTP/1.1 responder on a loopback address that records what it receives and answers with canned
// replies.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QTcpServer>
#include <QUrl>

#include <functional>
#include <memory>

class QTcpSocket;

namespace zepla::ai::test {

struct CannedReply {
    enum class Delivery {
        // Status, headers with Content-Length, the whole body.
        whole,
        // Content-Length of the whole body, but the connection closes after half of it.
        cutShort,
        // No Content-Length, and the connection closes after half of the body, which so looks complete.
        closeDelimited,
        // Reads the request and never answers.
        silent,
    };

    int status = 200;
    QByteArray body;
    QByteArray contentType = "application/json";
    Delivery delivery = Delivery::whole;
    // Further header lines, such as "Location: …".
    QList<QByteArray> headers;
};

struct ReceivedRequest {
    QByteArray method;
    QByteArray path;
    // Header names in lower case.
    QHash<QByteArray, QByteArray> headers;
    QByteArray body;
};

class TestHttpServer : public QObject {
    Q_OBJECT

public:
    enum class Scheme { http, https };

    // Listens on `address`: 127.0.0.1 unless another loopback address is wanted, such as a second host.
    // Over https it shows the loopback certificate (support/TestCertificate.h), trusted by nobody unasked.
    explicit TestHttpServer(const QHostAddress& address = QHostAddress::LocalHost,
                            Scheme scheme = Scheme::http);
    ~TestHttpServer() override;

    // http(s)://<address>:<port>
    QUrl baseAddress() const;

    // Replies are used in order; the last one answers every further request.
    void setReplies(QList<CannedReply> replies);
    // Chooses each reply from the request instead, for requests whose order of arrival is not fixed.
    void setResponder(std::function<CannedReply(const ReceivedRequest&)> responder) {
        m_responder = std::move(responder);
    }
    const QList<ReceivedRequest>& requests() const { return m_requests; }

private:
    void accept();
    void readFrom(QTcpSocket* socket);
    void answer(QTcpSocket* socket);

    Scheme m_scheme;
    std::unique_ptr<QTcpServer> m_server;
    QList<CannedReply> m_replies;
    std::function<CannedReply(const ReceivedRequest&)> m_responder;
    QList<ReceivedRequest> m_requests;
    QHash<QTcpSocket*, QByteArray> m_buffers;
};

// A TCP port on 127.0.0.1 where nobody listens.
QUrl refusingBaseAddress();

} // namespace zepla::ai::test
