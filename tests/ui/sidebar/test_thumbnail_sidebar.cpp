// The thumbnail sidebar in a window: clicks, the selection bar, the context menu, extraction through a save
// panel, deletion with undo, drops, centring on the current page, thumbnails, sheets and a 1,000-page scroll.
#include "BrokenPages.h"
#include "PdfFixtures.h"
#include "SidebarWindow.h"
#include "core/UndoManager.h"
#include "document/PDFEditorDocument.h"
#include "document/ThumbnailCache.h"
#include "pdf/PdfDocument.h"
#include "pdfview/coordinator/PDFViewCoordinator.h"
#include "pdfview/view/PDFView.h"
#include "ui/sidebar/SelectionBar.h"
#include "ui/sidebar/ThumbnailCell.h"
#include "ui/sidebar/ThumbnailListView.h"
#include "ui/sidebar/ThumbnailLoader.h"
#include "ui/sidebar/ThumbnailSidebar.h"
#include "ui/theme/Colors.h"

#include <QAction>
#include <QDialog>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QSemaphore>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>

using namespace zepla;
using namespace zepla::ui;
using document::IndexSet;

Q_DECLARE_METATYPE(IndexSet)

namespace {

// A sidebar in a window, with the gestures of the list.
struct Window : SidebarWindow {
    using SidebarWindow::SidebarWindow;

    ThumbnailListView* list() const { return sidebar->listView(); }
    void click(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        list()->scrollToCentre(row, false);
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, modifiers, list()->rowRect(row).center());
    }
    void drop(const QString& text, int row) {
        list()->scrollToCentre(row, false);
        QMimeData data;
        data.setText(text);
        const QPoint at = list()->rowRect(row).center();
        QDragEnterEvent enter(at, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(list()->viewport(), &enter);
        QDropEvent drop(at, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(list()->viewport(), &drop);
        QCoreApplication::processEvents(); // the move runs on the next turn
    }
    QPushButton* barButton(const QString& text) const {
        for (QPushButton* button : sidebar->findChildren<QPushButton*>())
            if (button->text() == text)
                return button;
        qFatal("no such button");
    }
    // The colour at the centre of a row's picture in a grab of the list.
    QColor pixel(const QImage& shot, int row) const {
        return shot.pixelColor(list()->rowRect(row).center() * shot.devicePixelRatio());
    }
    bool thumbnailCached(int page) const {
        return document::ThumbnailCache::object(document::ThumbnailCache::key(*document->pdfDocument(), page))
            .has_value();
    }
    void waitForThumbnails() const {
        QTRY_VERIFY_WITH_TIMEOUT(!list()->loader().isBusy(), testsupport::hangGuardMs);
        QCoreApplication::processEvents();
    }
};

QByteArray lettered(int pages) {
    fixtures::DocSpec spec;
    for (int i = 0; i < pages; ++i)
        spec.pages.append({QString(QChar('A' + i))});
    return fixtures::makePdf(spec);
}

QStringList titles(QMenu* menu) {
    QStringList result;
    for (QAction* action : menu->actions())
        result.append(action->text());
    return result;
}

} // namespace

class TestThumbnailSidebar : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { document::ThumbnailCache::removeAllObjects(); }

    void clicksSelectAndTheBarCounts() {
        Window w(fixtures::makeTextPdf(6));
        auto* bar = w.sidebar->findChild<SelectionBar*>();
        QVERIFY(!bar->isVisible());
        w.click(1, Qt::ControlModifier);
        QVERIFY(bar->isVisible());
        QCOMPARE(bar->countText(), QStringLiteral("1 selected"));
        w.click(4, Qt::ShiftModifier);
        QCOMPARE(w.sidebar->selection(), (IndexSet{1, 2, 3, 4}));
        QCOMPARE(bar->countText(), QStringLiteral("4 selected"));
        w.click(3, Qt::ControlModifier);
        QCOMPARE(w.sidebar->selection(), (IndexSet{1, 2, 4}));
        w.click(0);
        QCOMPARE(w.sidebar->selection(), IndexSet{});
        QCOMPARE(w.sidebar->lastClickedIndex(), std::optional<int>(0));
        QVERIFY(!bar->isVisible());
    }

    void contextMenu_data() {
        QTest::addColumn<IndexSet>("selection");
        QTest::addColumn<int>("row");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<QStringList>("afterDelete");
        QTest::newRow("unselected page beside a selection")
            << IndexSet{0, 1, 2} << 4 << QStringList{"Extract Page…", "Delete Page"}
            << QStringList{"A", "B", "C", "D", "F"};
        QTest::newRow("one of three selected pages")
            << IndexSet{0, 2, 4} << 2 << QStringList{"Extract 3 Pages…", "Delete 3 Pages"}
            << QStringList{"B", "D", "F"};
        QTest::newRow("no selection") << IndexSet{} << 5 << QStringList{"Extract Page…", "Delete Page"}
                                      << QStringList{"A", "B", "C", "D", "E"};
    }

    void contextMenu() {
        QFETCH(IndexSet, selection);
        QFETCH(int, row);
        QFETCH(QStringList, titles);
        QFETCH(QStringList, afterDelete);
        Window w(lettered(6));
        for (int index : selection)
            w.click(index, Qt::ControlModifier);
        std::unique_ptr<QMenu> menu(w.sidebar->contextMenu(row));
        QCOMPARE(::titles(menu.get()), titles);
        menu->actions().at(1)->trigger();
        QCOMPARE(w.texts(), afterDelete);
        QCOMPARE(w.sidebar->selection(), IndexSet{}); // deleting always empties the selection
    }

    void extractWritesTheChosenPagesAndKeepsTheSelection() {
        Window w(fixtures::makeTextPdf(5));
        QTemporaryDir dir;
        QString suggested;
        w.sidebar->setSavePanel([&](const QString& name) {
            suggested = name;
            return dir.filePath("out.pdf");
        });
        for (int index : {4, 0, 2})
            w.click(index, Qt::ControlModifier);
        w.barButton(QStringLiteral("Extract…"))->click();
        QCOMPARE(suggested, QStringLiteral("Extracted Pages.pdf"));
        QFile file(dir.filePath("out.pdf"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        auto extracted = pdf::Document::open(file.readAll()).value();
        QCOMPARE(extracted->pageCount(), 3);
        QCOMPARE(extracted->pageText(1).value().trimmed(), QStringLiteral("Page 3"));
        QCOMPARE(w.sidebar->selection(), (IndexSet{0, 2, 4}));
        QVERIFY(!w.sidebar->pendingAlert());
        QVERIFY(!w.undo.canUndo());
    }

    void cancelledPanelWritesNothing() {
        Window w(fixtures::makeTextPdf(2));
        w.sidebar->setSavePanel([](const QString&) { return QString(); });
        w.sidebar->extractPages({0});
        QVERIFY(!w.sidebar->pendingAlert());
    }

    void unwritableLocationShowsTheAlertUntilDismissed() {
        Window w(fixtures::makeTextPdf(2));
        QTemporaryDir dir;
        w.sidebar->setSavePanel([&](const QString&) { return dir.filePath("missing/out.pdf"); });
        w.sidebar->extractPages({1});
        const PageAlert expected{"Couldn't Save",
                                 "The extracted pages couldn't be written to that location."};
        QCOMPARE(w.sidebar->pendingAlert(), std::optional(expected));
        auto* box = w.sidebar->findChild<QMessageBox*>();
        QVERIFY(box && box->isVisible());
        QCOMPARE(box->text(), expected.title);
        QCOMPARE(box->informativeText(), expected.message);
        box->button(QMessageBox::Ok)->click();
        QVERIFY(!w.sidebar->pendingAlert());
    }

    // An alert reads at a normal width, whatever the sidebar's: a short message on one line, a long one in a
    // few lines, and the box wide enough for its title beside the title bar's buttons.
    void alertsAreSizedToTheirText_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("mostLines");
        QTest::newRow("short") << "Every page already has a text layer." << 1;
        QTest::newRow("long") << "Added a searchable text layer to 12 pages. 2 pages could not be recognized "
                                 "and stayed as they were: the picture of the page could not be made."
                              << 3;
    }
    void alertsAreSizedToTheirText() {
        QFETCH(QString, message);
        QFETCH(int, mostLines);
        Window w(fixtures::makeTextPdf(2));
        const QString title = QStringLiteral("Recognition Complete");
        w.sidebar->showAlert({title, message});
        auto* box = w.sidebar->findChild<QMessageBox*>();
        QVERIFY(box);
        QTRY_VERIFY(box->isVisible());
        auto* text = box->findChild<QLabel*>("qt_msgbox_informativelabel");
        QVERIFY(text);
        const int lines = text->height() / text->fontMetrics().lineSpacing();
        QVERIFY2(lines <= mostLines, qPrintable(QString::number(lines)));
        QVERIFY(box->width() > box->fontMetrics().horizontalAdvance(title) + 100);
        box->button(QMessageBox::Ok)->click();
    }

    void brokenPagesAreReportedNeverPassedOffAsAWholeExtraction() {
        Window w(withBrokenPage(3, 1));
        QTemporaryDir dir;
        int panels = 0;
        w.sidebar->setSavePanel([&](const QString&) {
            ++panels;
            return dir.filePath("out.pdf");
        });
        w.sidebar->extractPages({1});
        QCOMPARE(panels, 0);
        QCOMPARE(w.sidebar->pendingAlert()->title, QStringLiteral("Couldn't Extract Pages"));
        QVERIFY(!QFile::exists(dir.filePath("out.pdf")));

        w.sidebar->extractPages({0, 1, 2});
        QCOMPARE(panels, 1);
        QCOMPARE(w.sidebar->pendingAlert()->title, QStringLiteral("Some Pages Couldn't Be Extracted"));
        QCOMPARE(
            w.sidebar->pendingAlert()->message,
            QStringLiteral("out.pdf holds 2 of the 3 chosen pages; the others couldn't be read from this "
                           "document."));
        QFile file(dir.filePath("out.pdf"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(pdf::Document::open(file.readAll()).value()->pageCount(), 2);
    }

    void deleteFromTheBarIsUndoable() {
        Window w(lettered(5));
        w.click(1, Qt::ControlModifier);
        w.click(3, Qt::ControlModifier);
        w.barButton(QStringLiteral("Delete"))->click();
        QCOMPARE(w.texts(), (QStringList{"A", "C", "E"}));
        QCOMPARE(w.list()->rowCount(), 3);
        QCOMPARE(w.sidebar->lastClickedIndex(), std::optional<int>(3));
        w.undo.undo();
        QCOMPARE(w.texts(), (QStringList{"A", "B", "C", "D", "E"}));
        QCOMPARE(w.list()->rowCount(), 5);
    }

    void drops_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("row");
        QTest::addColumn<QStringList>("expected");
        const QStringList unchanged{"A", "B", "C", "D"};
        QTest::newRow("A onto C") << "0" << 2 << QStringList{"B", "C", "A", "D"};
        QTest::newRow("D onto B") << "3" << 1 << QStringList{"A", "D", "B", "C"};
        QTest::newRow("plus sign") << "+2" << 0 << QStringList{"C", "A", "B", "D"};
        QTest::newRow("onto itself") << "2" << 2 << unchanged;
        QTest::newRow("negative") << "-1" << 0 << unchanged;
        QTest::newRow("leading space") << " 2" << 0 << unchanged;
        QTest::newRow("trailing space") << "2 " << 0 << unchanged;
        QTest::newRow("letters") << "x" << 0 << unchanged;
        QTest::newRow("empty") << "" << 0 << unchanged;
        QTest::newRow("past the end") << "4" << 0 << unchanged;
        QTest::newRow("past any page index") << "99999999999" << 0 << unchanged;
    }

    void drops() {
        QFETCH(QString, text);
        QFETCH(int, row);
        QFETCH(QStringList, expected);
        Window w(lettered(4));
        w.click(1, Qt::ControlModifier);
        w.drop(text, row);
        QCOMPARE(w.texts(), expected);
        QCOMPARE(w.sidebar->selection(), IndexSet{1}); // a drop never renumbers the selection
        w.undo.undo();
        QCOMPARE(w.texts(), (QStringList{"A", "B", "C", "D"}));
    }

    // While a page is dragged over the list a line shows where it would land: below the row it is over when
    // it comes from above, above it when it comes from below; nowhere when the drop would move nothing.
    void dragShowsWhereThePageWouldLand_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("marker"); // 1 below the row, -1 above it, 0 none
        QTest::newRow("down") << "0" << 1 << 1;
        QTest::newRow("up") << "3" << 2 << -1;
        QTest::newRow("onto itself") << "2" << 2 << 0;
        QTest::newRow("no page") << "x" << 1 << 0;
        QTest::newRow("past the end") << "9" << 1 << 0;
    }

    void dragShowsWhereThePageWouldLand() {
        QFETCH(QString, text);
        QFETCH(int, row);
        QFETCH(int, marker);
        Window w(lettered(4), {240, 900});
        ThumbnailListView* list = w.list();
        QMimeData data;
        data.setText(text);
        const QPoint at = list->rowRect(row).center();
        QDragEnterEvent enter(at, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(list->viewport(), &enter);
        QDragMoveEvent move(at, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(list->viewport(), &move);
        const QRect line = list->dropMarker();
        if (marker == 0) {
            QVERIFY(line.isNull());
            return;
        }
        const QRect target = list->rowRect(row);
        const int edge = marker > 0 ? target.bottom() : target.top();
        QVERIFY(std::abs(line.center().y() - edge) <= ThumbnailListView::spacing / 2 + 1);
        QVERIFY(marker > 0 ? line.top() > target.bottom() : line.bottom() < target.top());
        // Drawn in the accent colour between the rows.
        const QImage shot = list->viewport()->grab().toImage();
        QCOMPARE(shot.pixelColor(line.center() * shot.devicePixelRatio()), Color::brandBlue());
        // Gone once the drag leaves.
        QDragLeaveEvent leave;
        QCoreApplication::sendEvent(list->viewport(), &leave);
        QVERIFY(list->dropMarker().isNull());
    }

    void currentPageIsCentredOnEveryChangeButNotAtFirst() {
        Window w(fixtures::makeTextPdf(40));
        QScrollBar* bar = w.list()->verticalScrollBar();
        QCOMPARE(bar->value(), 0);
        emit w.coordinator.currentPageIndexChanged(20);
        const int middle = w.list()->viewport()->height() / 2;
        QTRY_VERIFY(std::abs(w.list()->rowRect(20).center().y() - middle) <= 1);
        emit w.coordinator.currentPageIndexChanged(std::nullopt);
        QTest::qWait(250);
        QVERIFY(std::abs(w.list()->rowRect(20).center().y() - middle) <= 1);
        emit w.coordinator.currentPageIndexChanged(39); // the end of the list stops short of centring
        QTRY_COMPARE(bar->value(), bar->maximum());
    }

    void plainClicksTurnThePdfViewCtrlClicksDoNot() {
        Window w(fixtures::makeTextPdf(12), {900, 700}, true);
        QCOMPARE(w.coordinator.currentPageIndex(), std::optional<int>(0));
        w.click(7);
        QTRY_COMPARE(w.coordinator.currentPageIndex(), std::optional<int>(7));
        w.click(9, Qt::ControlModifier);
        QTest::qWait(50);
        QCOMPARE(w.coordinator.currentPageIndex(), std::optional<int>(7));
        QCOMPARE(w.sidebar->selection(), IndexSet{9});
    }

    void widthStaysWithinBounds() {
        Window w(fixtures::makeTextPdf(1));
        QWidget alone;
        auto* row = new QHBoxLayout(&alone);
        row->setContentsMargins(0, 0, 0, 0);
        row->addWidget(w.sidebar);
        alone.resize(100, 400);
        alone.show();
        QTRY_COMPARE(w.sidebar->width(), 180);
        alone.resize(1200, 400);
        QTRY_COMPARE(w.sidebar->width(), 320);
        QCOMPARE(w.sidebar->sizeHint().width(), 240);
    }

    void placeholdersHaveThePageShape() {
        fixtures::DocSpec spec;
        spec.pages.append({"wide", QRectF(0, 0, 800, 400)});
        spec.pages.append({"tall"});
        spec.pages.append({"crop box without height", QRectF(0, 0, 612, 792), QRectF(0, 0, 612, 0)});
        Window w(fixtures::makePdf(spec));
        const int width = w.list()->rowRect(0).width();
        const int number = w.list()->rowRect(0).height() - int(std::lround(width / 2.0));
        QCOMPARE(w.list()->rowRect(1).height(), int(std::lround(width * 792.0 / 612.0)) + number);
        QCOMPARE(w.list()->rowRect(2).height(), w.list()->rowRect(1).height()); // the media box shows
        QCOMPARE(ThumbnailCell::aspectRatioOf({}), 0.77);
    }

    void cachedThumbnailsShowAtOnceOthersShowThePlaceholderUntilRendered() {
        Window w(fixtures::makeTextPdf(40));
        QImage red(28, 36, QImage::Format_RGB32);
        red.fill(Qt::red);
        document::ThumbnailCache::setObject(document::ThumbnailCache::key(*w.document->pdfDocument(), 30),
                                            red);
        w.list()->scrollToCentre(30, false); // rows never shown before
        const QImage shot = w.list()->viewport()->grab().toImage();
        QCOMPARE(w.pixel(shot, 30), QColor(Qt::red));
        QVERIFY(w.pixel(shot, 31) != QColor(Qt::white));
        w.waitForThumbnails();
        QCOMPARE(w.pixel(w.list()->viewport()->grab().toImage(), 31), QColor(Qt::white));
    }

    void pagesThatMoveKeepTheirPictureUntilTheFreshOneArrives() {
        Window w(lettered(3));
        w.waitForThumbnails();
        document::PageOperations::movePage(*w.document, 0, 1, &w.undo);
        QCOMPARE(document::ThumbnailCache::count(), 0);
        const QImage shot = w.list()->viewport()->grab().toImage();
        QCOMPARE(w.pixel(shot, 0), QColor(Qt::white));
        QCOMPARE(w.pixel(shot, 1), QColor(Qt::white));
    }

    // Painting on the UI thread hands work to Qt's global pool and waits for it (with every thread of that
    // pool held, a window cannot even paint, so the loader is asked alone): thumbnails must not take it.
    void thumbnailsDoNotTakeTheGlobalPool() {
        const std::shared_ptr<pdf::Document> pdf = pdf::Document::open(lettered(3)).value();
        QThreadPool& global = *QThreadPool::globalInstance();
        QSemaphore release;
        const int held = global.maxThreadCount();
        for (int i = 0; i < held; ++i)
            global.start([&release] { release.acquire(); });
        ThumbnailLoader loader;
        loader.request(pdf, {0, 1, 2});
        const bool arrived = QTest::qWaitFor([&] { return !loader.isBusy(); }, testsupport::hangGuardMs);
        release.release(held);
        global.waitForDone();
        QVERIFY(arrived);
        for (int page : {0, 1, 2})
            QVERIFY(loader.thumbnail(*pdf, page).has_value());
    }

    void anotherPdfInTheWindowNeverShowsTheOldPictures() {
        Window w(lettered(3));
        w.waitForThumbnails();
        w.document->setPdfDocument(pdf::Document::open(lettered(2)).value());
        QCOMPARE(w.list()->rowCount(), 2);
        QVERIFY(w.pixel(w.list()->viewport()->grab().toImage(), 0) != QColor(Qt::white));
        w.waitForThumbnails();
        QCOMPARE(w.pixel(w.list()->viewport()->grab().toImage(), 0), QColor(Qt::white));
    }

    void thousandPagesFillVisibleRowsFirstAndScrollThrough() {
        Window w(fixtures::makeTextPdf(1000));
        w.waitForThumbnails();
        QVERIFY(w.thumbnailCached(0));
        QVERIFY(w.thumbnailCached(1));
        QVERIFY(!w.thumbnailCached(500));
        QScrollBar* bar = w.list()->verticalScrollBar();
        while (bar->value() < bar->maximum()) {
            bar->setValue(bar->value() + bar->pageStep() / 2);
            QCoreApplication::processEvents();
        }
        w.waitForThumbnails();
        QVERIFY(w.thumbnailCached(999));
        QCOMPARE(w.list()->rowAt(w.list()->rowRect(999).center()), 999);
    }

    void baseNameComesFromTheFile() {
        Window w(fixtures::makeTextPdf(1));
        QCOMPARE(w.sidebar->baseName(), QStringLiteral("Document"));
        w.coordinator.setFilePath("/tmp/My Report.v2.pdf");
        QCOMPARE(w.sidebar->baseName(), QStringLiteral("My Report.v2"));
    }

    void sheetsComeFromTheHookAndDismissingEmptiesIt() {
        Window w(fixtures::makeTextPdf(1));
        w.sidebar->presentSheet(SidebarSheet::metadata); // no factory: nothing to show
        QVERIFY(!w.sidebar->activeSheet());
        QList<SidebarSheet> asked;
        w.sidebar->setSheetFactory([&](SidebarSheet sheet, QWidget* parent) {
            asked.append(sheet);
            return new QDialog(parent);
        });
        w.sidebar->presentSheet(SidebarSheet::compress);
        QCOMPARE(asked, QList<SidebarSheet>{SidebarSheet::compress});
        QCOMPARE(w.sidebar->activeSheet(), std::optional(SidebarSheet::compress));
        auto* sheet = w.sidebar->findChild<QDialog*>();
        QVERIFY(sheet->isVisible());
        QCOMPARE(sheet->windowModality(), Qt::WindowModal);
        sheet->reject();
        QVERIFY(!w.sidebar->activeSheet());
    }
};

QTEST_MAIN(TestThumbnailSidebar)
#include "test_thumbnail_sidebar.moc"
