// The bookmarks, document info and watermark sheets as a user works them: typing, clicking, keys.
#include "../support/EditorDocuments.h"
#include "core/UndoManager.h"
#include "document/metadata/DocumentMetadata.h"
#include "pdfview/coordinator/PDFViewCoordinator.h"
#include "pdfview/view/PDFView.h"
#include "ui/sheets/BookmarksEditorView.h"
#include "ui/sheets/MetadataEditorView.h"
#include "ui/sheets/WatermarkSheetView.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

using namespace zepla;

namespace {

int stamps(const pdf::Document& file) {
    int count = 0;
    for (int page = 0; page < file.pageCount(); ++page) {
        const std::vector<pdf::AnnotationInfo> annotations = file.annotations(page).value();
        for (const pdf::AnnotationInfo& info : annotations)
            count += info.subtype == "Stamp";
    }
    return count;
}

} // namespace

class TestDocumentSheets : public QObject {
    Q_OBJECT

private slots:
    void watermarkSheetStartsFromItsDefaultsAndStampsEveryPage() {
        auto document = testsupport::editorDocument(fixtures::makeTextPdf(3));
        platform::UndoManager undo;
        ui::WatermarkSheetView sheet(*document, &undo);
        sheet.show();
        QCOMPARE(sheet.textField()->text(), QString("CONFIDENTIAL"));
        QVERIFY(qAbs(sheet.opacity() - 0.25) < 1e-9);
        QCOMPARE(sheet.opacitySlider()->minimum(), 50);
        QCOMPARE(sheet.opacitySlider()->maximum(), 600);

        sheet.textField()->setText(" \t ");
        QVERIFY(!sheet.applyButton()->isEnabled());
        sheet.textField()->clear();
        QTest::keyClicks(sheet.textField(), "  DRAFT");
        QVERIFY(sheet.applyButton()->isEnabled());
        QTest::mouseClick(sheet.applyButton(), Qt::LeftButton);
        QCOMPARE(sheet.result(), int(QDialog::Accepted));
        QCOMPARE(stamps(*document->pdfDocument()), 3);
        QCOMPARE(document->pdfDocument()->annotations(0)->front().contents, QString("  DRAFT"));
    }

    void metadataSheetShowsAndSavesTheFourFields() {
        auto document = testsupport::editorDocument(fixtures::makeTextPdf(1));
        pdf::Document& file = *document->pdfDocument();
        file.setInfoValue("Author", "Ada");
        file.setInfoValue("Keywords", "one, two");
        file.setInfoValue("Creator", "Kept");
        platform::UndoManager undo;
        ui::MetadataEditorView sheet(*document, &undo);
        sheet.show();
        QCOMPARE(sheet.authorField()->text(), QString("Ada"));
        QCOMPARE(sheet.keywordsField()->text(), QString("one, two"));
        QCOMPARE(sheet.keywordsField()->placeholderText(), QString("Comma-separated"));

        QTest::keyClicks(sheet.titleField(), "Report");
        sheet.authorField()->clear();
        QTest::keyClick(sheet.titleField(), Qt::Key_Return); // Save is the default button
        QCOMPARE(sheet.result(), int(QDialog::Accepted));
        QCOMPARE(file.infoValue("Title"), QString("Report"));
        QCOMPARE(file.infoValue("Author"), QString());
        QCOMPARE(file.infoValue("Creator"), QString("Kept"));
    }

    void bookmarksSheetAddsRenamesDeletesAndGoesToPages() {
        auto document = testsupport::editorDocument(fixtures::makeTextPdf(5));
        platform::UndoManager undo;
        pdfview::PDFViewCoordinator coordinator;
        pdfview::PDFView view;
        view.resize(400, 500);
        view.setDocument(document->pdfDocument());
        view.show();
        coordinator.setPdfView(&view);

        ui::BookmarksEditorView sheet(*document, &coordinator, &undo);
        sheet.show();
        QVERIFY(sheet.emptyLabel()->isVisible());
        QCOMPARE(sheet.emptyLabel()->text(), QString("No bookmarks yet."));

        view.goToPage(4);
        coordinator.updatePageIndicator();
        QTest::mouseClick(sheet.addButton(), Qt::LeftButton);
        view.goToPage(1);
        coordinator.updatePageIndicator();
        QTest::mouseClick(sheet.addButton(), Qt::LeftButton);
        QVERIFY(!sheet.emptyLabel()->isVisible());
        QCOMPARE(sheet.list()->count(), 2);
        // The list keeps the order of adding; the outline is sorted by page.
        QCOMPARE(sheet.bookmarks()[0].title, QString("Page 5"));
        QCOMPARE(document->pdfDocument()->outline().front().title, QString("Page 2"));
        auto* pageLabel = sheet.list()->itemWidget(sheet.list()->item(0))->findChildren<QLabel*>().front();
        QCOMPARE(pageLabel->text(), QString("p. 5"));

        auto* title = sheet.list()->itemWidget(sheet.list()->item(0))->findChild<QLineEdit*>();
        title->selectAll();
        QTest::keyClicks(title, "Appendix");
        QTest::keyClick(title, Qt::Key_Return);
        QCOMPARE(document->pdfDocument()->outline().back().title, QString("Appendix"));

        sheet.tapRow(0);
        QCOMPARE(view.currentPageIndex(), 4);

        sheet.list()->setCurrentRow(1);
        sheet.list()->setFocus();
        QTest::keyClick(sheet.list(), Qt::Key_Delete);
        QCOMPARE(sheet.list()->count(), 1);
        QCOMPARE(document->pdfDocument()->outline().size(), size_t(1));
        sheet.deleteRows({0});
        QVERIFY(sheet.emptyLabel()->isVisible());
        QVERIFY(document->pdfDocument()->outline().empty());
    }

    // Right-clicking any part of a row (its title, its page number, its margin) offers the row's Delete; a
    // click on the row selects it, and the Delete key then removes it.
    void deleteIsReachableFromEveryPartOfARow_data() {
        QTest::addColumn<QString>("part");
        QTest::newRow("title") << "title";
        QTest::newRow("page number") << "page";
        QTest::newRow("margin") << "margin";
    }
    void deleteIsReachableFromEveryPartOfARow() {
        QFETCH(QString, part);
        auto document = testsupport::editorDocument(fixtures::makeTextPdf(3));
        platform::UndoManager undo;
        pdfview::PDFViewCoordinator coordinator;
        ui::BookmarksEditorView sheet(*document, &coordinator, &undo);
        sheet.show();
        sheet.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&sheet));
        for (int i = 0; i < 3; ++i)
            QTest::mouseClick(sheet.addButton(), Qt::LeftButton);
        QWidget* row = sheet.list()->itemWidget(sheet.list()->item(1));
        QWidget* target = part == "title"  ? static_cast<QWidget*>(row->findChild<QLineEdit*>())
                          : part == "page" ? static_cast<QWidget*>(row->findChild<QLabel*>())
                                           : row;
        QStringList offered;
        QTimer::singleShot(0, [&offered] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu);
            for (QAction* action : menu->actions())
                offered << action->text();
            for (QAction* action : menu->actions())
                if (action->text() == "Delete")
                    action->trigger();
            menu->close();
        });
        const QPoint at(2, 2);
        QContextMenuEvent rightClick(QContextMenuEvent::Mouse, at, target->mapToGlobal(at));
        QApplication::sendEvent(target, &rightClick);
        QCOMPARE(offered, QStringList{"Delete"});
        QCOMPARE(sheet.list()->count(), 2);
        QCOMPARE(document->pdfDocument()->outline().size(), size_t(2));

        sheet.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&sheet));
        QWidget* page = sheet.list()->itemWidget(sheet.list()->item(0))->findChild<QLabel*>();
        QTest::mouseClick(page, Qt::LeftButton);
        QCOMPARE(sheet.list()->currentRow(), 0);
        QCOMPARE(QApplication::focusWidget(), sheet.list());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
        QCOMPARE(sheet.list()->count(), 1);
        QCOMPARE(document->pdfDocument()->outline().size(), size_t(1));
    }
};

QTEST_MAIN(TestDocumentSheets)
#include "test_document_sheets.moc"
