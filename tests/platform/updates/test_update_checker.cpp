// The update feed: how an appcast is read and versions compared, and a check against a real HTTP server on
// 127.0.0.1 answering with newer, same, malformed, huge, slow, redirected or no feed at all.
#include "support/TestCertificate.h"
#include "support/TestHttpServer.h"
#include "updates/Appcast.h"
#include "updates/UpdateChecker.h"

#include <QSignalSpy>
#include <QTest>

using namespace zepla::platform;
using zepla::ai::test::CannedReply;
using zepla::ai::test::TestHttpServer;
using Outcome = UpdateCheckResult::Outcome;

namespace {

QByteArray appcast(const QByteArray& items) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<rss version=\"2.0\" xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\">\n"
           "<channel><title>Zepla</title>\n" +
           items + "</channel></rss>\n";
}

QByteArray item(const QByteArray& version, const QByteArray& page) {
    return "<item><title>Zepla " + version + "</title><link>" + page + "</link><sparkle:version>" + version +
           "</sparkle:version></item>\n";
}

struct Checked {
    UpdateCheckResult result;
    QList<bool> checkingChanges;
};

Checked runCheck(UpdateChecker::Options options) {
    options.allowLoopbackHttp = true;
    if (options.currentVersion.isEmpty())
        options.currentVersion = QStringLiteral("1.2.0");
    UpdateChecker checker(options);
    QSignalSpy finished(&checker, &UpdateChecker::finished);
    QSignalSpy checking(&checker, &UpdateChecker::checkingChanged);
    checker.check();
    if (finished.isEmpty())
        finished.wait(testsupport::hangGuardMs);
    Checked checked;
    if (!finished.isEmpty())
        checked.result = finished.first().first().value<UpdateCheckResult>();
    for (const QList<QVariant>& change : checking)
        checked.checkingChanges << change.first().toBool();
    return checked;
}

} // namespace

class TestUpdateChecker : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<UpdateCheckResult>(); }

    void versionsCompareByNumber() {
        struct Case {
            const char* a;
            const char* b;
            std::optional<int> order;
        };
        const Case cases[] = {
            {"1.2.0", "1.2", 0},   {"1.10", "1.9", 1},    {"0.1.0", "0.1.1", -1},  {"2", "1.99.99", 1},
            {"1.2.0", "1.2.0", 0}, {"1.2.0.1", "1.2", 1}, {"1.2-beta", "1.2", {}}, {"", "1", {}},
            {"1..2", "1.2", {}},   {"v1.2", "1.2", {}},   {"1.2 ", "1.2", {}},     {"-1", "1", {}},
        };
        for (const Case& c : cases)
            QVERIFY2(Appcast::compareVersions(c.a, c.b) == c.order,
                     qPrintable(QString("%1 vs %2").arg(c.a, c.b)));
    }

    void newestReleaseOfTheFeed() {
        const QByteArray feed = appcast(
            item("1.9.0", "https://zepla.example/1.9") +
            // The enclosure's version and address serve when the item has neither element.
            "<item><enclosure url=\"https://zepla.example/zepla-1.10.tar.gz\" sparkle:version=\"1.10.0\" "
            "sparkle:shortVersionString=\"1.10\" length=\"10\" type=\"application/octet-stream\"/></item>\n" +
            // A plain http page is never offered, however new.
            item("9.0", "http://zepla.example/9") + item("1.2", "https://zepla.example/1.2"));
        const auto newest = Appcast::newestRelease(feed);
        QVERIFY(newest.ok());
        const Appcast::Release& release = newest.value();
        QCOMPARE(release.version, QString("1.10.0"));
        QCOMPARE(release.displayVersion, QString("1.10"));
        QCOMPARE(release.downloadPage, QUrl("https://zepla.example/zepla-1.10.tar.gz"));
    }

    void unreadableFeedsSayWhy() {
        const std::pair<QByteArray, QString> cases[] = {
            {"", "not XML"},
            {"{\"version\": \"2.0\"}", "not XML"},
            {"<html><body>Not found</body></html>", "not an RSS feed"},
            {appcast(""), "no releases"},
            {appcast("<item><title>soon</title></item>"), "none of its releases"},
            {appcast(item("2.0", "https://zepla.example/2.0")).left(150), "line"},
        };
        for (const auto& [feed, expected] : cases) {
            const auto newest = Appcast::newestRelease(feed);
            QVERIFY2(!newest.ok(), feed.constData());
            QVERIFY2(newest.error().contains(expected), qPrintable(newest.error()));
        }
    }

    void checksAgainstTheServedFeed() {
        struct Case {
            const char* name;
            CannedReply reply;
            Outcome outcome;
            QString expected; // the version found, or a part of the error
        };
        const QByteArray newer = appcast(item("1.3.0", "https://zepla.example/download"));
        const Case cases[] = {
            {"newer", {200, newer, "application/rss+xml"}, Outcome::updateAvailable, "1.3.0"},
            {"same",
             {200, appcast(item("1.2", "https://zepla.example/download")), "application/xml"},
             Outcome::upToDate,
             "1.2"},
            {"older",
             {200, appcast(item("1.1.9", "https://zepla.example/download")), "application/xml"},
             Outcome::upToDate,
             "1.1.9"},
            {"malformed",
             {200, "<rss><channel><item>", "application/xml"},
             Outcome::failed,
             "could not be read"},
            {"not found", {404, "gone", "text/plain"}, Outcome::failed, "HTTP 404"},
            {"cut short",
             {200, newer, "application/xml", CannedReply::Delivery::cutShort},
             Outcome::failed,
             "could not reach"},
            {"huge",
             {200, QByteArray(3 << 20, ' ') + newer, "application/xml"},
             Outcome::failed,
             "larger than"},
            {"redirected to plain http",
             {302,
              "",
              "text/plain",
              CannedReply::Delivery::whole,
              {"Location: http://zepla.example/feed.xml"}},
             Outcome::failed,
             "not secure"},
        };
        for (const Case& c : cases) {
            TestHttpServer server;
            server.setReplies({c.reply});
            const Checked checked = runCheck({server.baseAddress().resolved(QUrl("/appcast.xml"))});
            QVERIFY2(checked.result.outcome == c.outcome, c.name);
            const QString said =
                c.outcome == Outcome::failed ? checked.result.error : checked.result.latestVersion;
            QVERIFY2(said.contains(c.expected), qPrintable(QString("%1: %2").arg(c.name, said)));
            QCOMPARE(checked.checkingChanges, (QList<bool>{true, false}));
            QCOMPARE(server.requests().size(), 1);
            QCOMPARE(server.requests().first().path, QByteArray("/appcast.xml"));
        }
    }

    void foundReleaseCarriesItsPage() {
        TestHttpServer server;
        server.setReplies(
            {{200, appcast(item("1.3.0", "https://zepla.example/download")), "application/xml"}});
        const Checked checked = runCheck({server.baseAddress()});
        QCOMPARE(checked.result.downloadPage, QUrl("https://zepla.example/download"));
    }

    void redirectWithinTheAllowedFeedsIsFollowed() {
        TestHttpServer server;
        const QByteArray moved = "Location: " + server.baseAddress().toEncoded() + "/moved.xml";
        server.setReplies({{301, "", "text/plain", CannedReply::Delivery::whole, {moved}},
                           {200, appcast(item("2.0", "https://zepla.example/2")), "application/xml"}});
        const Checked checked = runCheck({server.baseAddress()});
        QCOMPARE(checked.result.outcome, Outcome::updateAvailable);
        QCOMPARE(server.requests().size(), 2);
        QCOMPARE(server.requests().last().path, QByteArray("/moved.xml"));
    }

    // A feed is followed to no other plain-http host, and from https never down to plain http, even where
    // plain http would be allowed: the second server hears nothing.
    void redirectsToPlainHttpAreRefused_data() {
        QTest::addColumn<bool>("https");
        QTest::addColumn<QString>("targetHost");
        QTest::newRow("http feed to another host") << false << "127.0.0.2";
        QTest::newRow("https feed to plain http") << true << "127.0.0.1";
    }
    void redirectsToPlainHttpAreRefused() {
        QFETCH(bool, https);
        QFETCH(QString, targetHost);
        zepla::ai::test::trustLoopbackCertificate();
        TestHttpServer feed(QHostAddress::LocalHost,
                            https ? TestHttpServer::Scheme::https : TestHttpServer::Scheme::http);
        TestHttpServer elsewhere{QHostAddress(targetHost)};
        elsewhere.setReplies({{200, appcast(item("2.0", "https://zepla.example/2")), "application/xml"}});
        const QByteArray moved = "Location: " + elsewhere.baseAddress().toEncoded() + "/appcast.xml";
        feed.setReplies({{307, "", "text/plain", CannedReply::Delivery::whole, {moved}}});
        const Checked checked = runCheck({feed.baseAddress().resolved(QUrl("/appcast.xml"))});
        QCOMPARE(checked.result.outcome, Outcome::failed);
        QVERIFY2(checked.result.error.contains("not secure"), qPrintable(checked.result.error));
        QCOMPARE(feed.requests().size(), 1);
        QCOMPARE(elsewhere.requests().size(), 0);
    }

    void unreachableServer() {
        const Checked checked = runCheck({zepla::ai::test::refusingBaseAddress()});
        QCOMPARE(checked.result.outcome, Outcome::failed);
        QVERIFY2(checked.result.error.contains("could not reach the update server"),
                 qPrintable(checked.result.error));
    }

    // A server that takes the request and never answers is given up on at the time limit.
    void silentServerTimesOut() {
        TestHttpServer server;
        server.setReplies({{200, "", "application/xml", CannedReply::Delivery::silent}});
        UpdateChecker::Options options{server.baseAddress()};
        options.timeLimit = std::chrono::milliseconds(300);
        const Checked checked = runCheck(options);
        QCOMPARE(checked.result.outcome, Outcome::failed);
        QVERIFY2(checked.result.error.contains("did not answer within 0.3 seconds"),
                 qPrintable(checked.result.error));
        QCOMPARE(checked.checkingChanges, (QList<bool>{true, false}));
    }

    // Only https is fetched; loopback http is there for tests that ask for it.
    void plainHttpFeedIsRefusedUnasked() {
        TestHttpServer server;
        UpdateChecker checker({server.baseAddress(), "1.0"});
        QSignalSpy finished(&checker, &UpdateChecker::finished);
        checker.check();
        QCOMPARE(finished.size(), 1);
        const auto result = finished.first().first().value<UpdateCheckResult>();
        QCOMPARE(result.outcome, Outcome::failed);
        QVERIFY(result.error.contains("not an https address"));
        QVERIFY(!checker.isChecking());
    }

    void oneCheckAtATime() {
        TestHttpServer server;
        server.setReplies({{200, appcast(item("1.0", "https://zepla.example/1")), "application/xml"}});
        UpdateChecker checker({server.baseAddress(), "1.0", std::chrono::seconds(10), 1 << 20, true});
        QSignalSpy finished(&checker, &UpdateChecker::finished);
        checker.check();
        QVERIFY(checker.isChecking());
        checker.check();
        QVERIFY(finished.wait(testsupport::hangGuardMs));
        QVERIFY(!checker.isChecking());
        QCOMPARE(finished.size(), 1);
        QCOMPARE(server.requests().size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestUpdateChecker)
#include "test_update_checker.moc"
