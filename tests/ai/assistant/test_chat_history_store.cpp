// The chat history file: its exact format and place, a private mode, reading what can be read while
// keeping the original, background saves in order, and two windows on one file.
#include "chat/ChatHistoryStore.h"
#include "core/SerialWriter.h"
#include "support/TestHome.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSemaphore>
#include <QTest>
#include <QThread>

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
        ChatHistoryStore::waitForWrites();
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

        const QList<ChatSession> loaded = loadNow(key).sessions;
        QCOMPARE(loaded.size(), 2);
        QCOMPARE(loaded[0].turns, session().turns);
        QCOMPARE(loaded[0].updatedAt, QDateTime(QDate(2025, 3, 1), QTime(9, 30), Qt::UTC));
    }

    void namesOneFilePerPath() {
        QCOMPARE(ChatHistoryStore::fileURL(key), ChatHistoryStore::fileURL(key));
        QVERIFY(ChatHistoryStore::fileURL(key) != ChatHistoryStore::fileURL(key.toLower()));
    }

    void aMissingFileLoadsEmptyAndMakesTheFolder() {
        const ChatHistoryStore::ChatHistory history = loadNow(key);
        QVERIFY(history.sessions.isEmpty());
        QVERIFY(history.unreadableCopy.isEmpty());
        QVERIFY(QFileInfo(QFileInfo(ChatHistoryStore::fileURL(key)).path()).isDir());
    }

    // Only the conversations that are not in the format are left out; the file itself stays as it was and
    // a copy of it is kept beside it before any save can replace it.
    void readsWhatItCanAndKeepsTheOriginal_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("readable");
        const QByteArray good = ChatHistoryStore::encode({session()});
        QTest::newRow("truncated") << good.left(good.size() / 2) << 0;
        QTest::newRow("not JSON") << QByteArray("<html>oops</html>") << 0;
        QTest::newRow("an object") << QByteArray(R"({"sessions":[]})") << 0;
        QTest::newRow("system role") << QByteArray(good).replace(R"("role":"user")", R"("role":"system")")
                                     << 0;
        QTest::newRow("fractional seconds") << QByteArray(good).replace("09:30:00Z", "09:30:00.5Z") << 0;
        QTest::newRow("date without zone") << QByteArray(good).replace("09:30:00Z", "09:30:00") << 0;
        QTest::newRow("bad identifier") << QByteArray(good).replace("6F1C2A4E-", "6F1C2A4E") << 0;
        QTest::newRow("missing title") << QByteArray(good).replace(R"("title":"Thesis questions",)", "") << 0;
        QTest::newRow("number as text")
            << QByteArray(good).replace(R"("text":"Because.")", R"("text":7)") << 0;
        const QByteArray one = good.mid(1, good.size() - 2);
        const QByteArray systemRole = QByteArray(one).replace(R"("role":"user")", R"("role":"system")");
        QTest::newRow("one of three bad") << "[" + one + "," + systemRole + "," + one + "]" << 2;
        QTest::newRow("a number among them") << "[" + one + ",7," + one + "]" << 2;
    }
    void readsWhatItCanAndKeepsTheOriginal() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, readable);
        const QString path = ChatHistoryStore::fileURL(key);
        writeBytes(path, bytes);
        const ChatHistoryStore::ChatHistory history = loadNow(key);
        QCOMPARE(history.sessions.size(), readable);
        for (const ChatSession& loaded : history.sessions)
            QCOMPARE(loaded.turns, session().turns);
        QCOMPARE(history.unreadableCopy, path.chopped(5) + ".unreadable.json");
        ChatHistoryStore::waitForWrites();
        QCOMPARE(fileBytes(path), bytes);
        QCOMPARE(fileBytes(history.unreadableCopy), bytes);
        QCOMPARE(mode(history.unreadableCopy), 0600u);

        // Saving replaces the file; a second damaged file never replaces the first kept copy.
        ChatHistoryStore::save(history.sessions, key);
        ChatHistoryStore::waitForWrites();
        QCOMPARE(ChatHistoryStore::decode(fileBytes(path)).sessions, history.sessions);
        writeBytes(path, "garbage");
        const QString second = loadNow(key).unreadableCopy;
        QCOMPARE(second, path.chopped(5) + ".unreadable-2.json");
        ChatHistoryStore::waitForWrites();
        QCOMPARE(fileBytes(history.unreadableCopy), bytes);
        QCOMPARE(fileBytes(second), QByteArray("garbage"));
    }

    // A file the user cannot read is moved aside whole before any save, never written over.
    void movesAnUnreadableFileAside() {
        const QString path = ChatHistoryStore::fileURL(key);
        const QByteArray bytes = ChatHistoryStore::encode({session()});
        writeBytes(path, bytes);
        QFile::setPermissions(path, QFileDevice::WriteOwner);
        if (QFile(path).open(QIODevice::ReadOnly))
            QSKIP("running with rights that read any file");
        const ChatHistoryStore::ChatHistory history = loadNow(key);
        QVERIFY(history.sessions.isEmpty());
        ChatHistoryStore::save({}, key);
        ChatHistoryStore::waitForWrites();
        QFile::setPermissions(history.unreadableCopy, QFileDevice::ReadOwner);
        QCOMPARE(fileBytes(history.unreadableCopy), bytes);
        QCOMPARE(fileBytes(path), QByteArray("[]"));
    }

    // Saves happen in the background in the order they were asked for; a load comes after them without the
    // caller waiting for them.
    void savesAndLoadsInOrderInTheBackground() {
        QSemaphore gate;
        zepla::platform::SerialWriter::shared().enqueue(
            ChatHistoryStore::fileURL(key), [&gate] { gate.acquire(); }, false);
        for (int n = 1; n <= 50; ++n) {
            ChatSession numbered = session();
            numbered.title = QString::number(n);
            ChatHistoryStore::save({numbered}, key);
        }
        QFuture<ChatHistoryStore::ChatHistory> loading = ChatHistoryStore::load(key);
        QThread::msleep(20);
        QVERIFY(!loading.isFinished());
        gate.release();
        QCOMPARE(loading.result().sessions[0].title, QString("50"));
        ChatHistoryStore::waitForWrites();
        QCOMPARE(ChatHistoryStore::decode(fileBytes(ChatHistoryStore::fileURL(key))).sessions[0].title,
                 QString("50"));
    }

    // What was queued is done, in order, before the writer goes away (as at quit); a waiting write is
    // replaced by a newer one for the same file, never by one for another file.
    void theWriterFinishesItsQueueInOrder() {
        std::vector<QString> done;
        {
            zepla::platform::SerialWriter writer;
            writer.enqueue(
                "slow",
                [&] {
                    QThread::msleep(50);
                    done.push_back("slow");
                },
                false);
            for (int n = 1; n <= 3; ++n)
                writer.enqueue(
                    "a", [&done, n] { done.push_back("a" + QString::number(n)); }, true);
            writer.enqueue(
                "b", [&] { done.push_back("b"); }, true);
            writer.enqueue(
                "a", [&] { done.push_back("a4"); }, true);
        }
        QCOMPARE(done, (std::vector<QString>{"slow", "a4", "b"}));
    }

    // A program that quits while a history of megabytes is being written leaves it written whole.
    void aSaveUnderWayAtQuitIsFinished() {
        const qsizetype answer = 5'000'000;
        QProcess writer;
        writer.start(QStringLiteral(QUIT_WRITER), {key, QString::number(answer)});
        QVERIFY(writer.waitForFinished(testsupport::hangGuardMs));
        QCOMPARE(writer.exitStatus(), QProcess::NormalExit);
        QCOMPARE(writer.exitCode(), 0);
        const ChatHistoryStore::ChatHistory saved = loadNow(key);
        QVERIFY(saved.unreadableCopy.isEmpty());
        QCOMPARE(saved.sessions.size(), 1);
        QCOMPARE(saved.sessions[0].turns.size(), 2);
        QCOMPARE(saved.sessions[0].turns[1].text.size(), answer);
    }

    void acceptsUnknownKeysAndLowerCaseIdentifiers() {
        ChatHistoryStore::save({session()}, key);
        ChatHistoryStore::waitForWrites();
        const QString path = ChatHistoryStore::fileURL(key);
        writeBytes(path, fileBytes(path)
                             .replace("6F1C2A4E", "6f1c2a4e")
                             .replace(R"("title")", R"("pinned":true,"title")"));
        const ChatHistoryStore::ChatHistory history = loadNow(key);
        QCOMPARE(history.sessions.size(), 1);
        QCOMPARE(history.sessions[0].id, session().id);
        QVERIFY(history.unreadableCopy.isEmpty());
    }

    void theLastSaveWins() {
        ChatSession first = session();
        ChatSession second = session();
        second.title = "From the other window";
        ChatHistoryStore::save({first}, key);
        ChatHistoryStore::save({second}, key);
        QCOMPARE(loadNow(key).sessions[0].title, QString("From the other window"));
    }
};

QTEST_GUILESS_MAIN(TestChatHistoryStore)
#include "test_chat_history_store.moc"
