// The assistant view model with a scripted provider: submission texts, the agent loop and its limits,
// chat titles, sessions in every state, attachments, and a model that outlives its window's run.
#include "PdfFixtures.h"
#include "assistant/AssistantViewModel.h"
#include "chat/ChatHistoryStore.h"
#include "core/SerialWriter.h"
#include "core/Wording.h"
#include "providers/BackendAIProvider.h"
#include "support/RedirectingServers.h"
#include "support/ScriptedProvider.h"
#include "support/TestHome.h"
#include "support/TestHttpServer.h"

#include <QFile>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace zepla;
using namespace zepla::ai;
using namespace zepla::ai::test;

namespace {

const QString documentPath = QStringLiteral("/tmp/zepla-tests/Annual Report.pdf");

// Extracted text stands in for a document: its tools need no window.
AssistantSource source(const QString& path = documentPath, const QString& text = "Quarterly revenue rose.") {
    return AssistantSource::textOnly({path, text});
}

struct Harness {
    // Unless told otherwise, waits until the stored conversations are in.
    explicit Harness(QList<AIProviderResult> replies, const QString& path = documentPath,
                     bool waitForHistory = true) {
        provider->setReplies(std::move(replies));
        provider->setTitleReply(finalReply("Model Title"));
        model = std::make_shared<AssistantViewModel>(source(path), provider);
        if (waitForHistory)
            QTRY_VERIFY(!model->isLoadingHistory());
    }
    // Submits and waits until the run ends.
    void ask(const QString& question) {
        model->setDraft(question);
        model->submit();
        QTRY_VERIFY_WITH_TIMEOUT(!model->isRunning(), testsupport::hangGuardMs);
    }
    std::shared_ptr<ScriptedProvider> provider = std::make_shared<ScriptedProvider>();
    std::shared_ptr<AssistantViewModel> model;
};

QString textOf(const AIMessage& message) {
    QString text;
    for (const AIContentPart& part : message.parts) {
        if (const auto* t = std::get_if<AIContentPart::Text>(&part.value))
            text += t->text;
    }
    return text;
}

QList<AssistantTurn::Role> roles(const QList<AssistantTurn>& turns) {
    QList<AssistantTurn::Role> list;
    for (const AssistantTurn& turn : turns)
        list.append(turn.role);
    return list;
}

using Role = AssistantTurn::Role;
using Delivery = CannedReply::Delivery;

// A real provider whose answered requests are counted, so that a test knows when every request is over.
class CountedProvider : public AIProvider {
public:
    explicit CountedProvider(std::shared_ptr<const AIProvider> provider) : m_provider(std::move(provider)) {}

    void send(const QList<AIMessage>& history, const QList<AssistantTool>& tools, const QString& system,
              AIModelPreference preference, Completion completion) const override {
        m_provider->send(
            history, tools, system, preference,
            [answered = m_answered, completion = std::move(completion)](AIProviderResult result) {
                ++*answered;
                completion(std::move(result));
            });
    }
    int answered() const { return *m_answered; }

private:
    std::shared_ptr<const AIProvider> m_provider;
    std::shared_ptr<int> m_answered = std::make_shared<int>(0);
};

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    QFile file(dir.filePath(name));
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return file.fileName();
}

} // namespace

Q_DECLARE_METATYPE(zepla::ai::test::CannedReply)

class TestAssistantViewModel : public QObject {
    Q_OBJECT

    std::unique_ptr<TestHome> m_home;

private slots:
    void init() { m_home = std::make_unique<TestHome>(); }
    void cleanup() { m_home.reset(); }

    void startsWithOneNewChat() {
        Harness h({finalReply("Hi")});
        QCOMPARE(h.model->sessions().size(), 1);
        QCOMPARE(h.model->sessions()[0].title, QString("New Chat"));
        QCOMPARE(h.model->currentSessionID(), h.model->sessions()[0].id);
        QCOMPARE(h.model->documentName(), QString("Annual Report"));
        QCOMPARE(h.model->modelPreference(), AIModelPreference::highPerformance);
        auto unsaved = std::make_shared<AssistantViewModel>(source(QString()), h.provider);
        QCOMPARE(unsaved->documentName(), QString("Untitled PDF"));
    }

    void sendsTheSystemPromptOfItsSource() {
        const auto resource = [](const QString& name) {
            QFile file(QStringLiteral(PROMPTS_DIR "/") + name);
            return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
        };
        const QString document = resource("document.txt");
        QVERIFY(document.startsWith(
            "You are the AI assistant embedded in Zepla, a Linux PDF reader and annotator. "
            "You help the user navigate, understand, and mark up the open PDF using natural "
            "language.\n\nRules:\n- If asked what model"));
        QCOMPARE(document.split('\n').size(), 13);
        QVERIFY(document.endsWith("literal syntax."));
        const QString preview = document + "\n\n" + resource("preview.txt");
        for (const QString& prompt : {document, preview}) {
            QCOMPARE(zepla::platform::adaptWording(prompt), prompt);
            for (const char* name : {"macOS", "Spotlight", "QuickLook", "Quick Look"})
                QVERIFY2(!prompt.contains(name), name);
        }

        Harness h({finalReply("ok")});
        QCOMPARE(h.model->systemPrompt(), preview);
        h.ask("Hello");
        QCOMPARE(h.provider->requests()[0].system, preview);
        const AssistantViewModel pdfModel(AssistantSource::pdf({}), h.provider);
        QCOMPARE(pdfModel.systemPrompt(), document);
        QCOMPARE(pdfModel.tools().size(), 7);
    }

    void submitsTheTrimmedDraft() {
        Harness h({finalReply("An answer")});
        h.model->setDraft(" \n  \n");
        h.model->submit();
        QCOMPARE(h.model->draft(), QString(" \n  \n"));
        QVERIFY(h.model->turns().isEmpty());

        QSignalSpy running(h.model.get(), &AssistantViewModel::isRunningChanged);
        h.ask("  What changed?\n");
        QCOMPARE(h.model->draft(), QString());
        QCOMPARE(h.model->turns()[0].text, QString("What changed?"));
        QCOMPARE(h.model->turns()[1].text, QString("An answer"));
        QCOMPARE(running.size(), 2);
        const auto& request = h.provider->requests()[0];
        QCOMPARE(textOf(request.history[0]), QString("What changed?"));
        QCOMPARE(request.toolNames, (QStringList{"get_full_text", "search_text"}));
        QCOMPARE(request.preference, AIModelPreference::highPerformance);
    }

    void foldsTheAttachmentIntoTheQuestion() {
        QTemporaryDir dir;
        const QString notes = writeFile(dir, "notes.txt", "line one\nline two\n");
        Harness h({finalReply("Summary")});
        h.model->attachFile(notes);
        QCOMPARE(h.model->attachmentName(), std::optional<QString>("notes.txt"));
        QCOMPARE(h.model->attachmentContent(), std::optional<QString>("line one\nline two\n"));
        h.ask("");
        QCOMPARE(h.model->turns()[0].text, QString("Attached file: notes.txt"));
        QCOMPARE(textOf(h.provider->requests()[0].history[0]),
                 QString("Context from attached file 'notes.txt':\n---\nline one\nline two\n\n---\n\n"
                         "Summarize or explain this attached file."));
        QVERIFY(!h.model->attachmentName() && !h.model->attachmentContent());

        h.model->attachFile(notes);
        h.ask("Which line is first?");
        QCOMPARE(h.model->turns()[2].text, QString("Which line is first?"));
        QCOMPARE(textOf(h.provider->requests()[1].history[2]),
                 QString("Context from attached file 'notes.txt':\n---\nline one\nline two\n\n---\n\n"
                         "Which line is first?"));
        // A session loaded again sends the bubble, never the attached text.
        h.model->startNewConversation();
        h.model->switchToSession(h.model->sessions()[1].id);
        QCOMPARE(textOf(h.model->history()[0]), QString("Attached file: notes.txt"));
    }

    void readsAttachments() {
        QTemporaryDir dir;
        Harness h({finalReply("ok")});
        fixtures::DocSpec spec;
        for (int i = 1; i <= 25; ++i)
            spec.pages.append({QStringLiteral("Sheet %1").arg(i)});
        h.model->attachFile(writeFile(dir, "Long.PDF", fixtures::makePdf(spec)));
        QCOMPARE(h.model->attachmentName(), std::optional<QString>("Long.PDF"));
        QStringList pages;
        for (int i = 1; i <= 10; ++i)
            pages << QStringLiteral("Sheet %1\n").arg(i);
        QCOMPARE(h.model->attachmentContent(), std::optional<QString>(pages.join("")));

        // Blank, unreadable and broken files leave the pending one as it is.
        h.model->attachFile(writeFile(dir, "blank.txt", " \n\t\n"));
        h.model->attachFile(dir.filePath("missing.txt"));
        h.model->attachFile(writeFile(dir, "broken.pdf", "not a pdf"));
        QCOMPARE(h.model->attachmentName(), std::optional<QString>("Long.PDF"));
        QVERIFY(h.model->turns().isEmpty());

        h.model->attachFile(writeFile(dir, "latin1.txt", "caf\xe9 cr\xe8me"));
        QCOMPARE(h.model->attachmentName(), std::optional<QString>("Long.PDF"));
        QCOMPARE(roles(h.model->turns()), QList<Role>{Role::error});
        QCOMPARE(h.model->turns()[0].text,
                 QString("'latin1.txt' is not UTF-8 text, so it cannot be attached."));

        // Past the tools' limit the text is cut with a note.
        h.model->attachFile(writeFile(dir, "huge.txt", QByteArray(70000, 'z')));
        QCOMPARE(*h.model->attachmentContent(),
                 QString(60000, u'z') +
                     "\n\n[Attachment truncated — only its first 60000 characters are included.]");
        h.model->removeAttachment();
        QVERIFY(!h.model->attachmentName() && !h.model->attachmentContent());
    }

    void runsToolCallsInOrder() {
        Harness h({toolCallReply({{"c1", "search_text", R"({"query":"revenue"})"},
                                  {"c2", "go_to_page", R"({"page":2})"},
                                  {"c3", "get_full_text", "not json"}},
                                 "Let me look."),
                   finalReply("")});
        h.ask("Find revenue");
        QCOMPARE(h.provider->requests().size(), 2);
        const QList<AIMessage>& sent = h.provider->requests()[1].history;
        QCOMPARE(sent.size(), 3);
        QCOMPARE(sent[1].role, AIRole::assistant);
        QCOMPARE(sent[2].parts,
                 (QList<AIContentPart>{AIContentPart::toolResult("c1", "…Quarterly revenue rose.…"),
                                       AIContentPart::toolResult("c2", "Unknown tool 'go_to_page'."),
                                       AIContentPart::toolResult("c3", "Quarterly revenue rose.")}));
        // Intermediate text is never shown; an empty final answer reads "Done.".
        QCOMPARE(roles(h.model->turns()), (QList<Role>{Role::user, Role::assistant}));
        QCOMPARE(h.model->turns()[1].text, QString("Done."));
        QCOMPARE(h.model->history().size(), 4);
    }

    void stopsAfterTenRequests() {
        Harness h({toolCallReply({{"c", "get_full_text", "{}"}})});
        h.ask("Loop forever");
        QCOMPARE(h.provider->requests().size(), 10);
        QCOMPARE(roles(h.model->turns()), (QList<Role>{Role::user, Role::error}));
        QCOMPARE(h.model->turns()[1].text,
                 QString("That took too many steps to resolve — try rephrasing your request."));
        // The tenth reply's tools ran and their results stay in the history.
        QCOMPARE(h.model->history().size(), 1 + 10 * 2);
        QCOMPARE(h.model->history().last().parts[0],
                 AIContentPart::toolResult("c", "Quarterly revenue rose."));
    }

    void aFailureKeepsTheStepsBeforeIt() {
        Harness h({toolCallReply({{"a", "get_full_text", "{}"}}),
                   toolCallReply({{"b", "get_full_text", "{}"}}), failure(500, "Server exploded"),
                   finalReply("Fine now")});
        h.ask("First");
        QCOMPARE(h.provider->requests().size(), 3);
        QCOMPARE(h.model->turns()[1].role, Role::error);
        QCOMPARE(h.model->turns()[1].text, AIProviderError::http(500, "Server exploded").errorDescription());
        QCOMPARE(h.model->history().size(), 5);
        h.ask("Second");
        QCOMPARE(h.provider->requests()[3].history.size(), 6);
        QCOMPARE(textOf(h.provider->requests()[3].history[5]), QString("Second"));
        // The error turn is saved with the rest of the session.
        const auto stored = loadNow(documentPath).sessions;
        QCOMPARE(roles(stored[0].turns), (QList<Role>{Role::user, Role::error, Role::user, Role::assistant}));
    }

    void readsThePreferenceForEveryRequest() {
        Harness h({toolCallReply({{"a", "get_full_text", "{}"}}), finalReply("done")});
        h.provider->hold();
        h.model->setDraft("Question");
        h.model->submit();
        QTRY_COMPARE(h.provider->requests().size(), 1);
        h.model->setModelPreference(AIModelPreference::fast);
        h.provider->release();
        QTRY_VERIFY(!h.model->isRunning());
        QCOMPARE(h.provider->requests()[0].preference, AIModelPreference::highPerformance);
        QCOMPARE(h.provider->requests()[1].preference, AIModelPreference::fast);
    }

    void aFinalReplyKeepsOnlyItsTextInTheHistory() {
        Harness h({finalReplyWithToolCalls("Here it is", {{"x", "search_text", R"({"query":"a"})"}}),
                   finalReply("Second answer")});
        h.ask("One");
        QCOMPARE(h.model->turns()[1].text, QString("Here it is"));
        QCOMPARE(h.model->history()[1], (AIMessage{AIRole::assistant, {AIContentPart::text("Here it is")}}));
        h.ask("Two");
        QCOMPARE(h.provider->requests()[1].history[1], h.model->history()[1]);
    }

    void titlesConversations_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("title");
        const QString fortyTwo = QString("abcdefghij ").repeated(4).left(42);
        QTest::newRow("trimmed, line feed joined") << "  Hello\nworld  "
                                                   << "Hello world";
        QTest::newRow("42 stays") << fortyTwo << fortyTwo;
        QTest::newRow("43 is cut at a space")
            << fortyTwo + "x" << QString("abcdefghij ").repeated(3).left(32) + "…";
        const QString sixty = QString(30, u'a') + " " + QString(29, u'b');
        QTest::newRow("last space is 31st") << sixty << QString(30, u'a') + "…";
        QTest::newRow("no space") << QString(50, u'w') << QString(42, u'w') + "…";
        QTest::newRow("42 clusters of two code points")
            << QString("e\u0301").repeated(42) << QString("e\u0301").repeated(42);
        QTest::newRow("43 clusters") << QString("e\u0301").repeated(43)
                                     << QString("e\u0301").repeated(42) + "…";
        QTest::newRow("tab does not count as a space") << QString(20, u'a') + "\t" + QString(30, u'b')
                                                       << QString(20, u'a') + "\t" + QString(21, u'b') + "…";
    }
    void titlesConversations() {
        QFETCH(QString, message);
        QFETCH(QString, title);
        QCOMPARE(AssistantViewModel::title(message), title);
    }

    void theModelsTitleReplacesTheLocalOne() {
        Harness h({finalReply("Answer")});
        h.provider->setTitleReply(finalReply("  Revenue Growth Question \n"));
        h.ask("Why did revenue grow so much faster than costs during the last quarter?");
        QTRY_COMPARE(h.model->sessions()[0].title, QString("Revenue Growth Question"));
        QCOMPARE(h.provider->titleRequests().size(), 1);
        const auto& request = h.provider->titleRequests()[0];
        QCOMPARE(request.preference, AIModelPreference::fast);
        QVERIFY(request.toolNames.isEmpty());
        QCOMPARE(
            textOf(request.history[0]),
            QString(
                "Write a short chat title (3 to 6 words, no quotes, no trailing punctuation) summarizing "
                "this message:\n\nWhy did revenue grow so much faster than costs during the last quarter?"));
        QCOMPARE(loadNow(documentPath).sessions[0].title, QString("Revenue Growth Question"));

        Harness blank({finalReply("Answer")}, "/tmp/zepla-tests/other.pdf");
        blank.provider->setTitleReply(finalReply(" \n "));
        blank.ask("Short question here");
        QTRY_COMPARE(blank.provider->titleRequests().size(), 1);
        QCoreApplication::processEvents();
        QCOMPARE(blank.model->sessions()[0].title, QString("Short question here"));
    }

    void aTitleForADeletedSessionIsDropped() {
        Harness h({finalReply("Answer")});
        h.provider->holdTitles();
        h.ask("A question whose conversation goes away");
        const QUuid doomed = h.model->currentSessionID();
        h.model->startNewConversation();
        h.model->deleteSession(doomed);
        const QList<ChatSession> before = loadNow(documentPath).sessions;
        QSignalSpy sessionsChanged(h.model.get(), &AssistantViewModel::sessionsChanged);
        h.provider->releaseTitles();
        QTRY_COMPARE(h.provider->deliveredTitles(), 1);
        QCOMPARE(sessionsChanged.size(), 0);
        QCOMPARE(h.model->sessions().size(), 1);
        QCOMPARE(h.model->sessions()[0].title, QString("New Chat"));
        QCOMPARE(loadNow(documentPath).sessions, before);
    }

    void managesSessions() {
        Harness h({finalReply("A1"), finalReply("A2")});
        QSignalSpy sessionsChanged(h.model.get(), &AssistantViewModel::sessionsChanged);
        h.ask("First question");
        const QUuid first = h.model->currentSessionID();

        // Switching to the session shown does nothing, not even a save.
        sessionsChanged.clear();
        h.model->switchToSession(first);
        QCOMPARE(sessionsChanged.size(), 0);

        h.model->setDraft("half typed");
        h.model->startNewConversation();
        QCOMPARE(h.model->draft(), QString());
        QCOMPARE(h.model->sessions().size(), 2);
        QVERIFY(h.model->turns().isEmpty());
        const QUuid second = h.model->currentSessionID();
        QCOMPARE(h.model->sessions()[0].id, second);
        // Not stored until something is asked in it.
        QCOMPARE(loadNow(documentPath).sessions.size(), 1);

        h.model->switchToSession(first);
        QCOMPARE(h.model->turns().size(), 2);
        QCOMPARE(h.model->history().size(), 2);
        h.model->switchToSession(QUuid::createUuid());
        QCOMPARE(h.model->currentSessionID(), first);

        // Deleting another session keeps the current one.
        h.model->startNewConversation();
        const QUuid fresh = h.model->currentSessionID();
        h.model->switchToSession(first);
        h.model->deleteSession(second);
        QCOMPARE(h.model->sessions().size(), 2);
        QCOMPARE(h.model->currentSessionID(), first);
        QCOMPARE(h.model->turns().size(), 2);
        // Deleting the current one shows the newest that remains.
        h.model->deleteSession(first);
        QCOMPARE(h.model->currentSessionID(), fresh);
        QVERIFY(h.model->turns().isEmpty() && h.model->history().isEmpty());
        // Deleting the only one leaves a fresh "New Chat", saved alone.
        h.model->deleteSession(fresh);
        QCOMPARE(h.model->sessions().size(), 1);
        QCOMPARE(h.model->sessions()[0].title, QString("New Chat"));
        QVERIFY(h.model->turns().isEmpty() && h.model->history().isEmpty());
        const auto stored = loadNow(documentPath).sessions;
        QCOMPARE(stored.size(), 1);
        QCOMPARE(stored[0].id, h.model->currentSessionID());
    }

    void deletingTheCurrentSessionDuringARunIsRefused() {
        Harness h({finalReply("Answer")});
        h.ask("Earlier");
        h.model->startNewConversation();
        const QUuid other = h.model->sessions()[1].id;
        h.provider->hold();
        h.model->setDraft("Now");
        h.model->submit();
        const QUuid current = h.model->currentSessionID();
        QVERIFY(!h.model->canDeleteSession(current));
        h.model->deleteSession(current);
        h.model->startNewConversation();
        h.model->switchToSession(other);
        QCOMPARE(h.model->currentSessionID(), current);
        // Other sessions can go.
        QVERIFY(h.model->canDeleteSession(other));
        h.model->deleteSession(other);
        QCOMPARE(h.model->sessions().size(), 1);
        h.provider->release();
        QTRY_VERIFY(!h.model->isRunning());
        QCOMPARE(h.model->turns().last().text, QString("Answer"));
        QCOMPARE(loadNow(documentPath).sessions[0].turns.size(), 2);
    }

    void reopensTheLatestSession() {
        const QDateTime second = QDateTime::fromString("2025-03-01T09:30:00Z", Qt::ISODate);
        const ChatSession older{
            QUuid::createUuid(), "Older", {{QUuid::createUuid(), Role::user, "q0"}}, second.addSecs(-60)};
        const ChatSession tieA{QUuid::createUuid(),
                               "Tie A",
                               {{QUuid::createUuid(), Role::user, "q"},
                                {QUuid::createUuid(), Role::error, "failed"},
                                {QUuid::createUuid(), Role::assistant, "a"}},
                               second};
        const ChatSession tieB{QUuid::createUuid(), "Tie B", {}, second};
        ChatHistoryStore::save({older, tieA, tieB}, documentPath);
        Harness h({finalReply("x")});
        QCOMPARE(h.model->currentSessionID(), tieA.id);
        QCOMPARE(h.model->sessions()[0].id, tieA.id);
        QCOMPARE(h.model->sessions()[1].id, tieB.id);
        QCOMPARE(h.model->sessions()[2].id, older.id);
        QCOMPARE(h.model->turns(), tieA.turns);
        QCOMPARE(h.model->history(), (QList<AIMessage>{AIMessage::userText("q"),
                                                       {AIRole::assistant, {AIContentPart::text("a")}}}));
    }

    void aBadHistoryFileIsKeptBesideTheNewOne() {
        const QString path = ChatHistoryStore::fileURL(documentPath);
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(R"([{"id":"not-a-uuid","title":"x","turns":[],"updatedAt":"2025-03-01T09:30:00Z"}])");
        }
        Harness h({finalReply("A")});
        QCOMPARE(h.model->sessions().size(), 1);
        QCOMPARE(h.model->sessions()[0].title, QString("New Chat"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("not-a-uuid"));
        file.close();
        const std::optional<QString> notice = h.model->takeHistoryNotice();
        QVERIFY(notice);
        const QString copy = path.chopped(5) + ".unreadable.json";
        QVERIFY2(notice->contains(copy), qPrintable(*notice));
        QVERIFY(!h.model->takeHistoryNotice());
        h.ask("Now it is replaced");
        QCOMPARE(loadNow(documentPath).sessions.size(), 1);
        QFile kept(copy);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QVERIFY(kept.readAll().contains("not-a-uuid"));
    }

    // What is asked or shown before the stored conversations are in stays current and goes on beside them,
    // in the file too, also when the window is gone by the time they are read. With nothing asked, the
    // latest stored conversation is shown once they are in.
    void aQuestionAskedWhileLoadingJoinsTheStoredConversations_data() {
        QTest::addColumn<bool>("asks");
        QTest::addColumn<bool>("windowCloses");
        QTest::newRow("nothing asked") << false << false;
        QTest::newRow("asked") << true << false;
        QTest::newRow("asked, window closed") << true << true;
    }
    void aQuestionAskedWhileLoadingJoinsTheStoredConversations() {
        QFETCH(bool, asks);
        QFETCH(bool, windowCloses);
        const ChatSession stored{QUuid::createUuid(),
                                 "Stored",
                                 {{QUuid::createUuid(), Role::user, "Earlier"}},
                                 QDateTime::fromString("2025-03-01T09:30:00Z", Qt::ISODate)};
        ChatHistoryStore::save({stored}, documentPath);
        QSemaphore gate;
        platform::SerialWriter::shared().enqueue(
            ChatHistoryStore::fileURL(documentPath), [&gate] { gate.acquire(); }, false);
        Harness h({finalReply("Answered early")}, documentPath, false);
        QVERIFY(h.model->isLoadingHistory());
        QCOMPARE(h.model->sessions().size(), 1);
        QVERIFY(h.model->turns().isEmpty());
        if (asks)
            h.ask("Asked early");
        const QUuid early = h.model->currentSessionID();
        QPointer<AssistantViewModel> alive(h.model.get());
        QSignalSpy loaded(h.model.get(), &AssistantViewModel::isLoadingHistoryChanged);
        if (windowCloses)
            h.model.reset();
        gate.release();
        if (windowCloses) {
            QTRY_VERIFY(!alive);
        } else {
            QTRY_COMPARE(loaded.size(), 1);
            QVERIFY(!h.model->isLoadingHistory());
            QCOMPARE(h.model->sessions().size(), asks ? 2 : 1);
            QCOMPARE(h.model->sessions().last().id, stored.id);
            QCOMPARE(h.model->currentSessionID(), asks ? early : stored.id);
            QCOMPARE(h.model->turns().size(), asks ? 2 : 1);
        }
        const QList<ChatSession> file = loadNow(documentPath).sessions;
        QCOMPARE(file.size(), asks ? 2 : 1);
        QCOMPARE(file.last(), stored);
        if (asks)
            QCOMPARE(file.first().turns.last().text, QString("Answered early"));
    }

    void twoWindowsOnOneFileBothKeepWorking() {
        Harness one({finalReply("From one")});
        Harness two({finalReply("From two")});
        one.ask("Asked in one");
        two.ask("Asked in two");
        one.ask("Again in one");
        QCOMPARE(one.model->turns().size(), 4);
        QCOMPARE(two.model->turns().size(), 2);
        // The last save wins: the file holds what the first window saved last.
        const auto stored = loadNow(documentPath).sessions;
        QCOMPARE(stored.size(), 1);
        QCOMPARE(stored[0].id, one.model->currentSessionID());
        QCOMPARE(stored[0].turns, one.model->turns());
    }

    void anUnsavedDocumentKeepsItsChatsInMemory() {
        Harness h({finalReply("A")}, QString());
        h.ask("Question");
        QCOMPARE(h.model->sessions()[0].turns.size(), 2);
        QVERIFY(QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Zepla/Chats")
                    .entryList(QDir::Files)
                    .isEmpty());
    }

    void everyFailureOfTheServiceBecomesAnErrorTurn_data() {
        QTest::addColumn<CannedReply>("reply");
        QTest::addColumn<bool>("refused");
        const QByteArray toolCall =
            R"({"choices":[{"finish_reason":"tool_calls","message":{"tool_calls":[)"
            R"({"id":"c","type":"function","function":{"name":"x","arguments":"{}"}}]}}]})";
        QTest::newRow("401") << CannedReply{401, R"({"error":{"message":"Bad device"}})"} << false;
        QTest::newRow("429") << CannedReply{429, R"({"error":"Slow down"})"} << false;
        QTest::newRow("500") << CannedReply{500, "{}"} << false;
        QTest::newRow("HTML") << CannedReply{200, "<html>Gateway</html>", "text/html"} << false;
        QTest::newRow("cut JSON") << CannedReply{200, toolCall, "application/json", Delivery::closeDelimited}
                                  << false;
        QTest::newRow("time-out") << CannedReply{200, {}, {}, Delivery::silent} << false;
        QTest::newRow("refused") << CannedReply{} << true;
    }
    void everyFailureOfTheServiceBecomesAnErrorTurn() {
        QFETCH(CannedReply, reply);
        QFETCH(bool, refused);
        TestHttpServer server;
        server.setReplies({reply});
        const QUrl address = refused ? refusingBaseAddress() : server.baseAddress();
        auto model = std::make_shared<AssistantViewModel>(
            source(), std::make_shared<BackendAIProvider>(address, std::chrono::milliseconds(500)));
        model->setDraft("Anyone there?");
        model->submit();
        QTRY_VERIFY_WITH_TIMEOUT(!model->isRunning(), testsupport::hangGuardMs);
        QCOMPARE(roles(model->turns()), (QList<Role>{Role::user, Role::error}));
        QVERIFY(!model->turns()[1].text.isEmpty());
        const auto stored = loadNow(documentPath).sessions;
        QCOMPARE(stored.size(), 1);
        QCOMPARE(stored[0].turns, model->turns());
        QCOMPARE(stored[0].title, QString("Anyone there?"));
    }

    // Both requests of a first question, the answer's and the title's, meet the redirect; neither follows it.
    void theQuestionAndItsTitleStayWithTheService() {
        RedirectingServers servers(RedirectingServers::Target::otherHost,
                                   R"({"choices":[{"message":{"content":"Leaked"}}]})");
        auto provider = std::make_shared<CountedProvider>(
            std::make_shared<BackendAIProvider>(servers.configured.baseAddress()));
        auto model = std::make_shared<AssistantViewModel>(source(), provider);
        QTRY_VERIFY(!model->isLoadingHistory());
        model->setDraft("Where is the proof?");
        model->submit();
        QTRY_COMPARE_WITH_TIMEOUT(provider->answered(), 2, 10000);
        QVERIFY(!model->isRunning());
        QCOMPARE(servers.configured.requests().size(), 2);
        QCOMPARE(servers.requestsElsewhere(), 0);
        QCOMPARE(roles(model->turns()), (QList<Role>{Role::user, Role::error}));
        QVERIFY2(model->turns()[1].text.startsWith("API error (307): "), qPrintable(model->turns()[1].text));
        QCOMPARE(model->sessions()[0].title, QString("Where is the proof?"));
    }

    void aModelDroppedMidRunFinishesItsRunFirst() {
        Harness h({finalReply("Late answer")});
        h.provider->hold();
        h.model->setDraft("Question");
        h.model->submit();
        QPointer<AssistantViewModel> alive(h.model.get());
        h.model.reset();
        QVERIFY(alive);
        h.provider->release();
        QTRY_VERIFY(!alive);
        const auto stored = loadNow(documentPath).sessions;
        QCOMPARE(stored[0].turns.last().text, QString("Late answer"));
    }
};

QTEST_GUILESS_MAIN(TestAssistantViewModel)
#include "test_assistant_view_model.moc"
