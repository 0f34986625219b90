// The shared network session of the providers and the line between a transport failure and a response.
#include "providers/ChatCompletionsRequest.h"

#include "codec/OpenAIChatCodec.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>

namespace zepla::ai {

namespace {

// One session for the whole application, owned by it so that it goes before Qt's own teardown.
QNetworkAccessManager& sharedSession() {
    static QPointer<QNetworkAccessManager> session;
    if (!session)
        session = new QNetworkAccessManager(QCoreApplication::instance());
    return *session;
}

// Qt reports HTTP error statuses as reply errors too; only errors of the network layer, or no status at
// all, mean that no response came back. A body cut short by a closed connection is one of them.
bool isTransportFailure(const QNetworkReply& reply) {
    const QNetworkReply::NetworkError error = reply.error();
    const bool networkLayer = error != QNetworkReply::NoError && error <= QNetworkReply::UnknownNetworkError;
    return networkLayer || !reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
}

// Requests are cancelled only by their idle timer, and Qt reports that as a plain cancellation.
QString transportDescription(const QNetworkReply& reply) {
    if (reply.error() == QNetworkReply::OperationCanceledError)
        return QStringLiteral("The request timed out.");
    return reply.errorString();
}

AIProviderResult readReply(QNetworkReply& reply) {
    // The service answered and then closed the connection before its body was whole.
    if (reply.error() == QNetworkReply::RemoteHostClosedError &&
        reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid())
        return AIProviderError::invalidJSON(reply.errorString());
    if (isTransportFailure(reply))
        return AIProviderError::transport(transportDescription(reply));
    return OpenAIChatCodec::interpretReply(reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(),
                                           reply.readAll());
}

} // namespace

QUrl endpointAt(const QUrl& baseAddress, const QString& path) {
    QUrl endpoint = baseAddress;
    QString basePath = baseAddress.path();
    while (basePath.endsWith(QLatin1Char('/')))
        basePath.chop(1);
    endpoint.setPath(basePath + path);
    return endpoint;
}

void postChatCompletion(const QUrl& endpoint, const HTTPHeaders& headers, const QByteArray& body,
                        std::chrono::milliseconds timeout, AIProvider::Completion completion) {
    QNetworkRequest request(endpoint);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    for (const auto& [name, value] : headers)
        request.setRawHeader(name, value);
    request.setTransferTimeout(int(timeout.count()));
    QNetworkReply* reply = sharedSession().post(request, body);
    QObject::connect(reply, &QNetworkReply::finished, reply, [reply, completion = std::move(completion)] {
        reply->deleteLater();
        completion(readReply(*reply));
    });
}

void completeLater(AIProvider::Completion completion, AIProviderResult result) {
    QTimer::singleShot(
        0, QCoreApplication::instance(),
        [completion = std::move(completion), result = std::move(result)] { completion(result); });
}

} // namespace zepla::ai
