// What a document window shows as its document changes: unlock view, workspace, landing content, and a
// new workspace for a replaced PDF only.
#include "../support/EditorDocuments.h"
#include "PdfFixtures.h"
#include "core/UndoManager.h"
#include "document/PDFEditorDocument.h"
#include "pdfview/coordinator/PDFViewCoordinator.h"
#include "ui/landing/LandingView.h"
#include "ui/passwords/UnlockDocumentView.h"
#include "ui/window/ContentView.h"
#include "ui/workspace/PDFEditorWorkspaceView.h"

#include <QLineEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

using namespace zepla;
using namespace zepla::ui;

using testsupport::editorDocument;
using testsupport::encryptedPdf;

class TestContentView : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void chosenFromTheDocument_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("content");
        QTest::newRow("locked") << encryptedPdf("pw") << int(ContentView::Content::unlock);
        QTest::newRow("pages") << fixtures::makeTextPdf(2) << int(ContentView::Content::workspace);
    }
    void chosenFromTheDocument() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, content);
        platform::UndoManager undo;
        auto document = editorDocument(bytes);
        ContentView view(*document, undo, QString());
        QCOMPARE(int(view.content()), content);
    }

    void anEmptyDocumentShowsTheLandingContent() {
        platform::UndoManager undo;
        document::PDFEditorDocument document;
        ContentView view(document, undo, QString());
        QCOMPARE(view.content(), ContentView::Content::landing);
        QVERIFY(qobject_cast<LandingView*>(view.contentWidget()));
        QSignalSpy requested(&view, &ContentView::openInPlaceRequested);
        qobject_cast<LandingView*>(view.contentWidget())->openDocumentAction("/tmp/chosen.pdf");
        QCOMPARE(requested.size(), 1);
        QCOMPARE(requested[0][0].toString(), QString("/tmp/chosen.pdf"));
    }

    void unlockingShowsTheWorkspace() {
        platform::UndoManager undo;
        auto document = editorDocument(encryptedPdf("letmein"));
        ContentView view(*document, undo, QString());
        view.resize(1000, 700);
        view.show();
        auto* unlock = qobject_cast<UnlockDocumentView*>(view.contentWidget());
        QVERIFY(unlock);
        QTest::keyClicks(unlock->passwordField(), "wrong");
        QTest::keyClick(unlock->passwordField(), Qt::Key_Return);
        QVERIFY(unlock->wrongPassword());
        QTest::qWait(0);
        QCOMPARE(view.content(), ContentView::Content::unlock);
        unlock->passwordField()->clear();
        QTest::keyClicks(unlock->passwordField(), "letmein");
        QTest::keyClick(unlock->passwordField(), Qt::Key_Return);
        QVERIFY(QTest::qWaitFor([&] { return view.content() == ContentView::Content::workspace; },
                                testsupport::hangGuardMs));
        QCOMPARE(view.workspace()->coordinator().pageIndicator(), QString("1 of 3"));
        QVERIFY(document->wasPasswordProtected());
    }

    void aReplacedPdfGetsANewWorkspace() {
        platform::UndoManager undo;
        auto document = editorDocument(fixtures::makeTextPdf(2));
        ContentView view(*document, undo, "/tmp/first.pdf");
        QPointer<PDFEditorWorkspaceView> first = view.workspace();
        QVERIFY(first);
        first->setShowAssistant(true);
        document->announceChange();
        QTest::qWait(0);
        QCOMPARE(view.workspace(), first.data());

        document->setPdfDocument(pdf::Document::open(fixtures::makeTextPdf(4)).value());
        view.setFilePath("/tmp/second.pdf");
        QVERIFY(QTest::qWaitFor([&] { return first.isNull(); }, testsupport::hangGuardMs));
        QVERIFY(view.workspace());
        QVERIFY(!view.workspace()->showAssistant());
        QCOMPARE(view.workspace()->assistantPanelWidth(), 420);
        QCOMPARE(view.workspace()->coordinator().filePath(), QString("/tmp/second.pdf"));
        QCOMPARE(view.workspace()->coordinator().pageIndicator(), QString("1 of 4"));

        document->setPdfDocument(pdf::Document::createEmpty());
        QVERIFY(QTest::qWaitFor([&] { return view.content() == ContentView::Content::landing; },
                                testsupport::hangGuardMs));
    }
};

QTEST_MAIN(TestContentView)
#include "test_content_view.moc"
