// The view-less formula images: their sizes (rounded up or exact), the layout info, the parse error, and the
// picture they draw.
#include "TypesetTestSupport.h"

#include "view/MTMathImage.h"
#include "view/MathImage.h"

#include <QtTest>

using namespace zepla::math;

class TestFormulaImages : public QObject {
    Q_OBJECT

private slots:
    void mathImageRoundsItsSizeUpAndReportsTheBox() {
        MathImage image(QStringLiteral("x^2+y"), 20, Qt::black, MTMathUILabelMode::display,
                        MTTextAlignment::left);
        image.contentInsets = {1.5, 2.5, 1.5, 2.5};
        const MathImage::Result result = image.asImage();
        QVERIFY(!result.error);
        QVERIFY(result.image && result.layoutInfo);
        const QSizeF intrinsic = image.intrinsicContentSize;
        QCOMPARE(intrinsic.width(), 5 + result.image->display()->width());
        QCOMPARE(intrinsic.height(), 3 + result.layoutInfo->ascent + result.layoutInfo->descent);
        QCOMPARE(result.image->size(), QSizeF(std::ceil(intrinsic.width()), std::ceil(intrinsic.height())));

        const QImage pixels = result.image->toImage(2);
        QCOMPARE(pixels.size(),
                 QSize(int(2 * std::ceil(intrinsic.width())), int(2 * std::ceil(intrinsic.height()))));
        QCOMPARE(pixels.devicePixelRatio(), 2.0);
        bool inked = false;
        for (int y = 0; y < pixels.height() && !inked; ++y)
            for (int x = 0; x < pixels.width() && !inked; ++x)
                inked = qAlpha(pixels.pixel(x, y)) > 128;
        QVERIFY(inked);
    }

    void mtMathImageKeepsTheExactSizeAtItsFontSize() {
        MTMathImage image(QStringLiteral("x^2+y"), 30, Qt::black, MTMathUILabelMode::text,
                          MTTextAlignment::center);
        QCOMPARE(image.font()->fontSize(), 30.0);
        QCOMPARE(image.currentStyle(), MTLineStyle::text);
        const MTMathImage::Result result = image.asImage();
        QVERIFY(!result.error && result.image);
        QCOMPARE(result.image->size(), image.intrinsicContentSize());
        const MTDisplay& display = *result.image->display();
        QCOMPARE(image.intrinsicContentSize(), QSizeF(display.width(), display.ascent() + display.descent()));
    }

    void anEmptyFormulaIsItsInsetsAlone() {
        MTMathImage image(QString(), 20, Qt::black, MTMathUILabelMode::display, MTTextAlignment::left);
        image.setContentInsets({4, 3, 4, 3});
        const MTMathImage::Result result = image.asImage();
        QVERIFY(result.image);
        QCOMPARE(result.image->size(), QSizeF(6, 8));
        // Placed as a box of half the font size centred in the inset area.
        QCOMPARE(result.image->display()->position(), QPointF(3, (8 - 4 - 4 - 10) / 2.0 + 4));
    }

    void anUnclosedBraceGivesTheParseErrorAndNoImage() {
        MathImage image(QStringLiteral("\\frac{1}{"), 20, Qt::black, MTMathUILabelMode::display,
                        MTTextAlignment::left);
        const MathImage::Result result = image.asImage();
        QVERIFY(result.error);
        QCOMPARE(result.error->domain, QStringLiteral("ParseError"));
        QVERIFY(!result.image && !result.layoutInfo);

        MTMathImage other(QStringLiteral("\\frac{1}{"), 20, Qt::black, MTMathUILabelMode::display,
                          MTTextAlignment::left);
        QVERIFY(other.asImage().error);
    }

    void alignmentsReadFromRawValues() {
        QCOMPARE(textAlignmentFromRawValue(0), MTTextAlignment::left);
        QCOMPARE(textAlignmentFromRawValue(2), MTTextAlignment::right);
        QVERIFY(!textAlignmentFromRawValue(3));
    }
};

QTEST_MAIN(TestFormulaImages)
#include "test_formula_images.moc"
