// The preview window: spreadsheets, presentations and books shown read-only with their text read once;
// the placeholder for other files; one window per request, each living until it closes.
#include "ExternalTool.h"
#include "assistant/AssistantViewModel.h"
#include "assistant/SystemPrompts.h"
#include "core/SerialWriter.h"
#include "document/preview/PreviewDocument.h"
#include "pdfview/view/PDFView.h"
#include "support/ScriptedProvider.h"
#include "support/TestHome.h"
#include "ui/assistant/AssistantConversation.h"
#include "ui/assistant/AssistantInputArea.h"
#include "ui/assistant/AssistantPanel.h"
#include "ui/assistant/ChatInputField.h"
#include "ui/preview/PreviewContentView.h"
#include "ui/preview/PreviewWindowController.h"
#include "ui/preview/UnsupportedFileView.h"
#include "ui/theme/ToolbarLabeledButton.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace zepla;
using ui::PreviewContentView;
using ui::PreviewWindowController;

namespace {

// An EPUB zipped by Python's zipfile: the mimetype first and stored, as readers expect.
QString writeEpub(const QString& path, const QString& chapterBody) {
    const QString folder = path + ".parts";
    QDir().mkpath(folder + "/META-INF");
    writeTestBytes(folder + "/mimetype", "application/epub+zip");
    writeTestBytes(
        folder + "/META-INF/container.xml",
        R"(<?xml version="1.0"?><container version="1.0" xmlns="urn:oasis:names:tc:opendocument:xmlns:container">)"
        R"(<rootfiles><rootfile full-path="content.opf" media-type="application/oebps-package+xml"/></rootfiles></container>)");
    writeTestBytes(
        folder + "/content.opf",
        R"(<?xml version="1.0"?><package xmlns="http://www.idpf.org/2007/opf" version="2.0" unique-identifier="id">)"
        R"(<metadata xmlns:dc="http://purl.org/dc/elements/1.1/"><dc:title>Test Book</dc:title><dc:identifier id="id">x</dc:identifier></metadata>)"
        R"(<manifest><item id="c1" href="chapter.xhtml" media-type="application/xhtml+xml"/></manifest>)"
        R"(<spine><itemref idref="c1"/></spine></package>)");
    writeTestBytes(
        folder + "/chapter.xhtml",
        (R"(<?xml version="1.0"?><html xmlns="http://www.w3.org/1999/xhtml"><head><title>c</title></head><body>)" +
         chapterBody + "</body></html>")
            .toUtf8());
    const QString script = "import zipfile,sys\n"
                           "z=zipfile.ZipFile(sys.argv[1],'w')\n"
                           "d=sys.argv[2]\n"
                           "z.write(d+'/mimetype','mimetype',zipfile.ZIP_STORED)\n"
                           "for n in ['META-INF/container.xml','content.opf','chapter.xhtml']:\n"
                           "    z.write(d+'/'+n,n,zipfile.ZIP_DEFLATED)\n"
                           "z.close()\n";
    if (runTool("python3", {"-c", script, path, folder}).exitCode != 0)
        qFatal("cannot zip %s", qPrintable(path));
    return path;
}

PreviewContentView* waitForText(PreviewWindowController* controller) {
    PreviewContentView* content = controller->content();
    if (!content->isTextReady()) {
        QSignalSpy ready(content, &PreviewContentView::textReady);
        if (!ready.wait(180000))
            qFatal("the preview's text never came");
    }
    return content;
}

} // namespace

class TestPreviewWindow : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    static void closeAll() {
        // A copy: each window leaves the list as it closes.
        const QList<PreviewWindowController*> open = PreviewWindowController::openControllers();
        for (PreviewWindowController* controller : open)
            controller->window()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

private slots:
    void cleanup() { closeAll(); }

    void spreadsheetInCapitalsIsShownWithItsText() {
        const QString csv =
            writeTestBytes(m_dir.filePath("ledger.csv"), "Item,Amount\nZebrafeed,42\nOstrichwax,7\n");
        const QString xlsx = convertWithOffice(csv, "xlsx", m_dir.path());
        const QString capitals = m_dir.filePath("LEDGER.XLSX");
        QVERIFY(QFile::rename(xlsx, capitals));

        PreviewWindowController* controller = PreviewWindowController::open(capitals);
        PreviewContentView* content = controller->content();
        QVERIFY(content->isSupported());
        QCOMPARE(controller->window()->windowTitle(), QString("LEDGER.XLSX"));
        QVERIFY(content->readingCapsule()->isVisible());
        QVERIFY(!content->askButton()->isEnabled());

        waitForText(controller);
        QVERIFY(!content->readingCapsule()->isVisible());
        QVERIFY2(content->indexedText().contains("Zebrafeed"), qPrintable(content->indexedText()));
        QVERIFY(content->indexedText().contains("Ostrichwax"));
        QVERIFY(content->pdfView()->document());
        QVERIFY(content->pdfView()->document()->pageCount() >= 1);
        QVERIFY(content->errorLine()->isHidden());
        QVERIFY(content->askButton()->isEnabled());
    }

    void presentationIsShownWithItsText() {
        const QString flat = writeTestBytes(m_dir.filePath("talk.fodp"),
                                            R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0" xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0" xmlns:presentation="urn:oasis:names:tc:opendocument:xmlns:presentation:1.0" office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.presentation">
<office:body><office:presentation><draw:page draw:name="one"><draw:frame svg:x="2cm" svg:y="2cm" svg:width="20cm" svg:height="3cm"><draw:text-box><text:p>Migrating flamingos</text:p></draw:text-box></draw:frame></draw:page></office:presentation></office:body></office:document>
)");
        const QString pptx = convertWithOffice(flat, "pptx", m_dir.path());
        PreviewWindowController* controller = PreviewWindowController::open(pptx);
        PreviewContentView* content = waitForText(controller);
        QVERIFY2(content->indexedText().contains("Migrating flamingos"), qPrintable(content->indexedText()));
        // The slide is fitted to the width: never a horizontal scroll bar, and a vertical one only when the
        // window is too low for the slide.
        pdfview::PDFView* view = content->pdfView();
        QTRY_VERIFY(view->document() && view->viewport()->width() > 0);
        for (const QSize size : {QSize(900, 700), QSize(900, 400), QSize(700, 300), QSize(1200, 500)}) {
            controller->window()->resize(size);
            QApplication::processEvents();
            QTRY_VERIFY2(!view->horizontalScrollBar()->isVisible(),
                         qPrintable(QStringLiteral("%1 x %2").arg(size.width()).arg(size.height())));
            QCOMPARE(view->verticalScrollBar()->isVisible(), view->verticalScrollBar()->maximum() > 0);
        }
        QVERIFY(view->verticalScrollBar()->isVisible()); // 1200 x 500 is lower than the fitted slide
    }

    void bookIsLaidOutByMuPdf() {
        const QString epub =
            writeEpub(m_dir.filePath("book.epub"), "<h1>Chapter</h1><p>Pelican lighthouse</p>");
        PreviewContentView* content = waitForText(PreviewWindowController::open(epub));
        QVERIFY2(content->indexedText().contains("Pelican lighthouse"), qPrintable(content->indexedText()));
        QVERIFY(content->pdfView()->document()->pageCount() >= 1);
    }

    // Ask opens the assistant over the book's text: the preview prompt, the two text-only tools, and a
    // tool that hands the model the text read from the book. Closing and asking again keeps the chat.
    void askOpensAnAssistantOverTheText() {
        ai::test::TestHome home;
        auto provider = std::make_shared<ai::test::ScriptedProvider>();
        provider->setReplies({ai::test::toolCallReply({{"call_1", "get_full_text", "{}"}}),
                              ai::test::finalReply("It is about a lighthouse.")});
        const QString epub =
            writeEpub(m_dir.filePath("coast.epub"), "<h1>Coast</h1><p>Pelican lighthouse keeper</p>");
        PreviewWindowController* controller = PreviewWindowController::open(epub);
        PreviewContentView* content = controller->content();
        content->setAssistantProvider(provider);
        QVERIFY(!content->askButton()->isEnabled());
        QVERIFY(!content->assistant());
        QTest::mouseClick(content->askButton(), Qt::LeftButton);
        QVERIFY(!content->showAssistant());

        waitForText(controller);
        QVERIFY(content->askButton()->isEnabled());
        ai::AssistantViewModel* assistant = content->assistant();
        QVERIFY(assistant);
        QCOMPARE(assistant->systemPrompt(), ai::SystemPrompts::preview());
        QStringList tools;
        for (const ai::AssistantTool& tool : assistant->tools())
            tools << tool.name;
        QCOMPARE(tools, (QStringList{"get_full_text", "search_text"}));
        QVERIFY(!content->assistantPanel());

        QTest::mouseClick(content->askButton(), Qt::LeftButton);
        QVERIFY(content->showAssistant() && content->askButton()->isSelected());
        ui::AssistantPanel* panel = content->assistantPanel();
        QVERIFY(panel);
        QCOMPARE(panel->width(), PreviewContentView::assistantWidth);
        // It fades in while it slides, and is drawn directly once there.
        QVERIFY(panel->parentWidget()->graphicsEffect());
        QTRY_VERIFY(!panel->parentWidget()->graphicsEffect());
        // Slides in beside the pages; the pages keep the rest of the window.
        QTRY_VERIFY(panel->isVisible() &&
                    panel->visibleRegion().boundingRect().width() == PreviewContentView::assistantWidth);
        QCOMPARE(content->pdfView()->width() + 1 + PreviewContentView::assistantWidth, content->width());

        ui::ChatInputField* input = panel->inputArea()->input();
        QTest::keyClicks(input, "What is it about?");
        QTest::keyClick(input, Qt::Key_Return);
        QTRY_VERIFY(!assistant->isRunning());
        QCOMPARE(assistant->turns().last().text, QString("It is about a lighthouse."));
        QCOMPARE(provider->requests().size(), 2);
        QCOMPARE(provider->requests()[0].toolNames, tools);
        QCOMPARE(provider->requests()[0].system, ai::SystemPrompts::preview());
        const ai::AIMessage& results = provider->requests()[1].history.last();
        QCOMPARE(results.parts.size(), 1);
        const QString fullText = std::get<ai::AIContentPart::ToolResult>(results.parts[0].value).content;
        QVERIFY2(fullText.contains("Pelican lighthouse keeper"), qPrintable(fullText));

        QTest::mouseClick(panel->headerButton("Close Assistant"), Qt::LeftButton);
        QVERIFY(!content->showAssistant() && !content->askButton()->isSelected());
        QTRY_VERIFY(!panel->isVisible());
        // No sidebar here: its button does nothing.
        QTest::mouseClick(content->askButton(), Qt::LeftButton);
        QCOMPARE(content->assistantPanel(), panel);
        QCOMPARE(panel->conversation()->turnCount(), 2);
        QTRY_VERIFY(panel->isVisible());
    }

    void brokenBookStillShowsItsText() {
        const QString epub =
            writeEpub(m_dir.filePath("broken.epub"), "<p>Unclosed <b>walrus <i>text</p></div>");
        PreviewContentView* content = waitForText(PreviewWindowController::open(epub));
        QVERIFY(content->indexedText().contains("walrus"));
    }

    void whitespaceOnlyTextGivesTheFixedMessage() {
        const QString epub = writeEpub(m_dir.filePath("blank.epub"), "<p>   </p><p>\n\t</p>");
        PreviewContentView* content = waitForText(PreviewWindowController::open(epub));
        QCOMPARE(content->indexedText(), PreviewContentView::noTextMessage());
    }

    void unreadableFilesEndInAnErrorLine_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("zip renamed to pptx")
            << "renamed.pptx" << QByteArray("PK\x05\x06" + QByteArray(18, '\0'));
        QTest::newRow("corrupt xlsx") << "corrupt.xlsx" << QByteArray(3000, '\x07');
        QTest::newRow("not a book") << "noise.epub" << QByteArray("no zip here");
    }
    void unreadableFilesEndInAnErrorLine() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        PreviewContentView* content =
            waitForText(PreviewWindowController::open(writeTestBytes(m_dir.filePath(name), bytes)));
        QVERIFY(!content->errorLine()->isHidden());
        QVERIFY(content->errorLine()->text().startsWith("This file couldn’t be shown."));
        QCOMPARE(content->indexedText(), PreviewContentView::noTextMessage());
        QVERIFY(!content->readingCapsule()->isVisible());
    }

    void vanishedFileEndsInAnErrorLine() {
        const QString path = writeTestBytes(m_dir.filePath("gone.xlsx"), "x");
        QFile::remove(path);
        PreviewContentView* content = waitForText(PreviewWindowController::open(path));
        QVERIFY(content->errorLine()->text().contains("no longer there"));
    }

    void fileWithoutExtensionGetsThePlaceholder() {
        const QString path = writeTestBytes(m_dir.filePath("README"), "plain");
        PreviewWindowController* controller = PreviewWindowController::open(path);
        QCOMPARE(controller->window()->windowTitle(), QString("README"));
        QCOMPARE(controller->window()->centralWidget()->size(), QSize(900, 700));
        QVERIFY(!controller->content()->isSupported());
        QVERIFY(!controller->content()->pdfView());
        auto* title = controller->window()->findChild<QLabel*>("title");
        QVERIFY(title);
        QCOMPARE(title->text(), QString("Can’t Preview “README”"));
        QVERIFY(controller->window()->findChildren<ui::ToolbarLabeledButton*>().isEmpty());
    }

    void eachRequestOpensItsOwnWindow() {
        const QString path = writeTestBytes(m_dir.filePath("twice.zip"), "PK");
        PreviewWindowController* first = PreviewWindowController::open(path);
        PreviewWindowController* second = PreviewWindowController::open(path);
        QVERIFY(first != second);
        QCOMPARE(PreviewWindowController::openControllers().size(), 2);
        QPointer<PreviewWindowController> gone(first);
        first->window()->close();
        QCOMPARE(PreviewWindowController::openControllers(), QList<PreviewWindowController*>{second});
        QTRY_VERIFY(gone.isNull());
        QVERIFY(second->window()->isVisible());
    }

    // Windows closed while their files are being converted, and windows closed the moment their text is
    // read (while their assistants still read the saved chats on another thread), go without a trace, and
    // the window left open meanwhile still gets its text.
    void closingPreviewsWhileOthersConvertAndRead() {
        PreviewWindowController* kept = PreviewWindowController::open(
            writeTestBytes(m_dir.filePath("kept.xlsx"), QByteArray(3000, '\x07')));
        QList<QPointer<PreviewWindowController>> closed;
        for (int round = 0; round < 3; ++round) {
            PreviewWindowController* converting = PreviewWindowController::open(writeTestBytes(
                m_dir.filePath(QString("dropped%1.xlsx").arg(round)), QByteArray(3000, '\x07')));
            closed << converting;
            for (int i = 0; i < 4; ++i) {
                const QString name = QString("book%1-%2.epub").arg(round).arg(i);
                PreviewWindowController* reading =
                    PreviewWindowController::open(writeEpub(m_dir.filePath(name), "<p>Heron</p>"));
                connect(reading->content(), &PreviewContentView::textReady, reading->window(),
                        &QWidget::close);
                closed << reading;
            }
            QTest::qWait(20);
            converting->window()->close();
        }
        QTRY_VERIFY_WITH_TIMEOUT(
            std::all_of(closed.cbegin(), closed.cend(), [](const auto& c) { return c.isNull(); }), 60000);
        QCOMPARE(PreviewWindowController::openControllers(), QList<PreviewWindowController*>{kept});
        waitForText(kept);
        QVERIFY(!kept->content()->errorLine()->isHidden());
        // Whatever the closed windows' work still sends back arrives now, to nobody.
        platform::SerialWriter::shared().waitUntilIdle();
        QTest::qWait(100);
        QVERIFY(kept->window()->isVisible());
    }

    void indexedTextJoinsThePages() {
        const QString epub = writeEpub(m_dir.filePath("pages.epub"), "<p>First words</p>");
        const auto loaded = document::loadPreviewDocument(epub);
        QVERIFY(loaded.ok());
        QCOMPARE(document::indexedText(*loaded->pdf), loaded->indexedText);
        QVERIFY(loaded->indexedText.startsWith("First words"));
    }
};

QTEST_MAIN(TestPreviewWindow)
#include "test_preview_window.moc"
