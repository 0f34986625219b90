// Colours from "#" and hexadecimal digits: the accepted forms, short and long numbers, and refused text.
#include "color/MTColor.h"

#include <QTest>

using namespace zepla::math;

class TestMTColor : public QObject {
    Q_OBJECT

private slots:
    void colors_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<int>("red");
        QTest::addColumn<int>("green");
        QTest::addColumn<int>("blue");
        QTest::newRow("six digits") << "#FF8000" << true << 255 << 128 << 0;
        QTest::newRow("lower case") << "#ff8000" << true << 255 << 128 << 0;
        QTest::newRow("no hash") << "FF8000" << false << 0 << 0 << 0;
        QTest::newRow("empty") << "" << false << 0 << 0 << 0;
        QTest::newRow("hash alone is black") << "#" << true << 0 << 0 << 0;
        QTest::newRow("short fills from blue") << "#FFF" << true << 0 << 15 << 255;
        QTest::newRow("eight digits keep the low 24 bits") << "#12FF8000" << true << 255 << 128 << 0;
        QTest::newRow("stops at a non-digit") << "#12zz" << true << 0 << 0 << 0x12;
        QTest::newRow("twenty digits keep the last six")
            << "#FFFFFFFFFFFFFF123456" << true << 0x12 << 0x34 << 0x56;
    }

    void colors() {
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        const auto color = colorFromHexString(text);
        QCOMPARE(color.has_value(), accepted);
        if (!accepted)
            return;
        QFETCH(int, red);
        QFETCH(int, green);
        QFETCH(int, blue);
        QCOMPARE(color->red(), red);
        QCOMPARE(color->green(), green);
        QCOMPARE(color->blue(), blue);
        QCOMPARE(color->alphaF(), 1.0);
    }
};

QTEST_APPLESS_MAIN(TestMTColor)
#include "test_mtcolor.moc"
