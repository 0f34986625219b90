// The continuous layout: stacking, centring, gaps, fitting the width and finding pages.
#include "pdfview/view/PageLayout.h"

#include <QTest>

using zepla::pdfview::PageLayout;

class TestPageLayout : public QObject {
    Q_OBJECT

private slots:
    void stacksAndCentresPages() {
        PageLayout layout;
        layout.setPageSizes({QSizeF(600, 800), QSizeF(300, 400)});
        layout.layout(1.0, 1000, true);
        const double gap = PageLayout::pageBreakGap;
        QCOMPARE(layout.pageRect(0), QRectF(200, gap, 600, 800));
        QCOMPARE(layout.pageRect(1), QRectF(350, gap + 800 + gap, 300, 400));
        QCOMPARE(layout.contentSize(), QSizeF(1000, gap + 800 + gap + 400 + gap));
        layout.layout(2.0, 100, false);
        QCOMPARE(layout.pageRect(0), QRectF(0, 0, 1200, 1600));
        QCOMPARE(layout.pageRect(1), QRectF(300, 1600, 600, 800));
        QCOMPARE(layout.contentSize(), QSizeF(1200, 2400));
    }

    void fitsTheWidestPage() {
        PageLayout layout;
        layout.setPageSizes({QSizeF(500, 800), QSizeF(1000, 400)});
        QCOMPARE(layout.fitWidthScale(1000 + 2 * PageLayout::pageBreakGap, true), 1.0);
        QCOMPARE(layout.fitWidthScale(500, false), 0.5);
        PageLayout empty;
        QCOMPARE(empty.fitWidthScale(500, true), 1.0);
    }

    void findsPagesNearestInGaps_data() {
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<bool>("nearest");
        QTest::addColumn<int>("page");
        // Pages 100 tall at y 12..112, 124..224, 236..336.
        QTest::newRow("inside first") << QPointF(300, 50) << false << 0;
        QTest::newRow("inside last") << QPointF(300, 300) << false << 2;
        QTest::newRow("gap, not nearest") << QPointF(300, 118) << false << -1;
        QTest::newRow("gap, closer above") << QPointF(300, 114) << true << 0;
        QTest::newRow("gap, closer below") << QPointF(300, 122) << true << 1;
        QTest::newRow("beside a page") << QPointF(10, 150) << false << -1;
        QTest::newRow("beside, nearest") << QPointF(10, 150) << true << 1;
        QTest::newRow("above everything") << QPointF(300, -40) << true << 0;
        QTest::newRow("below everything") << QPointF(300, 5000) << true << 2;
        QTest::newRow("below, not nearest") << QPointF(300, 5000) << false << -1;
    }
    void findsPagesNearestInGaps() {
        QFETCH(QPointF, point);
        QFETCH(bool, nearest);
        QFETCH(int, page);
        PageLayout layout;
        layout.setPageSizes({QSizeF(100, 100), QSizeF(100, 100), QSizeF(100, 100)});
        layout.layout(1.0, 600, true);
        QCOMPARE(layout.pageAt(point, nearest), page);
    }

    void pagesInABand() {
        PageLayout layout;
        layout.setPageSizes(std::vector<QSizeF>(10, QSizeF(100, 100)));
        layout.layout(1.0, 600, false);
        QCOMPARE(layout.pagesBetween(0, 100), std::make_pair(0, 0));
        QCOMPARE(layout.pagesBetween(150, 420), std::make_pair(1, 4));
        QCOMPARE(layout.pagesBetween(950, 2000), std::make_pair(9, 9));
        const auto none = layout.pagesBetween(1200, 1300);
        QVERIFY(none.first > none.second);
    }
};

QTEST_GUILESS_MAIN(TestPageLayout)
#include "test_page_layout.moc"
