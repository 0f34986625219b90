// The editing workspace: its panels and their widths, the resize handle, the three callbacks of the PDF
// view with the toast, the sidebar slot, and form filling as an undoable change.
#include "../support/EditorDocuments.h"
#include "../support/ViewDrags.h"
#include "PdfFixtures.h"
#include "annotations/RedactionMarkerAnnotation.h"
#include "annotations/ToolState.h"
#include "assistant/AssistantViewModel.h"
#include "core/UndoManager.h"
#include "document/PDFEditorDocument.h"
#include "pdfview/annotating/AnnotatingPDFView.h"
#include "pdfview/coordinator/PDFViewCoordinator.h"
#include "support/ScriptedProvider.h"
#include "ui/passwords/SetPasswordSheet.h"
#include "ui/sidebar/ThumbnailSidebar.h"
#include "ui/workspace/AssistantResizeHandle.h"
#include "ui/workspace/PDFEditorWorkspaceView.h"
#include "ui/workspace/ToolSwitchToast.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QVariantAnimation>

#include <algorithm>

using namespace zepla;
using namespace zepla::ui;

namespace {

struct Window {
    explicit Window(const QByteArray& bytes = fixtures::makeTextPdf(5))
        : document(testsupport::editorDocument(bytes)),
          workspace(*document, undoManager, toolState, QString()) {
        workspace.resize(1300, 900);
        workspace.show();
        QVERIFY(QTest::qWaitForWindowExposed(&workspace));
    }
    platform::UndoManager undoManager;
    annotations::ToolState toolState;
    std::unique_ptr<document::PDFEditorDocument> document;
    PDFEditorWorkspaceView workspace;
};

// Waits for the panel animations to settle: an animation's time, then until none runs (a busy machine may
// still be in the middle of one).
void settle(const QWidget& workspace) {
    QTest::qWait(PDFEditorWorkspaceView::panelAnimationMs + 100);
    QTRY_VERIFY(
        std::ranges::none_of(workspace.findChildren<QVariantAnimation*>(), [](const QVariantAnimation* a) {
            return a->state() == QAbstractAnimation::Running;
        }));
}

} // namespace

class TestWorkspace : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void startsWithTheSidebarAndWithoutTheAssistant() {
        Window w;
        settle(w.workspace);
        QVERIFY(!w.workspace.showAssistant());
        QVERIFY(w.workspace.showThumbnails());
        QCOMPARE(w.workspace.assistantPanelWidth(), 420);
        QVERIFY(qobject_cast<ThumbnailSidebar*>(w.workspace.sidebar()));
        QVERIFY(w.workspace.sidebar()->isVisible());
        QVERIFY(!w.workspace.resizeHandle()->isVisible());
        QCOMPARE(w.workspace.coordinator().pdfView(), w.workspace.pdfView());
        QCOMPARE(w.workspace.coordinator().pageIndicator(), QString("1 of 5"));
    }

    void theAssistantOpens420WideAndKeepsItsWidth() {
        Window w;
        auto* panel = new QWidget;
        w.workspace.setAssistantPanel(panel);
        w.workspace.setShowAssistant(true);
        settle(w.workspace);
        QVERIFY(panel->isVisible());
        QCOMPARE(panel->width(), 420);
        w.workspace.setAssistantPanelWidth(500);
        w.workspace.setShowAssistant(false);
        settle(w.workspace);
        QVERIFY(!panel->isVisible());
        w.workspace.setShowAssistant(true);
        settle(w.workspace);
        QCOMPARE(panel->width(), 500);
        w.workspace.setAssistantPanelWidth(10000);
        QCOMPARE(w.workspace.assistantPanelWidth(), 640);
    }

    void theHandleFollowsThePointerWithinItsLimits() {
        Window w;
        w.workspace.setAssistantPanel(new QWidget);
        w.workspace.setShowAssistant(true);
        settle(w.workspace);
        AssistantResizeHandle* handle = w.workspace.resizeHandle();
        QCOMPARE(handle->cursor().shape(), Qt::SizeHorCursor);
        // The handle moves with the panel's edge while it is dragged, and the layout may or may not have
        // caught up between two moves: every pointer position is fixed on the screen, not on the handle.
        const QPoint start = handle->mapToGlobal(QPoint(3, 100));
        const auto at = [&](int dx) { return handle->mapFromGlobal(start + QPoint(dx, 0)); };
        QTest::mousePress(handle, Qt::LeftButton, {}, at(0));
        QVERIFY(handle->isDragging());
        QTest::mouseMove(handle, at(-50));
        QCOMPARE(w.workspace.assistantPanelWidth(), 470);
        QTest::mouseMove(handle, at(-900));
        QCOMPARE(w.workspace.assistantPanelWidth(), 640);
        QTest::mouseMove(handle, at(900));
        QCOMPARE(w.workspace.assistantPanelWidth(), 260);
        QTest::mouseMove(handle, at(0));
        QCOMPARE(w.workspace.assistantPanelWidth(), 420);
        QTest::mouseRelease(handle, Qt::LeftButton, {}, at(0));
        QVERIFY(!handle->isDragging());
    }

    void askingTheAssistantOpensItWithThePrompt_data() {
        QTest::addColumn<bool>("autoSubmit");
        QTest::newRow("sends at once") << true;
        QTest::newRow("waits in the field") << false;
    }
    void askingTheAssistantOpensItWithThePrompt() {
        QFETCH(bool, autoSubmit);
        Window w;
        auto provider = std::make_shared<ai::test::ScriptedProvider>();
        provider->setReplies({ai::test::finalReply("A summary")});
        w.workspace.setAssistantProvider(provider);
        w.workspace.assistant().setDraft("typed before");
        QSignalSpy asked(&w.workspace, &PDFEditorWorkspaceView::assistantPromptRequested);
        w.workspace.onAskAI("Summarise this page", autoSubmit);
        QVERIFY(w.workspace.showAssistant());
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0][0].toString(), QString("Summarise this page"));
        QCOMPARE(asked[0][1].toBool(), autoSubmit);
        ai::AssistantViewModel& assistant = w.workspace.assistant();
        if (autoSubmit) {
            QTRY_VERIFY(!assistant.isRunning());
            QCOMPARE(assistant.turns().size(), 2);
            QCOMPARE(assistant.turns()[0].text, QString("Summarise this page"));
            QCOMPARE(assistant.draft(), QString());
        } else {
            QCOMPARE(assistant.draft(), QString("Summarise this page"));
            QVERIFY(assistant.turns().isEmpty());
        }
    }

    void extractedTextBecomesAnAssistantTurn() {
        Window w;
        QSignalSpy turns(&w.workspace, &PDFEditorWorkspaceView::assistantTurnRequested);
        QSignalSpy prompts(&w.workspace, &PDFEditorWorkspaceView::assistantPromptRequested);
        w.workspace.handleExtractedText("Line one\nLine two");
        QVERIFY(w.workspace.showAssistant());
        QCOMPARE(turns.size(), 1);
        QCOMPARE(turns[0][0].toString(), QString("Extracted text:\n\nLine one\nLine two"));
        QCOMPARE(prompts.size(), 0);
        const ai::AssistantViewModel& assistant = w.workspace.assistant();
        QCOMPARE(assistant.turns().size(), 1);
        QCOMPARE(assistant.turns()[0].role, ai::AssistantTurn::Role::assistant);
        QCOMPARE(assistant.turns()[0].text, QString("Extracted text:\n\nLine one\nLine two"));
        QVERIFY(assistant.history().isEmpty());
    }

    void redactionSaysWhatItDid_data() {
        QTest::addColumn<int>("pagesChanged");
        QTest::addColumn<int>("pagesFailed");
        QTest::addColumn<QString>("message");
        QTest::newRow("burnt in") << 2 << 0 << "Redacted — text is now permanently removed. Ctrl+Z to undo";
        QTest::newRow("nothing") << 0 << 0 << "Nothing was redacted";
        QTest::newRow("some failed")
            << 1 << 1
            << "Redacted — text is now permanently removed. Ctrl+Z to undo. 1 page could not be redacted";
        QTest::newRow("all failed") << 0 << 3 << "3 pages could not be redacted";
    }
    void redactionSaysWhatItDid() {
        QFETCH(int, pagesChanged);
        QFETCH(int, pagesFailed);
        QFETCH(QString, message);
        Window w;
        int calls = 0;
        w.workspace.setRedactionApplier(
            [&](document::PDFEditorDocument& document, platform::UndoManager& undo) {
                ++calls;
                [&] {
                    QCOMPARE(&document, w.document.get());
                    QCOMPARE(&undo, &w.undoManager);
                }();
                return pdfview::RedactionOutcome{pagesChanged, pagesFailed};
            });
        w.workspace.confirmApplyRedactions();
        QCOMPARE(calls, 1);
        QCOMPARE(w.workspace.toast()->message(), message);
        QVERIFY(w.workspace.toast()->isVisible());
    }

    void theViewDrawsWithTheWindowsToolsAndRedactsThroughTheWorkspace() {
        Window w;
        QTest::qWait(50);
        auto annotationsOnPage = [&] { return w.document->pdfDocument()->annotations(0).value().size(); };
        const auto before = annotationsOnPage();
        auto drag = [&](annotations::AnnotationTool tool) {
            w.toolState.setTool(tool);
            testsupport::dragAcrossTheMiddle(w.workspace.pdfView()->viewport());
        };
        drag(annotations::AnnotationTool::rectangle);
        QCOMPARE(annotationsOnPage(), before + 1);
        QTest::qWait(0); // the drag's turn of the event loop closes its undo step
        w.undoManager.undo();
        QCOMPARE(annotationsOnPage(), before);

        // A finished redaction mark reaches the workspace, which burns it in and says so.
        drag(annotations::AnnotationTool::redact);
        QTRY_COMPARE(w.workspace.toast()->message(),
                     QString("Redacted — text is now permanently removed. Ctrl+Z to undo"));
        QVERIFY(w.document->pdfDocument()->annotations(0).value().empty());
        QVERIFY(w.document->pdfDocument()->pageText(0).value().trimmed().isEmpty());
        QTest::qWait(0);
        // The mark and its burning in were one gesture: one undo takes both back.
        w.undoManager.undo();
        QCOMPARE(annotationsOnPage(), before);
        QVERIFY(!w.document->pdfDocument()->pageText(0).value().trimmed().isEmpty());
    }

    void longRedactionShowsProgressLeavesTheWindowFreeAndCancels() {
        Window w(fixtures::makeTextPdf(160, "confidential"));
        pdf::Document& pdf = *w.document->pdfDocument();
        for (int i = 0; i < pdf.pageCount(); ++i) {
            annotations::RedactionMarkerAnnotation mark;
            mark.bounds = QRectF(60, 690, 200, 30);
            annotations::writeNewAnnotation(pdf, i, mark);
        }
        w.workspace.confirmApplyRedactions();
        // Returned at once: the pages are drawn in the background.
        QVERIFY(w.workspace.redactionRun() && w.workspace.redactionRun()->isRunning());
        QTRY_VERIFY(w.workspace.redactionProgress() && w.workspace.redactionProgress()->isVisible());
        QProgressDialog* progress = w.workspace.redactionProgress();
        QTRY_VERIFY(progress->value() > 0);
        QVERIFY2(progress->labelText().startsWith("Redacting: "), qPrintable(progress->labelText()));
        QCOMPARE(progress->maximum(), 160);
        if (const QString folder = qEnvironmentVariable("ZEPLA_SCREENSHOT_DIR"); !folder.isEmpty())
            progress->grab().save(folder + "/redaction-progress.png");
        // A mark drawn meanwhile waits for the next run rather than starting a second one at once.
        w.workspace.confirmApplyRedactions();
        auto* cancel = progress->findChild<QPushButton*>();
        QVERIFY(cancel);
        QTest::mouseClick(cancel, Qt::LeftButton);
        // The second run burns in every mark left; its pages and the cancelled run's are separate steps.
        auto pagesWithText = [&] {
            int count = 0;
            for (int i = 0; i < pdf.pageCount(); ++i)
                count += !pdf.pageText(i).value().trimmed().isEmpty();
            return count;
        };
        QTRY_COMPARE_WITH_TIMEOUT(pagesWithText(), 0, testsupport::longWorkGuardMs);
        QTRY_VERIFY(!w.workspace.redactionRun());
        QTest::qWait(0);
        w.undoManager.undo();
        QVERIFY(pagesWithText() > 0 && pagesWithText() < 160);
        w.undoManager.undo();
        QCOMPARE(pagesWithText(), 160);
    }

    void theToastGoesByItselfAndANewerOneReplacesIt() {
        Window w;
        ToolSwitchToast* toast = w.workspace.toast();
        QVERIFY(toast->testAttribute(Qt::WA_TransparentForMouseEvents));
        w.workspace.announceToolSwitch("First");
        QTest::qWait(1000);
        w.workspace.announceToolSwitch("Second");
        QCOMPARE(toast->message(), QString("Second"));
        QElapsedTimer sinceSecond;
        sinceSecond.start();
        QTest::qWait(700); // past the first message's 1.4 s
        // Still up unless a busy machine slept past the second message's own time.
        if (sinceSecond.elapsed() < ToolSwitchToast::visibleMs) {
            QCOMPARE(toast->message(), QString("Second"));
            QVERIFY(toast->isVisible());
            QCOMPARE(toast->y(), ToolSwitchToast::topOffset);
        }
        QTRY_VERIFY(toast->message().isEmpty());
        QVERIFY(!toast->isVisible());
    }

    void clicksOnTheToastReachThePage() {
        Window w;
        w.workspace.announceToolSwitch("Over the page");
        ToolSwitchToast* toast = w.workspace.toast();
        const QPoint centre = toast->mapToGlobal(toast->rect().center());
        QCOMPARE(QApplication::widgetAt(centre), w.workspace.pdfView()->viewport());
    }

    void theSidebarLeavesWhenNoPagesAreLeft() {
        Window w(fixtures::makeTextPdf(2));
        settle(w.workspace);
        QVERIFY(w.workspace.sidebar()->isVisible());
        QVERIFY(w.document->pdfDocument()->removePage(1).ok());
        QVERIFY(w.document->pdfDocument()->removePage(0).ok());
        w.document->announceChange();
        settle(w.workspace);
        QVERIFY(!w.workspace.sidebar()->isVisible());
        QCOMPARE(w.workspace.pdfView()->currentPageIndex(), -1);
        w.workspace.setShowThumbnails(false);
        QVERIFY(!w.workspace.showThumbnails());
    }

    void theSidebarOpensTheSetPasswordSheet() {
        Window w;
        auto* sidebar = qobject_cast<ThumbnailSidebar*>(w.workspace.sidebar());
        sidebar->presentSheet(SidebarSheet::setPassword);
        auto* sheet = sidebar->findChild<SetPasswordSheet*>();
        QVERIFY(sheet);
        QCOMPARE(sheet->windowModality(), Qt::WindowModal);
        sheet->reject();
    }

    void formFillingIsUndoable() {
        fixtures::DocSpec spec;
        spec.pages = {fixtures::PageSpec{"Form"}};
        spec.pages[0].withTextField = true;
        spec.pages[0].withCheckbox = true;
        Window w(fixtures::makePdf(spec));
        pdfview::PDFView* view = w.workspace.pdfView();
        QSignalSpy changed(w.document.get(), &document::PDFEditorDocument::changed);
        auto value = [&] { return w.document->pdfDocument()->formWidgets(0).value().at(0).value; };
        auto checked = [&] { return w.document->pdfDocument()->formWidgets(0).value().at(1).checked; };

        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          view->convertFromPage({150, 610}, 0).toPoint());
        auto* editor = view->viewport()->findChild<QLineEdit*>();
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClicks(editor, "Grace");
        QTest::keyClick(editor, Qt::Key_Return);
        QCOMPARE(value(), QString("Grace"));
        QVERIFY(!changed.isEmpty());
        QTest::qWait(0); // the undo step closes with the event-loop turn
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          view->convertFromPage({79, 567}, 0).toPoint());
        QVERIFY(checked());
        QTest::qWait(0);

        w.undoManager.undo();
        QVERIFY(!checked());
        QCOMPARE(value(), QString("Grace"));
        w.undoManager.undo();
        QCOMPARE(value(), QString("Ada"));
        QVERIFY(!w.undoManager.canUndo());
        w.undoManager.redo();
        QCOMPARE(value(), QString("Grace"));
        w.undoManager.redo();
        QVERIFY(checked());
    }
};

QTEST_MAIN(TestWorkspace)
#include "test_workspace.moc"
