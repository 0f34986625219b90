// Text recognition from the workspace: the toolbar's OCR Page on a scanned page (one undo step, the text
// copied and shown), and the sidebar's whole-document recognition with its progress, Cancel, the item kept
// disabled while it runs, and the outcome in the sidebar's alert.
#include "../../document/ocr/ScannedPages.h"
#include "../support/EditorDocuments.h"
#include "annotations/ToolState.h"
#include "core/UndoManager.h"
#include "pdfview/coordinator/PDFViewCoordinator.h"
#include "ui/sidebar/ThumbnailSidebar.h"
#include "ui/theme/ToolbarLabeledButton.h"
#include "ui/toolbar/WorkspaceToolbar.h"
#include "ui/workspace/PDFEditorWorkspaceView.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

using namespace zepla;
using namespace zepla::ui;

namespace {

QByteArray scannedPdf(int pages) {
    auto pdf = pdf::Document::createEmpty();
    for (int i = 0; i < pages; ++i)
        scanned::append(*pdf, {{QStringLiteral("Scanned page number %1 of the test").arg(i + 1)}});
    return pdf->save().value();
}

struct Window {
    explicit Window(const QByteArray& bytes)
        : document(testsupport::editorDocument(bytes)),
          workspace(*document, undoManager, toolState, QString()) {
        workspace.resize(1300, 900);
        workspace.show();
        QVERIFY(QTest::qWaitForWindowExposed(&workspace));
    }
    ThumbnailSidebar& sidebar() { return *qobject_cast<ThumbnailSidebar*>(workspace.sidebar()); }
    // The page tools' item that asks for the recognition of the whole document.
    QAction* recognizeItem() {
        for (QAction* action : sidebar().pageToolsMenu()->actions()) {
            if (action->text() == QStringLiteral("Recognize Text (OCR)…"))
                return action;
        }
        qFatal("no Recognize Text item");
    }
    platform::UndoManager undoManager;
    annotations::ToolState toolState;
    std::unique_ptr<document::PDFEditorDocument> document;
    PDFEditorWorkspaceView workspace;
};

} // namespace

class TestWorkspaceOCR : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void ocrPageOnAScanReplacesItOnceAndShowsTheText() {
        Window w(scannedPdf(1));
        QSignalSpy turns(&w.workspace, &PDFEditorWorkspaceView::assistantTurnRequested);
        const pdf::PageHandle scan = w.document->pdfDocument()->page(0);
        QTest::mouseClick(w.workspace.toolbar()->ocrButton(), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(turns.count(), 1, 120000);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("Scanned page number 1 of the test"));
        QCOMPARE(turns.at(0).at(0).toString(), "Extracted text:\n\n" + QApplication::clipboard()->text());
        QCoreApplication::processEvents();
        w.undoManager.undo();
        QCOMPARE(w.document->pdfDocument()->page(0), scan);
        QVERIFY(!w.undoManager.canUndo());
    }

    void documentRecognitionShowsProgressAndReportsTheCount() {
        Window w(scannedPdf(3));
        w.recognizeItem()->trigger();
        QProgressDialog* progress = w.workspace.documentRecognitionProgress();
        QVERIFY(progress && progress->isVisible());
        QVERIFY(!w.recognizeItem()->isEnabled());
        // Asking again while it runs starts nothing more.
        emit w.sidebar().ocrDocumentRequested();
        QCOMPARE(w.workspace.documentRecognitionProgress(), progress);
        QTRY_VERIFY_WITH_TIMEOUT(progress->value() >= 1, 120000);
        QVERIFY(progress->labelText().contains(QStringLiteral("of 3 pages done")));
        if (const QString folder = qEnvironmentVariable("ZEPLA_SCREENSHOT_DIR"); !folder.isEmpty()) {
            progress->grab().save(folder + QStringLiteral("/ocr-progress.png"));
            QGuiApplication::primaryScreen()->grabWindow(0).save(folder +
                                                                 QStringLiteral("/ocr-progress-screen.png"));
        }
        QTRY_VERIFY_WITH_TIMEOUT(w.sidebar().pendingAlert().has_value(), 120000);
        QCOMPARE(w.sidebar().pendingAlert()->title, QStringLiteral("Recognition Complete"));
        QCOMPARE(w.sidebar().pendingAlert()->message,
                 QStringLiteral("Added a searchable text layer to 3 pages."));
        QVERIFY(w.recognizeItem()->isEnabled());
        QVERIFY(!w.workspace.documentRecognitionProgress());
        QVERIFY(w.document->pdfDocument()->pageText(2).value().contains("number 3"));

        // Every page has its layer now.
        w.recognizeItem()->trigger();
        QCOMPARE(w.sidebar().pendingAlert()->title, QStringLiteral("Nothing to Recognize"));
        QCOMPARE(w.sidebar().pendingAlert()->message, QStringLiteral("Every page already has a text layer."));
    }

    void cancellingTheProgressChangesNothing() {
        Window w(scannedPdf(2));
        const pdf::PageHandle first = w.document->pdfDocument()->page(0);
        w.recognizeItem()->trigger();
        QProgressDialog* progress = w.workspace.documentRecognitionProgress();
        QVERIFY(progress);
        QPushButton* cancel = progress->findChild<QPushButton*>();
        QVERIFY(cancel);
        QTest::mouseClick(cancel, Qt::LeftButton);
        QTRY_VERIFY(!w.workspace.documentRecognitionProgress());
        QVERIFY(w.recognizeItem()->isEnabled());
        QVERIFY(!w.sidebar().pendingAlert());
        document::recognitionPool().waitForDone();
        QCoreApplication::processEvents();
        QCOMPARE(w.document->pdfDocument()->page(0), first);
        QVERIFY(!w.undoManager.canUndo());
    }
};

QTEST_MAIN(TestWorkspaceOCR)
#include "test_workspace_ocr.moc"
