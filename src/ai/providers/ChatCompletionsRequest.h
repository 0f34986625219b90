// Posting one chat-completions request on the event loop and turning what comes back into a provider result.
#pragma once

#include "core/Result.h"
#include "messages/AIProvider.h"

#include <QByteArray>
#include <QList>
#include <QUrl>

#include <chrono>
#include <functional>
#include <utility>

namespace zepla::ai {

// How long a request may stay idle before it fails as timed out.
inline constexpr std::chrono::milliseconds kChatRequestTimeout = std::chrono::seconds(60);

using HTTPHeaders = QList<std::pair<QByteArray, QByteArray>>;

// A service's base address followed by the path of its chat-completions endpoint.
QUrl endpointAt(const QUrl& baseAddress, const QString& path);

// POSTs `body` as JSON to `endpoint` with the extra headers, from the main thread, without blocking it.
// No response at all ends in a transport error; a response is read by the codec's reply rules, on a worker.
// A redirect is followed only within the endpoint's scheme, host and port; one to anywhere else is not
// followed and ends in an `http` error with the redirect's status.
void postChatCompletion(const QUrl& endpoint, const HTTPHeaders& headers, const QByteArray& body,
                        std::chrono::milliseconds timeout, AIProvider::Completion completion);

// A request ready to be posted.
struct ChatCompletionsPost {
    QUrl endpoint;
    HTTPHeaders headers;
    QByteArray body;
};

using ChatCompletionsBuild = std::function<Result<ChatCompletionsPost, AIProviderError>()>;

// Runs `build` on a worker, since encoding and signing a long conversation takes longer than a frame, then
// posts what it made from the main thread as `postChatCompletion` does; a build that fails completes with
// its error. `build` must hold data only: it is let go on the worker.
void buildAndPostChatCompletion(ChatCompletionsBuild build, std::chrono::milliseconds timeout,
                                AIProvider::Completion completion);

// Hands `result` to `completion` on a later turn of the main thread's event loop, so that no completion
// ever runs inside the `send` that started it; callable from any thread.
void completeLater(AIProvider::Completion completion, AIProviderResult result);

} // namespace zepla::ai
