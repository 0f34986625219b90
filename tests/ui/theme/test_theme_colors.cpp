// The palette, presets, gradient and application tint yield exactly the design's components.
#include "ui/theme/Colors.h"

#include <QApplication>
#include <QTest>

using namespace zepla::ui;

class TestThemeColors : public QObject {
    Q_OBJECT

private slots:
    void namedColours_data() {
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<int>("red");
        QTest::addColumn<int>("green");
        QTest::addColumn<int>("blue");
        QTest::newRow("brandBlue") << Color::brandBlue() << 0 << 194 << 255;
        QTest::newRow("brandBlueDeep") << Color::brandBlueDeep() << 11 << 62 << 117;
        QTest::newRow("markerAmber") << Color::markerAmber() << 242 << 169 << 59;
        QTest::newRow("inkSlate") << Color::inkSlate() << 58 << 58 << 60;
        QTest::newRow("paperCream") << Color::paperCream() << 251 << 247 << 238;
    }
    void namedColours() {
        QFETCH(QColor, colour);
        QFETCH(int, red);
        QFETCH(int, green);
        QFETCH(int, blue);
        QCOMPARE(colour.spec(), QColor::Rgb);
        QCOMPARE(colour.red(), red);
        QCOMPARE(colour.green(), green);
        QCOMPARE(colour.blue(), blue);
        QCOMPARE(colour.alpha(), 255);
    }

    void hexTakesBytesAndOpacity() {
        const QColor colour = Color::hex(0x123456, 0.5);
        QCOMPARE(colour.red(), 0x12);
        QCOMPARE(colour.green(), 0x34);
        QCOMPARE(colour.blue(), 0x56);
        QCOMPARE(colour.alpha(), 128);
    }

    void presetsAreSixWithAmberFirst() {
        const QList<QColor>& presets = Color::annotationPresets();
        const QList<QRgb> expected{0xF2A93B, 0xE6483C, 0x3C8CE6, 0x3CB566, 0x9B59D0, 0x1C1C1E};
        QCOMPARE(presets.size(), 6);
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(presets[i].rgb() & 0xFFFFFF, expected[i]);
            QCOMPARE(presets[i].alpha(), 255);
        }
        QCOMPARE(presets.first(), Color::markerAmber());
    }

    void gradientRunsFromBrandBlueAtTheTopToDeepBlueAtTheBottom() {
        const QLinearGradient gradient = Color::brandGradient(QRectF(10, 20, 100, 50));
        QCOMPARE(gradient.start(), QPointF(10, 20));
        QCOMPARE(gradient.finalStop(), QPointF(10, 70));
        QCOMPARE(gradient.stops().size(), 2);
        QCOMPARE(gradient.stops().first(), QGradientStop(0, Color::brandBlue()));
        QCOMPARE(gradient.stops().last(), QGradientStop(1, Color::brandBlueDeep()));
    }

    void appTintIsWhiteBlendedTwoAndAHalfPercentTowardSystemBlue() {
        const QColor tint = Color::appTint();
        const QColor blue = Color::systemBlue();
        QCOMPARE(tint.alpha(), 255);
        QVERIFY(qAbs(tint.redF() - (1 + (blue.redF() - 1) * 0.025)) < 1e-3);
        QVERIFY(qAbs(tint.greenF() - (1 + (blue.greenF() - 1) * 0.025)) < 1e-3);
        QCOMPARE(tint.blue(), 255);
        QVERIFY(tint.red() < 255 && tint.red() > 245);
    }
};

QTEST_MAIN(TestThemeColors)
#include "test_theme_colors.moc"
