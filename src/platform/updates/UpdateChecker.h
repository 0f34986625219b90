// One check of the update feed at a time: fetches the appcast over HTTPS, within a time and size limit, and
// says whether a newer version than the running one is out.
#pragma once

#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <chrono>

class QNetworkAccessManager;

namespace zepla::platform {

struct UpdateCheckResult {
    enum class Outcome { updateAvailable, upToDate, failed };
    Outcome outcome = Outcome::failed;
    // The newest version the feed lists, as the user reads it, and its download page.
    QString latestVersion;
    QUrl downloadPage;
    // Why the check failed, in words for the user.
    QString error;
};

class UpdateChecker : public QObject {
    Q_OBJECT

public:
    struct Options {
        QUrl feed;
        QString currentVersion;
        std::chrono::milliseconds timeLimit{std::chrono::seconds(30)};
        qint64 maxFeedBytes = 1 << 20;
        // Plain http to 127.0.0.1, for a feed served by a test; everything else needs https throughout.
        bool allowLoopbackHttp = false;
    };

    explicit UpdateChecker(Options options, QObject* parent = nullptr);
    ~UpdateChecker() override;

    bool isChecking() const { return m_reply != nullptr; }
    // Starts a check unless one is running; the answer comes as finished().
    void check();

signals:
    void checkingChanged(bool checking);
    void finished(const zepla::platform::UpdateCheckResult& result);

private:
    bool isAllowed(const QUrl& url) const;
    void stop(const QString& error);
    void replyFinished();
    UpdateCheckResult resultOf(const QByteArray& feed) const;

    Options m_options;
    QNetworkAccessManager* m_network = nullptr;
    QPointer<QNetworkReply> m_reply;
    QByteArray m_received;
    QString m_stopReason;
    // Where the running check reads now, after the redirects followed so far.
    QUrl m_location;
    QTimer m_deadline;
};

} // namespace zepla::platform
