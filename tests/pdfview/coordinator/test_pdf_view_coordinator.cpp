// The coordinator and the bridge: page indicator, the remembered page going and coming back, zoom steps
// and their limits, and a coordinator whose view is gone.
#include "PdfFixtures.h"
#include "core/BackgroundSettings.h"
#include "document/RecentPageStore.h"
#include "pdfview/coordinator/PDFViewBridge.h"
#include "pdfview/coordinator/PDFViewCoordinator.h"
#include "pdfview/view/PDFView.h"

#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

using namespace zepla;
using namespace zepla::pdfview;

namespace {

const QString path = QStringLiteral("/tmp/zepla-test/Report.pdf");

std::shared_ptr<pdf::Document> textDocument(int pages) {
    return pdf::Document::open(fixtures::makeTextPdf(pages)).value();
}

struct Window {
    explicit Window(int pages, const QString& filePath = path) {
        view.resize(600, 800);
        PDFViewBridge::attach(view, coordinator, textDocument(pages), filePath, Qt::white);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QCoreApplication::processEvents();
    }
    PDFView view;
    PDFViewCoordinator coordinator;
};

} // namespace

class TestPdfViewCoordinator : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { platform::BackgroundSettings::setValue(document::RecentPageStore::preferenceKey, {}); }

    void indicatorFollowsTheCurrentPage() {
        Window w(12);
        QCOMPARE(w.coordinator.pageIndicator(), QString("1 of 12"));
        QCOMPARE(w.coordinator.currentPageIndex(), std::optional<int>(0));
        QSignalSpy indicator(&w.coordinator, &PDFViewCoordinator::pageIndicatorChanged);
        w.view.goToPage(2);
        QCOMPARE(w.coordinator.pageIndicator(), QString("3 of 12"));
        QCOMPARE(w.coordinator.currentPageIndex(), std::optional<int>(2));
        QCOMPARE(indicator.size(), 1);
        QCOMPARE(document::RecentPageStore::pageIndex(path), std::optional<int>(2));
        w.coordinator.goToNextPage();
        QCOMPARE(w.coordinator.pageIndicator(), QString("4 of 12"));
        w.coordinator.goToPreviousPage();
        w.coordinator.goToPreviousPage();
        QCOMPARE(w.coordinator.pageIndicator(), QString("2 of 12"));
        QCOMPARE(document::RecentPageStore::pageIndex(path), std::optional<int>(1));
    }

    void onePageReadsOneOfOne() {
        Window w(1);
        QCOMPARE(w.coordinator.pageIndicator(), QString("1 of 1"));
    }

    void restoresTheRememberedPage_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("shown");
        QTest::newRow("first page") << 0 << 0;
        QTest::newRow("negative") << -3 << 0;
        QTest::newRow("page count") << 12 << 0;
        QTest::newRow("beyond") << 40 << 0;
        QTest::newRow("sixth") << 5 << 5;
        QTest::newRow("last") << 11 << 11;
    }
    void restoresTheRememberedPage() {
        QFETCH(int, stored);
        QFETCH(int, shown);
        document::RecentPageStore::setPageIndex(stored, path);
        Window w(12);
        QCOMPARE(w.view.currentPageIndex(), shown);
        QCOMPARE(w.coordinator.pageIndicator(), QString("%1 of 12").arg(shown + 1));
    }

    // A window that settles its size after the remembered page is shown keeps the view, the indicator and
    // the store on that page: resizing moves no page into view that the current page does not name.
    void theRestoredPageSurvivesTheWindowSettling() {
        document::RecentPageStore::setPageIndex(59, path);
        PDFView view;
        PDFViewCoordinator coordinator;
        view.resize(300, 200);
        PDFViewBridge::attach(view, coordinator, textDocument(80), path, Qt::white);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        for (QSize size : {QSize(900, 700), QSize(1300, 600), QSize(500, 900)}) {
            view.resize(size);
            QCoreApplication::processEvents();
            const QPointF centre(view.viewport()->width() / 2.0, view.viewport()->height() / 2.0);
            QCOMPARE(view.pageForPoint(centre, true), 59);
            QCOMPARE(coordinator.currentPageIndex(), std::optional<int>(59));
            QCOMPARE(coordinator.pageIndicator(), QString("60 of 80"));
            QCOMPARE(document::RecentPageStore::pageIndex(path), std::optional<int>(59));
        }
    }

    void aDocumentWithoutAFileRemembersNothing() {
        document::RecentPageStore::setPageIndex(5, path);
        Window w(12, QString());
        QCOMPARE(w.view.currentPageIndex(), 0);
        w.view.goToPage(7);
        QCOMPARE(w.coordinator.pageIndicator(), QString("8 of 12"));
        QCOMPARE(document::RecentPageStore::pageIndex(path), std::optional<int>(5));
        QVERIFY(!PDFViewBridge::pageToRestore(QString(), 12));
    }

    void zoomStepsStopExactlyAtTheLimits() {
        Window w(3);
        w.view.setScaleFactor(1.0);
        w.coordinator.zoomIn();
        QCOMPARE(w.view.scaleFactor(), 1.15);
        w.coordinator.zoomOut();
        QCOMPARE(w.view.scaleFactor(), 1.0);
        for (int i = 0; i < 100; ++i)
            w.coordinator.zoomIn();
        QCOMPARE(w.view.scaleFactor(), PDFView::maxScaleFactor);
        for (int i = 0; i < 100; ++i)
            w.coordinator.zoomOut();
        QCOMPARE(w.view.scaleFactor(), PDFView::minScaleFactor);
        w.coordinator.zoomToFit();
        QCOMPARE(w.view.scaleFactor(), w.view.scaleFactorForSizeToFit());
    }

    void withoutAViewNothingHappens() {
        PDFViewCoordinator coordinator;
        QVERIFY(coordinator.pageIndicator().isEmpty());
        QVERIFY(!coordinator.currentPageIndex());
        {
            auto view = std::make_unique<PDFView>();
            PDFViewBridge::attach(*view, coordinator, textDocument(4), path, Qt::white);
            QCOMPARE(coordinator.pdfView(), view.get());
        }
        QCOMPARE(coordinator.pdfView(), nullptr);
        coordinator.zoomIn();
        coordinator.zoomOut();
        coordinator.zoomToFit();
        coordinator.goToNextPage();
        coordinator.goToPreviousPage();
        coordinator.updatePageIndicator();
        QVERIFY(coordinator.pageIndicator().isEmpty());
        QVERIFY(!coordinator.currentPageIndex());
    }
};

QTEST_MAIN(TestPdfViewCoordinator)
#include "test_pdf_view_coordinator.moc"
