// The stored conversations coming in after the panel is on screen: nothing invites a question before they
// are in, a large history then shows its latest conversation, a question sent meanwhile goes on beside
// them in the file, and a conversation that cannot be read is told about once they are in.
#include "PanelFixture.h"
#include "chat/ChatHistoryStore.h"
#include "core/SerialWriter.h"
#include "ui/assistant/AssistantConversation.h"
#include "ui/assistant/AssistantInputArea.h"
#include "ui/assistant/ChatHistoryListView.h"
#include "ui/assistant/ChatInputField.h"
#include "ui/assistant/TurnView.h"

#include <QFile>
#include <QMessageBox>
#include <QSemaphore>
#include <QToolButton>

using namespace zepla;
using namespace zepla::ui;
using ai::AssistantTurn;
using ai::ChatSession;

namespace {

// Conversations of `turns` turns each, the answers about 1,500 characters, one minute apart, the last made
// the latest.
QList<ChatSession> conversations(int count, int turns) {
    const QString answer = QStringLiteral("The heron stands in the shallows at dawn, $x^2 + y^2 = r^2$. ")
                               .repeated(25);
    QList<ChatSession> sessions;
    const QDateTime start = QDateTime::fromString("2025-03-01T09:00:00Z", Qt::ISODate);
    for (int s = 0; s < count; ++s) {
        ChatSession session{QUuid::createUuid(), QStringLiteral("Walk %1").arg(s), {}, start.addSecs(60 * s)};
        for (int t = 0; t < turns; ++t)
            session.turns.append({QUuid::createUuid(),
                                  t % 2 ? AssistantTurn::Role::assistant : AssistantTurn::Role::user,
                                  t % 2 ? answer : QStringLiteral("What came next on walk %1?").arg(s)});
        sessions.append(session);
    }
    return sessions;
}

// Holds the background reader and writer until released, as a slow disk would.
struct HeldWriter {
    QSemaphore gate;
    HeldWriter() {
        platform::SerialWriter::shared().enqueue(
            QStringLiteral("held"), [this] { gate.acquire(); }, false);
    }
    ~HeldWriter() { release(); }
    void release() {
        if (!released)
            gate.release();
        released = true;
    }
    bool released = false;
};

QStringList notices(const QWidget& panel) {
    QStringList texts;
    for (const QMessageBox* box : panel.findChildren<QMessageBox*>())
        texts << box->text();
    return texts;
}

} // namespace

class TestHistoryLoading : public QObject {
    Q_OBJECT

private slots:
    // About 2.5 MB of conversations: while they are read the panel shows neither the greeting nor any
    // turn; then the latest conversation is shown and the list holds them all.
    void aLargeHistoryLoadsAndShows() {
        test::PanelFixture f(false);
        const QList<ChatSession> stored = conversations(80, 40);
        ai::ChatHistoryStore::save(stored, f.documentPath());
        HeldWriter held;
        f.open(false);
        AssistantConversation& conversation = *f.panel->conversation();
        QVERIFY(f.model->isLoadingHistory());
        QVERIFY(!conversation.greeting()->isVisibleTo(f.panel.get()));
        QVERIFY(!conversation.todayRow()->isVisibleTo(f.panel.get()));
        QCOMPARE(conversation.turnCount(), 0);

        held.release();
        QTRY_VERIFY(!f.model->isLoadingHistory());
        QCOMPARE(f.model->currentSessionID(), stored.last().id);
        QCOMPARE(conversation.turnCount(), 40);
        QVERIFY(!conversation.greeting()->isVisibleTo(f.panel.get()));
        QVERIFY(conversation.todayRow()->isVisibleTo(f.panel.get()));
        QTRY_VERIFY(conversation.turnView(39) && conversation.turnView(39)->isVisible());
        QTest::mouseClick(f.panel->headerButton("Chat History"), Qt::LeftButton);
        QVERIFY(f.panel->historyList());
        QCOMPARE(f.panel->historyList()->rows().size(), 80);
        QCOMPARE(ChatHistoryListView::sessionID(f.panel->historyList()->rows()[0]), stored.last().id);
    }

    // A question typed and answered before the stored conversations are in stays on screen and is saved as
    // one more conversation: every earlier one is still in the file.
    void aQuestionSentWhileLoadingKeepsTheEarlierConversations() {
        test::PanelFixture f(false);
        const QList<ChatSession> stored = conversations(5, 4);
        ai::ChatHistoryStore::save(stored, f.documentPath());
        HeldWriter held;
        f.open(false);
        f.provider->setReplies({ai::test::finalReply("Herons wait.")});
        ChatInputField* input = f.panel->inputArea()->input();
        QTest::keyClicks(input, "hello");
        QTest::keyClick(input, Qt::Key_Return);
        QTRY_VERIFY(!f.model->isRunning());
        QVERIFY(f.model->isLoadingHistory());
        const QUuid asked = f.model->currentSessionID();

        held.release();
        QTRY_VERIFY(!f.model->isLoadingHistory());
        QCOMPARE(f.model->currentSessionID(), asked);
        QCOMPARE(f.panel->conversation()->turnCount(), 2);
        QCOMPARE(f.model->sessions().size(), 6);
        const QList<ChatSession> file = ai::test::loadNow(f.documentPath()).sessions;
        QCOMPARE(file.size(), 6);
        QCOMPARE(file[0].id, asked);
        QCOMPARE(file[0].turns[0].text, QString("hello"));
        for (const ChatSession& earlier : stored)
            QVERIFY2(file.contains(earlier), qPrintable(earlier.title));
    }

    // The panel is on screen before the history is read: the notice of a conversation left out comes once
    // it is in, once only.
    void aBadConversationIsToldOnceLoaded() {
        test::PanelFixture f(false);
        QByteArray bytes = ai::ChatHistoryStore::encode(conversations(2, 2));
        bytes.replace(R"("role":"user")", R"("role":"system")");
        HeldWriter held;
        {
            QFile file(ai::ChatHistoryStore::fileURL(f.documentPath()));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }
        f.open(false);
        QVERIFY(QTest::qWaitForWindowExposed(f.panel.get()));
        QCOMPARE(notices(*f.panel).size(), 0);
        held.release();
        QTRY_COMPARE(notices(*f.panel).size(), 1);
        QVERIFY2(notices(*f.panel)[0].contains("could not be read"), qPrintable(notices(*f.panel)[0]));
        QCOMPARE(f.model->sessions().size(), 1);
        QCOMPARE(f.model->sessions()[0].title, QString("New Chat"));
        for (QMessageBox* box : f.panel->findChildren<QMessageBox*>())
            box->accept();
        f.panel->hide();
        f.panel->show();
        QTest::qWait(50);
        QCOMPARE(notices(*f.panel).size(), 0);
    }
};

QTEST_MAIN(TestHistoryLoading)
#include "test_history_loading.moc"
