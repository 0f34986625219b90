// The user-key provider against a real HTTP server: key order by the hour, hand-over on 401 and 429, models.
#include "providers/RotatingAIProvider.h"

#include "core/Settings.h"
#include "keys/APIKeyStore.h"
#include "support/RedirectingServers.h"
#include "support/SendAndWait.h"
#include "support/TestHome.h"
#include "support/TestHttpServer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include <optional>

using namespace zepla::ai;
using zepla::ai::test::CannedReply;

Q_DECLARE_METATYPE(zepla::ai::test::CannedReply)

namespace {

const QByteArray kAnswer = R"({"choices":[{"finish_reason":"stop","message":{"content":"Done."}}]})";
const QByteArray kOllamaPath = "/v1/chat/completions";
const QByteArray kGroqPath = "/openai/v1/chat/completions";

RotatingAIProvider::Clock atHour(qint64 hour) {
    return [hour] { return QDateTime::fromMSecsSinceEpoch(hour * 3600 * 1000 + 59 * 60 * 1000, Qt::UTC); };
}

void savePools(const QStringList& ollama, const QStringList& groq) {
    for (const QString& key : ollama)
        APIKeyStore::save(key, APIProviderKind::ollama);
    for (const QString& key : groq)
        APIKeyStore::save(key, APIProviderKind::groq);
}

QStringList keysUsed(const zepla::ai::test::TestHttpServer& server) {
    QStringList keys;
    for (const zepla::ai::test::ReceivedRequest& request : server.requests())
        keys << QString::fromUtf8(request.headers.value("authorization")).remove("Bearer ");
    return keys;
}

} // namespace

class TestRotatingAIProvider : public QObject {
    Q_OBJECT

    std::optional<zepla::ai::test::TestHome> m_home;
    std::optional<zepla::ai::test::TestHttpServer> m_server;

    std::optional<AIProviderResult> send(qint64 hour,
                                         AIModelPreference preference = AIModelPreference::balanced) {
        const RotatingAIProvider provider(m_server->baseAddress(), atHour(hour));
        return zepla::ai::test::sendAndWait(provider, {AIMessage::userText("Hi")}, {}, preference);
    }

private slots:
    void initTestCase() { m_home.emplace(); }

    void init() {
        zepla::platform::userSettings()->clear();
        m_server.emplace();
        APIKeyStore::saveURL(m_server->baseAddress().toString() + kOllamaPath);
    }

    void keysInterleavedAndRotatedByTheHour_data() {
        QTest::addColumn<qint64>("hour");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("hour 0") << qint64(0) << QStringList({"a", "x", "b", "c"});
        QTest::newRow("hour mod 4 = 2") << qint64(490'002) << QStringList({"b", "c", "a", "x"});
        QTest::newRow("hour mod 4 = 1") << qint64(5) << QStringList({"x", "b", "c", "a"});
    }
    void keysInterleavedAndRotatedByTheHour() {
        QFETCH(qint64, hour);
        QFETCH(QStringList, order);
        savePools({"a", "b", "c"}, {"x"});
        const QByteArray rejected = R"({"error":{"message":"invalid key"}})";
        m_server->setReplies({{401, rejected}, {429, rejected}, {401, rejected}, {429, rejected}});

        const auto result = send(hour);
        QCOMPARE(keysUsed(*m_server), order);
        for (const zepla::ai::test::ReceivedRequest& request : m_server->requests())
            QCOMPARE(request.path,
                     request.headers.value("authorization") == "Bearer x" ? kGroqPath : kOllamaPath);
        QVERIFY(result && !result->ok());
        const QString lastLabel = order.last() == "x" ? "Groq" : "Ollama Cloud";
        QCOMPARE(result->error(), AIProviderError::http(429, lastLabel + " key rejected or rate-limited"));
    }

    void oneKeyServesEveryHour() {
        savePools({}, {"only"});
        m_server->setReplies({{200, kAnswer}});
        for (qint64 hour : {0, 1, 7, 1000})
            QVERIFY(send(hour));
        QCOMPARE(keysUsed(*m_server), QStringList({"only", "only", "only", "only"}));
    }

    void rejectedKeyHandsOverSilently() {
        savePools({"o1"}, {"g1"});
        m_server->setReplies({{401, R"({"error":"nope"})"}, {200, kAnswer}});
        const auto result = send(0);
        QVERIFY(result && result->ok());
        QCOMPARE(result->value().text, QString("Done."));
        QCOMPARE(keysUsed(*m_server), QStringList({"o1", "g1"}));
    }

    void otherFailuresEndTheRequestAtOnce_data() {
        QTest::addColumn<CannedReply>("first");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("description");
        QTest::newRow("500") << CannedReply{500, R"({"error":{"message":"overloaded"}})"}
                             << int(AIProviderError::Kind::http) << "API error (500): overloaded";
        QTest::newRow("429 with an HTML body") << CannedReply{429, "<html>slow</html>", "text/html"}
                                               << int(AIProviderError::Kind::invalidJSON) << "";
        QTest::newRow("200 without choices")
            << CannedReply{200, "{}"} << int(AIProviderError::Kind::malformedResponse)
            << "Received an unexpected response from the AI provider.";
    }
    void otherFailuresEndTheRequestAtOnce() {
        QFETCH(CannedReply, first);
        QFETCH(int, kind);
        QFETCH(QString, description);
        savePools({"o1"}, {"g1"});
        m_server->setReplies({first, {200, kAnswer}});
        const auto result = send(0);
        QVERIFY(result && !result->ok());
        QCOMPARE(int(result->error().kind()), kind);
        if (!description.isEmpty())
            QCOMPARE(result->error().errorDescription(), description);
        QCOMPARE(keysUsed(*m_server), QStringList("o1"));
    }

    void unreachableServiceEndsTheRequestAtOnce() {
        savePools({"o1"}, {"g1"});
        APIKeyStore::saveURL(zepla::ai::test::refusingBaseAddress().toString() + kOllamaPath);
        m_server->setReplies({{200, kAnswer}});
        const auto result = send(0);
        QVERIFY(result && !result->ok());
        QCOMPARE(result->error().kind(), AIProviderError::Kind::transport);
        QCOMPARE(m_server->requests().size(), 0);
    }

    void modelsAndBodyPerPreference_data() {
        QTest::addColumn<int>("preference");
        QTest::addColumn<QString>("ollamaModel");
        QTest::addColumn<QString>("groqModel");
        QTest::newRow("High Perf") << int(AIModelPreference::highPerformance) << "gpt-oss:120b-cloud"
                                   << "llama3-70b-8192";
        QTest::newRow("Balanced") << int(AIModelPreference::balanced) << "gpt-oss:70b-cloud"
                                  << "llama-3.1-8b-instant";
        QTest::newRow("Fast") << int(AIModelPreference::fast) << "gpt-oss:8b-cloud"
                              << "llama3-8b-8192";
    }
    void modelsAndBodyPerPreference() {
        QFETCH(int, preference);
        QFETCH(QString, ollamaModel);
        QFETCH(QString, groqModel);
        savePools({"o1"}, {"g1"});
        m_server->setReplies({{429, "{}"}, {200, kAnswer}});
        QVERIFY(send(0, AIModelPreference(preference)));
        QCOMPARE(m_server->requests().size(), 2);
        QCOMPARE(QList<QByteArray>({m_server->requests()[0].path, m_server->requests()[1].path}),
                 QList<QByteArray>({kOllamaPath, kGroqPath}));
        QStringList models;
        for (const zepla::ai::test::ReceivedRequest& request : m_server->requests()) {
            const QJsonObject body = QJsonDocument::fromJson(request.body).object();
            QCOMPARE(body.keys(), QStringList({"messages", "model", "tools"}));
            QCOMPARE(body["tools"].toArray().size(), 0);
            QCOMPARE(body["messages"].toArray().size(), 2);
            QCOMPARE(request.headers.value("content-type"), QByteArray("application/json"));
            models << body["model"].toString();
        }
        QCOMPARE(models, QStringList({ollamaModel, groqModel}));
    }

    // A key goes only to its service's own scheme, host and port; a redirect elsewhere ends the request,
    // and the next key is not tried with it either.
    void keysStayWithTheirOrigin_data() {
        using Target = zepla::ai::test::RedirectingServers::Target;
        QTest::addColumn<Target>("target");
        QTest::newRow("same origin") << Target::sameOrigin;
        QTest::newRow("another port") << Target::otherPort;
        QTest::newRow("another host") << Target::otherHost;
    }
    void keysStayWithTheirOrigin() {
        using Target = zepla::ai::test::RedirectingServers::Target;
        QFETCH(Target, target);
        zepla::ai::test::RedirectingServers servers(target, kAnswer);
        APIKeyStore::saveURL(servers.configured.baseAddress().toString() + kOllamaPath);
        savePools({"a", "b"}, {});
        const RotatingAIProvider provider(servers.configured.baseAddress(), atHour(0));
        const auto result = zepla::ai::test::sendAndWait(provider, {AIMessage::userText("Hi")});
        QVERIFY(result);
        QCOMPARE(servers.requestsElsewhere(), 0);
        if (target == Target::sameOrigin) {
            QVERIFY(result->ok());
            QCOMPARE(keysUsed(servers.configured), QStringList({"a", "a"}));
            QCOMPARE(servers.configured.requests()[1].path, QByteArray("/moved/chat/completions"));
            QCOMPARE(servers.configured.requests()[1].body, servers.configured.requests()[0].body);
            return;
        }
        QVERIFY(!result->ok());
        QCOMPARE(result->error().status(), 307);
        QVERIFY2(result->error().errorDescription().contains(servers.target().authority()),
                 qPrintable(result->error().errorDescription()));
        QCOMPARE(keysUsed(servers.configured), QStringList({"a"}));
    }

    void legacyKeyIsUsed() {
        zepla::platform::userSettings()->setValue("quibrane.ollamaAPIKey", "legacy");
        m_server->setReplies({{200, kAnswer}});
        QVERIFY(send(3));
        QCOMPARE(keysUsed(*m_server), QStringList("legacy"));
    }

    void noKeysAtAll() {
        const auto result = send(0);
        QVERIFY(result && !result->ok());
        QCOMPARE(result->error().errorDescription(),
                 QString::fromUtf8("Add your Ollama Cloud or Groq API key in Edit ▸ Settings… to use Ask."));
        QCOMPARE(m_server->requests().size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestRotatingAIProvider)
#include "test_rotating_ai_provider.moc"
