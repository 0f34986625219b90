// The chat history file: its exact format and place, a private mode, strict reading, and two windows on
// one file.
#include "chat/ChatHistoryStore.h"
#include "support/TestHome.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <sys/stat.h>

using namespace zepla::ai;
using namespace zepla::ai::test;

namespace {

const QString key = QStringLiteral("/home/ada/Papers/Thesis.pdf");

ChatSession session() {
    return {QUuid("{6f1c2a4e-93b1-4c55-8a3e-0d2b7c9e1f10}"),
            "Thesis questions",
            {{QUuid("{0a1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c4d}"), AssistantTurn::Role::user, "Why \"this\"?"},
             {QUuid("{11111111-2222-4333-8444-555555555555}"), AssistantTurn::Role::assistant, "Because."}},
            QDateTime(QDate(2025, 3, 1), QTime(9, 30, 0, 750), Qt::UTC)};
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

unsigned mode(const QString& path) {
    struct stat info {};
    ::stat(QFile::encodeName(path).constData(), &info);
    return info.st_mode & 0777;
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
}

} // namespace

class TestChatHistoryStore : public QObject {
    Q_OBJECT

    std::unique_ptr<TestHome> m_home;

private slots:
    void init() { m_home = std::make_unique<TestHome>(); }
    void cleanup() { m_home.reset(); }

    void writesTheExactFormatPrivately() {
        ChatHistoryStore::save({session(),
                                {QUuid("{22222222-2222-4333-8444-555555555555}"),
                                 "New Chat",
                                 {},
                                 QDateTime(QDate(2025, 2, 1), QTime(8, 0), Qt::UTC)}},
                               key);
        const QString path = ChatHistoryStore::fileURL(key);
        const QString digest = QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha256).toHex();
        QCOMPARE(QFileInfo(path).fileName(), digest + ".json");
        QVERIFY(path.endsWith("/Zepla/Chats/" + digest + ".json"));
        QCOMPARE(fileBytes(path),
                 QByteArray(
                     "[{\"id\":\"6F1C2A4E-93B1-4C55-8A3E-0D2B7C9E1F10\",\"title\":\"Thesis questions\","
                     "\"turns\":[{\"id\":\"0A1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D\",\"role\":\"user\","
                     "\"text\":\"Why \\\"this\\\"?\"},{\"id\":\"11111111-2222-4333-8444-555555555555\","
                     "\"role\":\"assistant\",\"text\":\"Because.\"}],\"updatedAt\":\"2025-03-01T09:30:00Z\"},"
                     "{\"id\":\"22222222-2222-4333-8444-555555555555\",\"title\":\"New Chat\",\"turns\":[],"
                     "\"updatedAt\":\"2025-02-01T08:00:00Z\"}]"));
        QCOMPARE(mode(path), 0600u);
        QCOMPARE(mode(QFileInfo(path).path()), 0700u);

        const QList<ChatSession> loaded = ChatHistoryStore::load(key);
        QCOMPARE(loaded.size(), 2);
        QCOMPARE(loaded[0].turns, session().turns);
        QCOMPARE(loaded[0].updatedAt, QDateTime(QDate(2025, 3, 1), QTime(9, 30), Qt::UTC));
    }

    void namesOneFilePerPath() {
        QCOMPARE(ChatHistoryStore::fileURL(key), ChatHistoryStore::fileURL(key));
        QVERIFY(ChatHistoryStore::fileURL(key) != ChatHistoryStore::fileURL(key.toLower()));
    }

    void aMissingFileLoadsEmptyAndMakesTheFolder() {
        QVERIFY(ChatHistoryStore::load(key).isEmpty());
        QVERIFY(QFileInfo(QFileInfo(ChatHistoryStore::fileURL(key)).path()).isDir());
    }

    void readsNothingFromABadFileAndLeavesItAlone_data() {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray good = ChatHistoryStore::encode({session()});
        QTest::newRow("truncated") << good.left(good.size() / 2);
        QTest::newRow("not JSON") << QByteArray("<html>oops</html>");
        QTest::newRow("an object") << QByteArray(R"({"sessions":[]})");
        QTest::newRow("system role") << QByteArray(good).replace(R"("role":"user")", R"("role":"system")");
        QTest::newRow("fractional seconds") << QByteArray(good).replace("09:30:00Z", "09:30:00.5Z");
        QTest::newRow("date without zone") << QByteArray(good).replace("09:30:00Z", "09:30:00");
        QTest::newRow("bad identifier") << QByteArray(good).replace("6F1C2A4E-", "6F1C2A4E");
        QTest::newRow("missing title") << QByteArray(good).replace(R"("title":"Thesis questions",)", "");
        QTest::newRow("number as text") << QByteArray(good).replace(R"("text":"Because.")", R"("text":7)");
    }
    void readsNothingFromABadFileAndLeavesItAlone() {
        QFETCH(QByteArray, bytes);
        const QString path = ChatHistoryStore::fileURL(key);
        writeBytes(path, bytes);
        QVERIFY(ChatHistoryStore::load(key).isEmpty());
        QCOMPARE(fileBytes(path), bytes);
    }

    void acceptsUnknownKeysAndLowerCaseIdentifiers() {
        ChatHistoryStore::save({session()}, key);
        const QString path = ChatHistoryStore::fileURL(key);
        writeBytes(path, fileBytes(path)
                             .replace("6F1C2A4E", "6f1c2a4e")
                             .replace(R"("title")", R"("pinned":true,"title")"));
        QCOMPARE(ChatHistoryStore::load(key).size(), 1);
        QCOMPARE(ChatHistoryStore::load(key)[0].id, session().id);
    }

    void theLastSaveWins() {
        ChatSession first = session();
        ChatSession second = session();
        second.title = "From the other window";
        ChatHistoryStore::save({first}, key);
        ChatHistoryStore::save({second}, key);
        QCOMPARE(ChatHistoryStore::load(key)[0].title, QString("From the other window"));
    }
};

QTEST_GUILESS_MAIN(TestChatHistoryStore)
#include "test_chat_history_store.moc"
