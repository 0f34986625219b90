// The built-in backend provider against a real HTTP server: signed requests and every kind of bad reply.
#include "providers/BackendAIProvider.h"

#include "identity/DeviceIdentity.h"
#include "support/RedirectingServers.h"
#include "support/SendAndWait.h"
#include "support/SignatureCheck.h"
#include "support/TestHome.h"
#include "support/TestHttpServer.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStandardPaths>
#include <QTest>

#include <optional>

using namespace zepla::ai;
using zepla::ai::test::CannedReply;
using Delivery = zepla::ai::test::CannedReply::Delivery;

Q_DECLARE_METATYPE(zepla::ai::test::CannedReply)

namespace {

const QByteArray kToolCallReply = R"({"choices":[{"finish_reason":"tool_calls","message":{"content":null,)"
                                  "\"tool_calls\":[{\"id\":\"call_1\",\"type\":\"function\",\"function\":{"
                                  "\"name\":\"go_to_page\",\"arguments\":\"{\\\"page\\\":3}\"}}]}}]}";

QByteArray answer(const QString& content) {
    const QJsonObject choice{{"finish_reason", "stop"}, {"message", QJsonObject{{"content", content}}}};
    return QJsonDocument(QJsonObject{{"choices", QJsonArray{choice}}}).toJson(QJsonDocument::Compact);
}

QString supportFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Zepla";
}

} // namespace

class TestBackendAIProvider : public QObject {
    Q_OBJECT

    std::optional<zepla::ai::test::TestHome> m_home;

private slots:
    void initTestCase() { m_home.emplace(); }

    void repliesThatAreAnswers_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("toolCalls");
        QTest::addColumn<bool>("isFinal");
        QTest::newRow("tool call") << kToolCallReply << "" << 1 << false;
        QTest::newRow("plain answer") << answer("Page 3 explains it.") << "Page 3 explains it." << 0 << true;
        QTest::newRow("10 MB answer")
            << answer(QString(10 * 1024 * 1024, 'x')) << QString(10 * 1024 * 1024, 'x') << 0 << true;
    }
    void repliesThatAreAnswers() {
        QFETCH(QByteArray, body);
        QFETCH(QString, text);
        QFETCH(int, toolCalls);
        QFETCH(bool, isFinal);
        zepla::ai::test::TestHttpServer server;
        server.setReplies({{200, body}});
        const auto result = zepla::ai::test::sendAndWait(BackendAIProvider(server.baseAddress()),
                                                         {AIMessage::userText("Where is the proof?")});
        QVERIFY(result);
        QVERIFY2(result->ok(), qPrintable(result->ok() ? QString() : result->error().errorDescription()));
        QCOMPARE(result->value().text, text);
        QCOMPARE(result->value().toolCalls.size(), toolCalls);
        QCOMPARE(result->value().isFinal, isFinal);
    }

    void badReplies_data() {
        QTest::addColumn<CannedReply>("reply");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("description");

        using Kind = AIProviderError::Kind;
        const int http = int(Kind::http);
        const QString anyText;
        QTest::newRow("200 with empty choices")
            << CannedReply{200, R"({"choices":[]})"} << false << int(Kind::malformedResponse)
            << "Received an unexpected response from the AI provider.";
        QTest::newRow("200 with an array") << CannedReply{200, "[]"} << false << int(Kind::malformedResponse)
                                           << "Received an unexpected response from the AI provider.";
        QTest::newRow("401 error object") << CannedReply{401, R"({"error":{"message":"Bad device"}})"}
                                          << false << http << "API error (401): Bad device";
        QTest::newRow("401 error string") << CannedReply{401, R"({"error":"Bad device"})"} << false << http
                                          << "API error (401): Bad device";
        QTest::newRow("401 empty object")
            << CannedReply{401, "{}"} << false << http << "API error (401): Unknown error";
        QTest::newRow("429 error object") << CannedReply{429, R"({"error":{"message":"Slow down"}})"} << false
                                          << http << "API error (429): Slow down";
        QTest::newRow("429 error string")
            << CannedReply{429, R"({"error":"Slow down"})"} << false << http << "API error (429): Slow down";
        QTest::newRow("429 empty object")
            << CannedReply{429, "{}"} << false << http << "API error (429): Unknown error";
        QTest::newRow("500") << CannedReply{500, R"({"error":"boom"})"} << false << http
                             << "API error (500): boom";
        QTest::newRow("HTML 502") << CannedReply{502, "<html><body>Bad Gateway</body></html>", "text/html"}
                                  << false << int(Kind::invalidJSON)
                                  << "The AI service sent a reply that could not be read (illegal value)";
        QTest::newRow("10 MB of HTML")
            << CannedReply{500, "<html>" + QByteArray(10 * 1024 * 1024, 'x'), "text/html"} << false
            << int(Kind::invalidJSON) << anyText;
        QTest::newRow("body cut short of its length")
            << CannedReply{200, kToolCallReply, "application/json", Delivery::cutShort} << false
            << int(Kind::invalidJSON)
            << "The AI service sent a reply that could not be read (Connection closed)";
        QTest::newRow("body ended by closing mid-JSON")
            << CannedReply{200, kToolCallReply, "application/json", Delivery::closeDelimited} << false
            << int(Kind::invalidJSON)
            << "The AI service sent a reply that could not be read (unterminated string)";
        QTest::newRow("connection refused") << CannedReply{} << true << int(Kind::transport) << anyText;
        QTest::newRow("never answers") << CannedReply{200, {}, {}, Delivery::silent} << false
                                       << int(Kind::transport) << "The request timed out.";
    }
    void badReplies() {
        QFETCH(CannedReply, reply);
        QFETCH(bool, refused);
        QFETCH(int, kind);
        QFETCH(QString, description);
        zepla::ai::test::TestHttpServer server;
        server.setReplies({reply});
        const QUrl address = refused ? zepla::ai::test::refusingBaseAddress() : server.baseAddress();
        const BackendAIProvider provider(address, std::chrono::milliseconds(500));

        const auto result = zepla::ai::test::sendAndWait(provider, {AIMessage::userText("Hi")});
        QVERIFY(result);
        QVERIFY(!result->ok());
        QCOMPARE(int(result->error().kind()), kind);
        const QString shown = result->error().errorDescription();
        QVERIFY(!shown.isEmpty());
        if (!description.isEmpty())
            QCOMPARE(shown, description);
    }

    void requestIsSignedOverTheBytesSent() {
        zepla::ai::test::TestHttpServer server;
        server.setReplies({{200, answer("ok")}});
        const qint64 before = QDateTime::currentMSecsSinceEpoch();
        const auto result = zepla::ai::test::sendAndWait(BackendAIProvider(server.baseAddress()),
                                                         {AIMessage::userText("Summarise ∑ page 2")}, {},
                                                         AIModelPreference::fast);
        QVERIFY(result && result->ok());
        QCOMPARE(server.requests().size(), 1);
        const zepla::ai::test::ReceivedRequest& request = server.requests().first();

        QCOMPARE(request.method, QByteArray("POST"));
        QCOMPARE(request.path, QByteArray("/api/v1/chat/completions"));
        QCOMPARE(request.headers.value("content-type"), QByteArray("application/json"));
        const QJsonObject body = QJsonDocument::fromJson(request.body).object();
        QCOMPARE(body.keys(), QStringList({"messages", "preference", "tools"}));
        QCOMPARE(body["preference"].toString(), QString("Fast"));
        QCOMPARE(body["tools"], QJsonValue(QJsonArray()));
        QCOMPARE(body["messages"].toArray().size(), 2);
        QCOMPARE(request.body, QJsonDocument(body).toJson(QJsonDocument::Compact));

        const QByteArray timestamp = request.headers.value("x-device-timestamp");
        QVERIFY(timestamp.toLongLong() >= before &&
                timestamp.toLongLong() <= QDateTime::currentMSecsSinceEpoch());
        const QByteArray message =
            timestamp + "." + QCryptographicHash::hash(request.body, QCryptographicHash::Sha256).toHex();
        const QByteArray publicKey = request.headers.value("x-device-public-key");
        QVERIFY(zepla::ai::test::verifiesDeviceSignature(publicKey, message,
                                                         request.headers.value("x-device-signature")));
        const auto key = DeviceIdentity::privateKey();
        QVERIFY(key.ok());
        QCOMPARE(QString::fromLatin1(publicKey), DeviceIdentity::publicKeyBase64(key.value()));
    }

    // The signature headers go only to the endpoint's own scheme, host and port.
    void redirectsStayWithinTheEndpointsOrigin_data() {
        using Target = zepla::ai::test::RedirectingServers::Target;
        QTest::addColumn<Target>("target");
        QTest::newRow("same origin") << Target::sameOrigin;
        QTest::newRow("another port") << Target::otherPort;
        QTest::newRow("another host") << Target::otherHost;
    }
    void redirectsStayWithinTheEndpointsOrigin() {
        using Target = zepla::ai::test::RedirectingServers::Target;
        QFETCH(Target, target);
        zepla::ai::test::RedirectingServers servers(target, answer("ok"));
        const auto result = zepla::ai::test::sendAndWait(BackendAIProvider(servers.configured.baseAddress()),
                                                         {AIMessage::userText("Where is the proof?")});
        QVERIFY(result);
        QCOMPARE(servers.requestsElsewhere(), 0);
        const auto& requests = servers.configured.requests();
        if (target != Target::sameOrigin) {
            QVERIFY(!result->ok());
            QCOMPARE(result->error().kind(), AIProviderError::Kind::http);
            QCOMPARE(result->error().status(), 307);
            const QString authority = servers.target().authority();
            QCOMPARE(result->error().errorDescription(),
                     "API error (307): The service redirected the request to another server (http://" +
                         authority + "); it was not sent there.");
            QCOMPARE(requests.size(), 1);
            return;
        }
        QVERIFY(result->ok());
        QCOMPARE(requests.size(), 2);
        QCOMPARE(requests[1].path, QByteArray("/moved/chat/completions"));
        QCOMPARE(requests[1].body, requests[0].body);
        for (const QByteArray header : {"x-device-public-key", "x-device-timestamp", "x-device-signature"})
            QCOMPARE(requests[1].headers.value(header), requests[0].headers.value(header));
    }

    void deletedKeyIsReplacedForTheNextRequest() {
        zepla::ai::test::TestHttpServer server;
        server.setReplies({{200, answer("ok")}});
        const BackendAIProvider provider(server.baseAddress());
        QVERIFY(zepla::ai::test::sendAndWait(provider, {AIMessage::userText("one")}));
        QVERIFY(QFile::remove(DeviceIdentity::keyFilePath()));
        QVERIFY(zepla::ai::test::sendAndWait(provider, {AIMessage::userText("two")}));
        QCOMPARE(server.requests().size(), 2);
        QVERIFY(server.requests()[0].headers.value("x-device-public-key") !=
                server.requests()[1].headers.value("x-device-public-key"));
    }

    void unsavableKeySendsNothing() {
        QDir(supportFolder()).removeRecursively();
        QFile blocker(supportFolder());
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        zepla::ai::test::TestHttpServer server;
        server.setReplies({{200, answer("ok")}});

        const auto result = zepla::ai::test::sendAndWait(BackendAIProvider(server.baseAddress()),
                                                         {AIMessage::userText("Hi")});
        QFile::remove(supportFolder());
        QVERIFY(result);
        QVERIFY(!result->ok());
        QCOMPARE(result->error().kind(), AIProviderError::Kind::deviceIdentity);
        QVERIFY(result->error().errorDescription().startsWith("Couldn't save the device signing key ("));
        QCOMPARE(server.requests().size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestBackendAIProvider)
#include "test_backend_ai_provider.moc"
