// The shared network session of the providers and the line between a transport failure and a response.
#include "providers/ChatCompletionsRequest.h"

#include "codec/OpenAIChatCodec.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QThreadPool>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

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

// The scheme, host and port, with the scheme's default port filled in.
bool isSameOrigin(const QUrl& a, const QUrl& b) {
    const auto defaultPort = [](const QUrl& url) {
        return url.scheme() == QLatin1String("https") ? 443 : 80;
    };
    return a.scheme() == b.scheme() && a.host() == b.host() &&
           a.port(defaultPort(a)) == b.port(defaultPort(b));
}

// A redirect that was not followed: the status that asked for it and where it pointed.
struct RefusedRedirect {
    int status = 0;
    QUrl target;
};

AIProviderError refusal(const RefusedRedirect& redirect) {
    return AIProviderError::http(
        redirect.status, QStringLiteral("The service redirected the request to another server (%1); it was "
                                        "not sent there.")
                             .arg(redirect.target.toDisplayString(QUrl::RemoveUserInfo | QUrl::RemovePath |
                                                                  QUrl::RemoveQuery | QUrl::RemoveFragment)));
}

// What can be told without the body; nothing when the body is to be read.
std::optional<AIProviderError> failureWithoutBody(QNetworkReply& reply,
                                                  const std::optional<RefusedRedirect>& refused) {
    if (refused)
        return refusal(*refused);
    // The service answered and then closed the connection before its body was whole.
    if (reply.error() == QNetworkReply::RemoteHostClosedError &&
        reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid())
        return AIProviderError::invalidJSON(reply.errorString());
    if (isTransportFailure(reply))
        return AIProviderError::transport(transportDescription(reply));
    return std::nullopt;
}

// A reply's body, taken as it arrives in slices small enough for a frame, one slice a turn of the event
// loop: a long answer arrives in lumps of megabytes, whose copying alone would hold the window. Once the
// reply has finished and all of it is taken, the pieces go to `whenWhole`, to be joined and read on a worker.
struct BodyReader {
    static constexpr qint64 sliceBytes = 256 * 1024;

    explicit BodyReader(QNetworkReply* reply) : reply(reply) {}

    QNetworkReply* reply;
    QByteArrayList pieces;
    bool sliceScheduled = false;
    // Set once the reply has finished well.
    std::function<void(QByteArrayList)> whenWhole;
};

void takeSlice(const std::shared_ptr<BodyReader>& body);

void scheduleSlice(const std::shared_ptr<BodyReader>& body) {
    if (std::exchange(body->sliceScheduled, true))
        return;
    QTimer::singleShot(0, body->reply, [body] { takeSlice(body); });
}

void takeSlice(const std::shared_ptr<BodyReader>& body) {
    body->sliceScheduled = false;
    QNetworkReply* reply = body->reply;
    if (reply->bytesAvailable() > 0)
        body->pieces.append(reply->read(std::min(reply->bytesAvailable(), BodyReader::sliceBytes)));
    if (reply->bytesAvailable() > 0)
        return scheduleSlice(body);
    if (body->whenWhole) {
        reply->deleteLater();
        std::exchange(body->whenWhole, nullptr)(std::move(body->pieces));
    }
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
    // The headers carry the key or the device's signature, and Qt sends them on along a redirect: only a
    // redirect within the endpoint's own origin is followed.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
    QNetworkReply* reply = sharedSession().post(request, body);
    auto refused = std::make_shared<std::optional<RefusedRedirect>>();
    QObject::connect(
        reply, &QNetworkReply::redirected, reply, [reply, endpoint, refused](const QUrl& target) {
            if (isSameOrigin(endpoint, target)) {
                emit reply->redirectAllowed();
                return;
            }
            *refused =
                RefusedRedirect{reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), target};
            reply->abort();
        });
    auto received = std::make_shared<BodyReader>(reply);
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [received] { scheduleSlice(received); });
    QObject::connect(
        reply, &QNetworkReply::finished, reply,
        [reply, received, refused, completion = std::move(completion)]() mutable {
            if (const std::optional<AIProviderError> failure = failureWithoutBody(*reply, *refused)) {
                reply->deleteLater();
                return completion(*failure);
            }
            const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
            received->whenWhole = [status,
                                   completion = std::move(completion)](QByteArrayList pieces) mutable {
                // The completion moves along whole, so that whatever it holds is let go on the main thread.
                QThreadPool::globalInstance()->start(
                    [status, pieces = std::move(pieces), completion = std::move(completion)]() mutable {
                        completeLater(std::move(completion),
                                      OpenAIChatCodec::interpretReply(status, pieces.join()));
                    });
            };
            scheduleSlice(received);
        });
}

void buildAndPostChatCompletion(ChatCompletionsBuild build, std::chrono::milliseconds timeout,
                                AIProvider::Completion completion) {
    QThreadPool::globalInstance()->start([build = std::move(build), timeout,
                                          completion = std::move(completion)]() mutable {
        auto built = build();
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [built = std::move(built), timeout, completion = std::move(completion)]() mutable {
                if (!built)
                    return completion(built.error());
                const ChatCompletionsPost& post = built.value();
                postChatCompletion(post.endpoint, post.headers, post.body, timeout, std::move(completion));
            },
            Qt::QueuedConnection);
    });
}

void completeLater(AIProvider::Completion completion, AIProviderResult result) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [completion = std::move(completion), result = std::move(result)] { completion(result); },
        Qt::QueuedConnection);
}

} // namespace zepla::ai
