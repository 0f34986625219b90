// Signatures as images and stamps: the pad's smoothing through midpoints, the rendering at twice the size,
// trimming to the ink with its margin, the placement geometry of a click and of drags, and the signature
// annotation's image appearance in the file with its transparency.
#include "PdfFixtures.h"
#include "TestDocuments.h"
#include "annotations/SignatureAnnotation.h"
#include "annotations/SignatureDrawing.h"

#include <QPainter>
#include <QTest>

using namespace zepla::annotations;
namespace Drawing = zepla::annotations::SignatureDrawing;

class TestSignatureDrawing : public QObject {
    Q_OBJECT

private slots:
    void smoothingRunsThroughTheMidpoints() {
        QCOMPARE(Drawing::smoothedPath({}).elementCount(), 0);
        const QPainterPath dot = Drawing::smoothedPath({{5, 5}});
        QCOMPARE(dot.elementCount(), 2);
        QVERIFY(dot.elementAt(1).isLineTo());

        const QPainterPath two = Drawing::smoothedPath({{0, 0}, {10, 0}});
        QCOMPARE(two.elementCount(), 2);
        QCOMPARE(QPointF(two.elementAt(1)), QPointF(10, 0));

        // Five samples: quadratic pieces to the midpoints of p1–p2, p2–p3, p3–p4, then straight to p4.
        const QList<QPointF> p{{0, 0}, {10, 10}, {20, 0}, {30, 10}, {40, 0}};
        const QPainterPath five = Drawing::smoothedPath(p);
        QCOMPARE(QPointF(five.elementAt(0)), p[0]);
        QList<QPointF> ends;
        for (int i = 1; i < five.elementCount(); ++i) {
            const auto e = five.elementAt(i);
            if (e.isLineTo() || (e.type == QPainterPath::CurveToDataElement &&
                                 (i + 1 == five.elementCount() ||
                                  five.elementAt(i + 1).type != QPainterPath::CurveToDataElement)))
                ends << QPointF(e);
        }
        QCOMPARE(ends, (QList<QPointF>{{15, 5}, {25, 5}, {35, 5}, {40, 0}}));
        // The curve never passes through the interior samples.
        QVERIFY(!five.contains(QPointF(10, 10)));
    }

    void renderingIsTransparentInkAtTwiceTheSize() {
        const QImage image = Drawing::render({{{50, 50}, {100, 60}, {150, 50}}});
        QCOMPARE(image.size(), QSize(840, 360));
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(image.pixel(100, 100)), 255);
        QCOMPARE(qGray(image.pixel(100, 100)), 0);
    }

    // Ink pixels on a transparent bitmap, and the crop the trim must give.
    void trimKeepsSixPixelsAroundTheInk_data() {
        QTest::addColumn<QRect>("ink");
        QTest::addColumn<QRect>("crop");
        QTest::newRow("inside") << QRect(100, 50, 20, 10) << QRect(94, 44, 32, 22);
        QTest::newRow("at the left edge") << QRect(0, 50, 20, 10) << QRect(0, 44, 32, 22);
        QTest::newRow("at the top left corner") << QRect(2, 3, 10, 10) << QRect(0, 0, 22, 22);
        QTest::newRow("at the right edge") << QRect(820, 50, 20, 10) << QRect(814, 44, 26, 22);
        QTest::newRow("one pixel") << QRect(400, 200, 1, 1) << QRect(394, 194, 13, 13);
    }
    void trimKeepsSixPixelsAroundTheInk() {
        QFETCH(QRect, ink);
        QFETCH(QRect, crop);
        QImage image(840, 360, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        // A faint wash (alpha 10) everywhere else counts as empty; alpha 11 is ink.
        image.fill(qRgba(0, 0, 0, 10));
        QPainter(&image).fillRect(ink, QColor(0, 0, 0, 11));
        const std::optional<QImage> trimmed = Drawing::trimmedToOpaqueContent(image);
        QVERIFY(trimmed);
        QCOMPARE(trimmed->size(), crop.size());
        QCOMPARE(*trimmed, image.copy(crop));
    }

    void trimOfNothingIsNothingAndOpaqueImagesStayWhole() {
        QImage faint(40, 20, QImage::Format_ARGB32);
        faint.fill(qRgba(0, 0, 0, 10));
        QVERIFY(!Drawing::trimmedToOpaqueContent(faint));
        QImage opaque(40, 20, QImage::Format_RGB32);
        opaque.fill(Qt::white);
        QCOMPARE(Drawing::trimmedToOpaqueContent(opaque)->size(), QSize(40, 20));
    }

    // A 400 × 100 image pressed at (300, 500): where a click and drags to x put it.
    void placementGeometry_data() {
        QTest::addColumn<bool>("dragged");
        QTest::addColumn<qreal>("x");
        QTest::addColumn<QRectF>("bounds");
        QTest::newRow("click") << false << 0.0 << QRectF(300, 460, 160, 40);
        QTest::newRow("100 right") << true << 400.0 << QRectF(300, 475, 100, 25);
        QTest::newRow("10 right") << true << 310.0 << QRectF(300, 494, 24, 6);
        QTest::newRow("100 left") << true << 200.0 << QRectF(200, 475, 100, 25);
        QTest::newRow("10 left") << true << 290.0 << QRectF(290, 494, 24, 6);
        QTest::newRow("vertical only") << true << 300.0 << QRectF(300, 494, 24, 6);
    }
    void placementGeometry() {
        QFETCH(bool, dragged);
        QFETCH(qreal, x);
        QFETCH(QRectF, bounds);
        const QSizeF image(400, 100);
        const QPointF start(300, 500);
        QCOMPARE(dragged ? SignatureAnnotation::draggedBounds(image, start, x)
                         : SignatureAnnotation::placedBounds(image, start),
                 bounds);
    }

    void aNarrowImageCountsAsOnePointWide() {
        QCOMPARE(SignatureAnnotation::aspectRatio(QSizeF(0.5, 30)), 30.0);
        QCOMPARE(SignatureAnnotation::placedBounds(QSizeF(0, 2), QPointF(0, 0)).height(), 320.0);
    }

    void theFileHoldsTheImageWithItsSoftMask() {
        QImage image(40, 10, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter(&image).fillRect(QRect(10, 2, 20, 6), Qt::black);
        auto document = testdocs::open(fixtures::makePdf({{fixtures::PageSpec{}}}));
        SignatureAnnotation signature(image, QRectF(100, 600, 160, 40));
        QVERIFY(writeNewAnnotation(*document, 0, signature).ok());
        const QByteArray saved = document->save().value();
        auto reopened = testdocs::open(saved);
        const auto annotations = reopened->annotations(0).value();
        QCOMPARE(annotations.size(), std::size_t(1));
        QCOMPARE(annotations[0].subtype, QString("Stamp"));
        QCOMPARE(annotations[0].rect, QRectF(100, 600, 160, 40));
        QVERIFY(saved.contains("/SMask"));
        QVERIFY(fixtures::inflatedStreams(saved).contains("/Im0 Do"));
    }
};

QTEST_MAIN(TestSignatureDrawing)
#include "test_signature_drawing.moc"
