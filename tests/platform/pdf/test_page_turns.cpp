// Page turns as plain arithmetic: the picture of a page at every rotation, and the upright space of turned
// pages, give what composing Qt's own turns, flips and scales gives.
#include "pdf/PageTurn.h"
#include "pdf/PdfTypes.h"

#include <QTest>

using namespace zepla::pdf;

namespace {

// The picture of a page built step by step: crop box corner to the origin with y down, turn, scale.
QTransform composedPageToImage(const PageGeometry& g, double scale) {
    const QSizeF shown = g.displaySize() / g.userUnit;
    QTransform t;
    t.scale(scale * g.userUnit, scale * g.userUnit);
    if (g.rotation == 90)
        t.translate(shown.width(), 0);
    else if (g.rotation == 180)
        t.translate(shown.width(), shown.height());
    else if (g.rotation == 270)
        t.translate(0, shown.height());
    t.rotate(g.rotation);
    t.translate(-g.cropBox.left(), g.cropBox.bottom());
    t.scale(1, -1);
    return t;
}

void compareTransforms(const QTransform& got, const QTransform& expected) {
    QCOMPARE(got.m11(), expected.m11());
    QCOMPARE(got.m12(), expected.m12());
    QCOMPARE(got.m21(), expected.m21());
    QCOMPARE(got.m22(), expected.m22());
    QCOMPARE(got.dx(), expected.dx());
    QCOMPARE(got.dy(), expected.dy());
}

} // namespace

class TestPageTurns : public QObject {
    Q_OBJECT

private slots:
    void pageToImage_data() {
        QTest::addColumn<int>("rotation");
        QTest::addColumn<QRectF>("cropBox");
        QTest::addColumn<double>("userUnit");
        QTest::addColumn<double>("scale");
        const QRectF letter(0, 0, 612, 792);
        const QRectF offset(36.5, 20.25, 300.75, 500.1);
        for (int rotation : {0, 90, 180, 270}) {
            const QByteArray r = QByteArray::number(rotation);
            QTest::newRow(("letter " + r).constData()) << rotation << letter << 1.0 << 1.0;
            QTest::newRow(("offset crop " + r).constData()) << rotation << offset << 1.0 << 2.5;
            QTest::newRow(("user unit " + r).constData()) << rotation << offset << 3.0 << 0.3;
        }
    }
    void pageToImage() {
        QFETCH(int, rotation);
        QFETCH(QRectF, cropBox);
        QFETCH(double, userUnit);
        QFETCH(double, scale);
        const PageGeometry g{cropBox, cropBox, rotation, userUnit};
        compareTransforms(g.pageToImage(scale), composedPageToImage(g, scale));
        // The crop box fills the picture exactly.
        const QSizeF size = g.displaySize() * scale;
        QCOMPARE(g.pageToImage(scale).mapRect(cropBox), QRectF(QPointF(0, 0), size));
    }

    void uprightSpace_data() {
        QTest::addColumn<int>("rotation");
        const QList<int> rotations{0, 90, 180, 270, -90, 450, 45};
        for (int rotation : rotations)
            QTest::newRow(QByteArray::number(rotation).constData()) << rotation;
    }
    void uprightSpace() {
        QFETCH(int, rotation);
        const QTransform toPage = uprightToPage(rotation);
        for (const QRectF& r :
             {QRectF(0, 0, 100, 50), QRectF(12.5, 700.25, 80.75, 20.1), QRectF(-30, -40, 5, 6)}) {
            QCOMPARE(uprightPoint(r.topLeft(), rotation), toPage.inverted().map(r.topLeft()));
            QCOMPARE(uprightRect(r, rotation), toPage.inverted().mapRect(r));
            QCOMPARE(pageRectFromUpright(r, rotation), toPage.mapRect(r));
            QCOMPARE(pageRectFromUpright(uprightRect(r, rotation), rotation), r);
            // NoRotate: turned about the upper left corner of /Rect, and back.
            const QPointF pin(r.left(), r.bottom());
            QCOMPARE(noRotateShownBox(r, rotation), toPage.mapRect(r.translated(-pin)).translated(pin));
            QCOMPARE(noRotateRect(noRotateShownBox(r, rotation), rotation), r);
        }
    }
};

QTEST_GUILESS_MAIN(TestPageTurns)
#include "test_page_turns.moc"
