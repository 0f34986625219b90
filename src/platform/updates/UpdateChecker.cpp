#include "updates/UpdateChecker.h"

#include "updates/Appcast.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace zepla::platform {

namespace {

UpdateCheckResult failure(const QString& error) {
    return {UpdateCheckResult::Outcome::failed, {}, {}, error};
}

} // namespace

UpdateChecker::UpdateChecker(Options options, QObject* parent)
    : QObject(parent), m_options(std::move(options)), m_network(new QNetworkAccessManager(this)) {
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        stop(tr("The update server did not answer within %1 seconds. Try again later.")
                 .arg(std::chrono::duration<double>(m_options.timeLimit).count()));
    });
}

UpdateChecker::~UpdateChecker() {
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
}

bool UpdateChecker::isAllowed(const QUrl& url) const {
    if (url.scheme() == QLatin1String("https"))
        return true;
    return m_options.allowLoopbackHttp && url.scheme() == QLatin1String("http") &&
           url.host() == QLatin1String("127.0.0.1");
}

void UpdateChecker::check() {
    if (isChecking())
        return;
    if (!m_options.feed.isValid() || !isAllowed(m_options.feed)) {
        emit finished(failure(tr("The update feed address “%1” is not an https address; Zepla does not "
                                 "check it.")
                                  .arg(m_options.feed.toString())));
        return;
    }
    m_received.clear();
    m_stopReason.clear();
    m_location = m_options.feed;
    QNetworkRequest request(m_options.feed);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setMaximumRedirectsAllowed(5);
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QStringLiteral("Zepla/%1").arg(m_options.currentVersion));
    m_reply = m_network->get(request);
    connect(m_reply, &QNetworkReply::redirected, this, [this](const QUrl& target) {
        // A feed read over https is never read on over plain http, whatever else is allowed.
        const bool downgrade =
            m_location.scheme() == QLatin1String("https") && target.scheme() != QLatin1String("https");
        if (!isAllowed(target) || downgrade) {
            stop(tr("The update server sent Zepla to an address that is not secure (%1); the check was "
                    "stopped.")
                     .arg(target.toString()));
            return;
        }
        m_location = target;
        emit m_reply->redirectAllowed();
    });
    connect(m_reply, &QNetworkReply::readyRead, this, [this] {
        m_received += m_reply->readAll();
        if (m_received.size() > m_options.maxFeedBytes)
            stop(tr("The update feed is larger than %1 KB, more than a feed can be; it was not read.")
                     .arg(m_options.maxFeedBytes / 1024));
    });
    connect(m_reply, &QNetworkReply::finished, this, &UpdateChecker::replyFinished);
    m_deadline.start(m_options.timeLimit);
    emit checkingChanged(true);
}

// Ends the running check with `error`; the reply's finished signal follows and reports it.
void UpdateChecker::stop(const QString& error) {
    if (!m_reply || !m_stopReason.isEmpty())
        return;
    m_stopReason = error;
    m_reply->abort();
}

void UpdateChecker::replyFinished() {
    m_deadline.stop();
    QNetworkReply* reply = m_reply;
    m_reply = nullptr;
    reply->deleteLater();
    UpdateCheckResult result;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (!m_stopReason.isEmpty())
        result = failure(m_stopReason);
    else if (status >= 300)
        result =
            failure(tr("The update server answered with an error (HTTP %1). Try again later.").arg(status));
    else if (reply->error() != QNetworkReply::NoError)
        result =
            failure(tr("Zepla could not reach the update server: %1. Check your connection and try again.")
                        .arg(reply->errorString()));
    else
        result = resultOf(m_received + reply->readAll());
    m_received.clear();
    emit checkingChanged(false);
    emit finished(result);
}

UpdateCheckResult UpdateChecker::resultOf(const QByteArray& feed) const {
    const auto newest = Appcast::newestRelease(feed);
    if (!newest)
        return failure(tr("The update feed could not be read: %1.").arg(newest.error()));
    const Appcast::Release& release = newest.value();
    const std::optional<int> order = Appcast::compareVersions(release.version, m_options.currentVersion);
    const bool newer = order && *order > 0;
    return {newer ? UpdateCheckResult::Outcome::updateAvailable : UpdateCheckResult::Outcome::upToDate,
            release.displayVersion,
            release.downloadPage,
            {}};
}

} // namespace zepla::platform
