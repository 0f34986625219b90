// Property lists: every value kind survives writing and reading; malformed files are refused with a reason.
#include "fonts/PropertyList.h"

#include <QTemporaryDir>
#include <QTest>

using namespace zepla::math;

class TestPropertyList : public QObject {
    Q_OBJECT

private slots:
    void valuesRoundTrip() {
        const QVariantMap table = {
            {"version", "1.3"},
            {"constants",
             QVariantMap{{"AxisHeight", qlonglong(250)}, {"RadicalKernAfterDegree", qlonglong(-556)}}},
            {"list", QVariantList{"a & <b>", 2.5, true, false, QVariantList{}, QVariantMap{}}},
            {"empty text", ""},
        };
        const auto read = parsePropertyList(writePropertyList(table));
        QVERIFY2(read.dictionary, qPrintable(read.error));
        QCOMPARE(*read.dictionary, table);
        QCOMPARE(read.dictionary->value("constants").toMap().value("AxisHeight").typeId(),
                 int(QMetaType::LongLong));
        QCOMPARE(read.dictionary->value("list").toList().value(1).typeId(), int(QMetaType::Double));
        QCOMPARE(read.dictionary->value("list").toList().value(2).typeId(), int(QMetaType::Bool));
    }

    void malformedDocumentsAreRefused_data() {
        QTest::addColumn<QByteArray>("xml");
        QTest::newRow("not xml") << QByteArray("version 1.3");
        QTest::newRow("no plist element") << QByteArray("<dict><key>a</key><string>b</string></dict>");
        QTest::newRow("array at the top") << QByteArray("<plist><array/></plist>");
        QTest::newRow("cut short") << QByteArray("<plist><dict><key>version</key>");
        QTest::newRow("value without key") << QByteArray("<plist><dict><string>1.3</string></dict></plist>");
        QTest::newRow("unknown element")
            << QByteArray("<plist><dict><key>d</key><date>x</date></dict></plist>");
        QTest::newRow("bad integer") << QByteArray(
            "<plist><dict><key>n</key><integer>1.5</integer></dict></plist>");
    }
    void malformedDocumentsAreRefused() {
        QFETCH(QByteArray, xml);
        const auto read = parsePropertyList(xml);
        QVERIFY(!read.dictionary);
        QVERIFY(!read.error.isEmpty());
    }

    void missingFileIsAnError() {
        QTemporaryDir dir;
        const auto read = readPropertyList(dir.filePath("absent.plist"));
        QVERIFY(!read.dictionary);
        QVERIFY(read.error.contains("absent.plist"));
    }
};

QTEST_MAIN(TestPropertyList)
#include "test_propertylist.moc"
