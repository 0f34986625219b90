// A document window's assistant end to end, against a real chat-completions server on 127.0.0.1: a
// question from the PDF view makes the model read a page of the real PDF through a tool, then answer,
// and the conversation lands on disk in the history format, readable by the user alone.
#include "../support/EditorDocuments.h"
#include "annotations/ToolState.h"
#include "assistant/AssistantViewModel.h"
#include "chat/ChatHistoryStore.h"
#include "core/UndoManager.h"
#include "providers/BackendAIProvider.h"
#include "support/TestHome.h"
#include "support/TestHttpServer.h"
#include "ui/assistant/AssistantConversation.h"
#include "ui/assistant/AssistantInputArea.h"
#include "ui/assistant/AssistantPanel.h"
#include "ui/assistant/ChatInputField.h"
#include "ui/assistant/TurnView.h"
#include "ui/markdown/InlineFormulaObject.h"
#include "ui/markdown/MarkdownContent.h"
#include "ui/markdown/TextBlockView.h"
#include "ui/workspace/PDFEditorWorkspaceView.h"

#include <QApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextTable>
#include <QToolButton>

#include <sys/stat.h>

using namespace zepla;
using namespace zepla::ai::test;

namespace {

QByteArray completion(const QJsonObject& message, const QString& finishReason) {
    const QJsonObject choice{{"finish_reason", finishReason}, {"message", message}};
    return QJsonDocument(QJsonObject{{"choices", QJsonArray{choice}}}).toJson(QJsonDocument::Compact);
}

// The model: titles when asked to, asks for page 2 first, then answers with what the tool returned.
CannedReply model(const ReceivedRequest& request) {
    const QJsonArray messages = QJsonDocument::fromJson(request.body).object().value("messages").toArray();
    const QString system = messages.first().toObject().value("content").toString();
    if (system.startsWith("You write short, punchy chat titles"))
        return {200, completion({{"content", "Page Two"}}, "stop")};
    const QJsonObject last = messages.last().toObject();
    if (last.value("role") == "tool")
        return {200, completion({{"content", "It says: " + last.value("content").toString()}}, "stop")};
    const QJsonObject call{
        {"id", "call_1"},
        {"type", "function"},
        {"function", QJsonObject{{"name", "get_page_text"}, {"arguments", R"({"page": 2})"}}}};
    return {200, completion({{"content", QJsonValue()}, {"tool_calls", QJsonArray{call}}}, "tool_calls")};
}

// What the answer's text views show: their formula images, their tables and their text.
struct Rendered {
    QList<QSizeF> formulaSizes;
    QList<QTextTable*> tables;
    QString text;
};

Rendered rendered(const QWidget& answer) {
    Rendered found;
    for (const ui::TextBlockView* view : answer.findChildren<ui::TextBlockView*>()) {
        QTextDocument* document = view->document();
        found.text += document->toPlainText();
        for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QImage image = ui::InlineFormulaObject::image(*document, it.fragment().charFormat());
                if (!image.isNull())
                    found.formulaSizes.append(image.deviceIndependentSize());
            }
        }
        for (QTextFrame* frame : document->rootFrame()->childFrames()) {
            if (auto* table = qobject_cast<QTextTable*>(frame))
                found.tables.append(table);
        }
    }
    return found;
}

const QString answerWithMathAndTable =
    QStringLiteral("The area is $A = \\pi r^2$.\n\n| r | A |\n|---|---|\n| 1 | 3.14 |\n| 2 | 12.57 |\n");

// Writes `bytes` to the file at `path`, whole.
bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A workspace of the document in `bytes`, shown at a fixed size, whose assistant asks `server`.
struct AssistantWorkspace {
    AssistantWorkspace(const QByteArray& bytes, const QString& path, const TestHttpServer& server)
        : document(testsupport::editorDocument(bytes)), workspace(*document, undo, toolState, path) {
        workspace.setAssistantProvider(std::make_shared<ai::BackendAIProvider>(server.baseAddress()));
        workspace.resize(1200, 800);
        workspace.show();
    }

    platform::UndoManager undo;
    annotations::ToolState toolState;
    std::unique_ptr<document::PDFEditorDocument> document;
    ui::PDFEditorWorkspaceView workspace;
};

} // namespace

class TestWorkspaceAssistant : public QObject {
    Q_OBJECT

private slots:
    void answersAQuestionAboutTheOpenPdf() {
        TestHome home;
        QTemporaryDir dir;
        const QString path = dir.filePath("Field Notes.pdf");
        const QByteArray bytes = fixtures::makeTextPdf(3, "heron");
        QVERIFY(writeFile(path, bytes));

        TestHttpServer server;
        server.setResponder(model);
        AssistantWorkspace window(bytes, path, server);
        ui::PDFEditorWorkspaceView& workspace = window.workspace;
        QVERIFY(QTest::qWaitForWindowExposed(&workspace));

        ai::AssistantViewModel& assistant = workspace.assistant();
        QCOMPARE(assistant.documentName(), QString("Field Notes"));
        workspace.onAskAI("What is on page 2?", true);
        QVERIFY(workspace.showAssistant());
        QVERIFY(assistant.isRunning());
        QTRY_VERIFY_WITH_TIMEOUT(!assistant.isRunning(), testsupport::hangGuardMs);
        QCOMPARE(assistant.turns().size(), 2);
        QCOMPARE(assistant.turns()[1].text, QString("It says: Page 2 heron"));
        QTRY_COMPARE(assistant.sessions()[0].title, QString("Page Two"));

        // The recognised text of a page is shown, never sent, and saved with the next save.
        const qsizetype requests = server.requests().size();
        workspace.handleExtractedText("Scanned words");
        QCOMPARE(assistant.turns().last().text, QString("Extracted text:\n\nScanned words"));
        QCOMPARE(server.requests().size(), requests);

        ai::ChatHistoryStore::waitForWrites();
        const QString historyFile = ai::ChatHistoryStore::fileURL(path);
        QFile stored(historyFile);
        QVERIFY(stored.open(QIODevice::ReadOnly));
        const QByteArray json = stored.readAll();
        static const QRegularExpression format(
            R"(^\[\{"id":"[0-9A-F-]{36}","title":"Page Two","turns":\[)"
            R"(\{"id":"[0-9A-F-]{36}","role":"user","text":"What is on page 2\?"\},)"
            R"(\{"id":"[0-9A-F-]{36}","role":"assistant","text":"It says: Page 2 heron"\}\],)"
            R"("updatedAt":"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ"\}\]$)");
        QVERIFY2(format.match(QString::fromUtf8(json)).hasMatch(), json.constData());
        struct stat info {};
        QCOMPARE(::stat(QFile::encodeName(historyFile).constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777, 0600u);
    }

    // A stored history with one conversation that cannot be read: the panel says so once, the question
    // "hello" is answered, and the two good conversations and the original file survive the save.
    void aBadConversationCostsOnlyItself() {
        TestHome home;
        QTemporaryDir dir;
        const QString path = dir.filePath("Ledger.pdf");
        const QByteArray bytes = fixtures::makeTextPdf(1, "ledger");
        QVERIFY(writeFile(path, bytes));
        const auto conversation = [](const char* id, const char* title, const char* role) {
            return QStringLiteral(
                       R"({"id":"%1","title":"%2","turns":[{"id":"0A1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D",)"
                       R"("role":"%3","text":"Earlier words"}],"updatedAt":"2025-03-01T09:30:00Z"})")
                .arg(id, title, role);
        };
        const QByteArray original =
            ("[" + conversation("6F1C2A4E-93B1-4C55-8A3E-0D2B7C9E1F10", "Budget", "user") + "," +
             conversation("11111111-2222-4333-8444-555555555555", "Hidden", "system") + "," +
             conversation("22222222-2222-4333-8444-555555555555", "Taxes", "assistant") + "]")
                .toUtf8();
        const QString historyFile = ai::ChatHistoryStore::fileURL(path);
        QVERIFY(writeFile(historyFile, original));

        TestHttpServer server;
        server.setResponder([](const ReceivedRequest&) {
            return CannedReply{200, completion({{"content", "Hello there"}}, "stop")};
        });
        AssistantWorkspace window(bytes, path, server);
        ui::PDFEditorWorkspaceView& workspace = window.workspace;
        QVERIFY(QTest::qWaitForWindowExposed(&workspace));
        QTRY_COMPARE(workspace.assistant().sessions().size(), 2);

        const QString kept = historyFile.chopped(5) + ".unreadable.json";
        const auto notices = [&] {
            QStringList texts;
            for (const QMessageBox* box : workspace.findChildren<QMessageBox*>())
                texts << box->text();
            return texts;
        };
        workspace.setShowAssistant(true);
        auto* panel = workspace.findChild<ui::AssistantPanel*>();
        QVERIFY(panel);
        QTRY_COMPARE(notices().size(), 1);
        QVERIFY2(notices()[0].contains(kept) && notices()[0].contains("could not be read"),
                 qPrintable(notices()[0]));
        for (QMessageBox* box : workspace.findChildren<QMessageBox*>())
            box->accept();
        QTRY_COMPARE(notices().size(), 0);
        QTest::mouseClick(panel->headerButton("Close Assistant"), Qt::LeftButton);
        workspace.setShowAssistant(true);

        ui::ChatInputField* input = panel->inputArea()->input();
        QTest::keyClicks(input, "hello");
        QTest::keyClick(input, Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(!workspace.assistant().isRunning(), testsupport::hangGuardMs);
        QCOMPARE(notices().size(), 0);

        // The question went on in the latest conversation, the other good one is kept, the bad one is only
        // in the kept original.
        ai::ChatHistoryStore::waitForWrites();
        QFile saved(historyFile);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const ai::ChatHistoryStore::Decoded written = ai::ChatHistoryStore::decode(saved.readAll());
        QVERIFY(written.complete);
        QStringList titles;
        for (const ai::ChatSession& session : written.sessions)
            titles << session.title;
        QCOMPARE(titles, (QStringList{"Budget", "Taxes"}));
        QStringList budget;
        for (const ai::AssistantTurn& turn : written.sessions[0].turns)
            budget << turn.text;
        QCOMPARE(budget, (QStringList{"Earlier words", "hello", "Hello there"}));
        QCOMPARE(written.sessions[1].turns[0].text, QString("Earlier words"));
        QFile keptFile(kept);
        QVERIFY(keptFile.open(QIODevice::ReadOnly));
        QCOMPARE(keptFile.readAll(), original);
    }

    // The panel placed in the window's assistant slot: a question typed and sent with Return shows the
    // typing bubble, then the answer of the server.
    void panelAsksAndShowsTheAnswer() {
        TestHome home;
        TestHttpServer server;
        server.setResponder([](const ReceivedRequest& request) {
            const QJsonArray messages =
                QJsonDocument::fromJson(request.body).object().value("messages").toArray();
            if (messages.first().toObject().value("content").toString().startsWith("You write short"))
                return CannedReply{200, completion({{"content", "Areas"}}, "stop")};
            return CannedReply{200, completion({{"content", answerWithMathAndTable}}, "stop")};
        });
        AssistantWorkspace window(fixtures::makeTextPdf(2, "circle"), QString(), server);
        ui::PDFEditorWorkspaceView& workspace = window.workspace;
        QVERIFY(QTest::qWaitForWindowExposed(&workspace));
        QVERIFY(!workspace.findChild<ui::AssistantPanel*>());

        workspace.setShowAssistant(true);
        auto* panel = workspace.findChild<ui::AssistantPanel*>();
        QVERIFY(panel);
        QCOMPARE(workspace.assistantPanel(), panel);
        QTRY_COMPARE(panel->width(), workspace.assistantPanelWidth());
        ui::ChatInputField* input = panel->inputArea()->input();
        QTRY_VERIFY(input->hasFocus());
        QTest::keyClicks(input, "What is the area of a circle?");
        QTest::keyClick(input, Qt::Key_Return);
        QVERIFY(panel->conversation()->typingBubble());
        QTRY_VERIFY(panel->conversation()->typingBubble()->isVisibleTo(panel));
        QTRY_VERIFY_WITH_TIMEOUT(!workspace.assistant().isRunning(), testsupport::hangGuardMs);
        QVERIFY(!panel->conversation()->typingBubble());
        QCOMPARE(panel->conversation()->turnCount(), 2);
        // Turn views, and the views of an answer's blocks, are made in slices between frames: they may come
        // after the reply.
        QTRY_VERIFY(panel->conversation()->turnView(1));
        ui::TurnView* answer = panel->conversation()->turnView(1);
        QCOMPARE(answer->turn().text, answerWithMathAndTable);
        QTRY_VERIFY(answer->findChild<ui::MarkdownContent*>()->isComplete());

        // The formula is typeset as an image that stands in the text, its source nowhere to be seen; the
        // table is a grid of two columns under its header.
        const Rendered shown = rendered(*answer);
        QCOMPARE(shown.formulaSizes.size(), 1);
        QVERIFY(shown.formulaSizes[0].width() > 20 && shown.formulaSizes[0].height() > 5);
        QVERIFY2(!shown.text.contains("\\pi") && !shown.text.contains('$'), qPrintable(shown.text));
        QVERIFY(shown.text.contains("The area is"));
        QCOMPARE(shown.tables.size(), 1);
        QCOMPARE(shown.tables[0]->columns(), 2);
        QCOMPARE(shown.tables[0]->rows(), 3);
        QCOMPARE(shown.tables[0]->cellAt(2, 1).firstCursorPosition().block().text(), QString("12.57"));
        QVERIFY(!answer->visibleRegion().isEmpty());

        // The header's close button hides the panel and keeps the conversation.
        QTest::mouseClick(panel->headerButton("Close Assistant"), Qt::LeftButton);
        QVERIFY(!workspace.showAssistant());
        workspace.setShowAssistant(true);
        QCOMPARE(workspace.assistantPanel(), panel);
        QCOMPARE(panel->conversation()->turnCount(), 2);
    }
};

QTEST_MAIN(TestWorkspaceAssistant)
#include "test_workspace_assistant.moc"
