// Saved signatures: loading, adding, deleting, the stored JSON form, and windows sharing one list.
#include "annotations/SignatureStore.h"
#include "core/Settings.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTest>

using namespace zepla::annotations;

namespace {

const QString key = QStringLiteral("zepla.savedSignatures");

QImage swatch(QColor colour) {
    QImage image(8, 4, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

QJsonArray storedArray() {
    return QJsonDocument::fromJson(zepla::platform::userSettings()->value(key).toByteArray()).array();
}

} // namespace

class TestSignatureStore : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { zepla::platform::userSettings()->remove(key); }

    void emptyWithoutStoredSignatures() {
        SignatureStore store;
        QVERIFY(store.signatures().isEmpty());
        QVERIFY(store.activeID().isNull());
        QVERIFY(store.activeImage().isNull());
    }

    void addingStoresTheJsonFormAndActivatesTheNewOne() {
        QUuid first;
        {
            SignatureStore store;
            store.add(swatch(Qt::red));
            store.add(swatch(Qt::green));
            store.add(swatch(Qt::blue));
            QCOMPARE(store.signatures().size(), 3);
            QCOMPARE(store.activeID(), store.signatures().last().id);
            QCOMPARE(store.activeImage().pixelColor(0, 0), QColor(Qt::blue));
            first = store.signatures().first().id;
        }
        const QJsonArray array = storedArray();
        QCOMPARE(array.size(), 3);
        const QJsonObject object = array.first().toObject();
        QCOMPARE(object.keys(), QStringList({"id", "pngData"}));
        QCOMPARE(object.value("id").toString(), first.toString(QUuid::WithoutBraces).toUpper());
        QVERIFY(
            QImage::fromData(QByteArray::fromBase64(object.value("pngData").toString().toLatin1())).width() ==
            8);

        SignatureStore reopened;
        QCOMPARE(reopened.signatures().size(), 3);
        QCOMPARE(reopened.activeID(), first);
    }

    void deletingPicksTheOldestOrKeepsTheActive() {
        SignatureStore store;
        store.add(swatch(Qt::red));
        store.add(swatch(Qt::green));
        store.add(swatch(Qt::blue));
        const auto list = store.signatures();
        store.remove(list[1].id); // C active: stays
        QCOMPARE(store.activeID(), list[2].id);
        store.remove(list[2].id); // the active one: the oldest takes over
        QCOMPARE(store.activeID(), list[0].id);
        store.remove(QUuid::createUuid()); // unknown: nothing changes, still written
        QCOMPARE(store.signatures().size(), 1);
        zepla::platform::userSettings()->remove(key);
        store.remove(QUuid::createUuid());
        QCOMPARE(storedArray().size(), 1);
        store.remove(list[0].id);
        QVERIFY(store.signatures().isEmpty());
        QVERIFY(store.activeID().isNull());
        QCOMPARE(zepla::platform::userSettings()->value(key).toByteArray(), QByteArray("[]"));
    }

    void choosingIsNotStored() {
        {
            SignatureStore store;
            store.add(swatch(Qt::red));
            store.add(swatch(Qt::green));
            store.setActiveID(store.signatures().last().id);
        }
        SignatureStore again;
        QCOMPARE(again.activeID(), again.signatures().first().id);
    }

    void unreadableStoredDataGivesAnEmptyStore_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("not json") << QByteArray("garbage");
        QTest::newRow("object") << QByteArray(R"({"id":"x"})");
        QTest::newRow("missing key") << QByteArray(R"([{"id":"0D1F3C6A-9A4B-4A0E-8F55-2B7C1E9D0A11"}])");
        QTest::newRow("bad uuid") << QByteArray(R"([{"id":"nope","pngData":""}])");
        QTest::newRow("bad base64") << QByteArray(
            R"([{"id":"0D1F3C6A-9A4B-4A0E-8F55-2B7C1E9D0A11","pngData":"**"}])");
    }
    void unreadableStoredDataGivesAnEmptyStore() {
        QFETCH(QByteArray, stored);
        zepla::platform::userSettings()->setValue(key, stored);
        SignatureStore store;
        QVERIFY(store.signatures().isEmpty());
        QVERIFY(store.activeID().isNull());
        QCOMPARE(zepla::platform::userSettings()->value(key).toByteArray(), stored);
        store.add(swatch(Qt::red));
        QCOMPARE(storedArray().size(), 1);
    }

    void undecodableImageStaysButGivesNoActiveImage() {
        const QByteArray stored =
            R"([{"id":"0D1F3C6A-9A4B-4A0E-8F55-2B7C1E9D0A11","pngData":"AAAA"},{"pngData":"AAAA","id":"1D1F3C6A-9A4B-4A0E-8F55-2B7C1E9D0A11","extra":1}])";
        zepla::platform::userSettings()->setValue(key, stored);
        SignatureStore store;
        QCOMPARE(store.signatures().size(), 2);
        QCOMPARE(store.activeID(), QUuid::fromString(QStringLiteral("0D1F3C6A-9A4B-4A0E-8F55-2B7C1E9D0A11")));
        QVERIFY(store.activeImage().isNull());
    }

    void nullImageAddsNothing() {
        SignatureStore store;
        store.add(QImage());
        QVERIFY(store.signatures().isEmpty());
        QVERIFY(!zepla::platform::userSettings()->contains(key));
    }

    // Two windows open at once: what one adds, the other neither loses on its own write nor fails to see;
    // each keeps its own active choice.
    void windowsShareOneListButChooseOnTheirOwn() {
        SignatureStore first;
        SignatureStore second;
        first.add(swatch(Qt::red));
        second.add(swatch(Qt::green));
        QCOMPARE(first.signatures().size(), 2);
        QCOMPARE(second.signatures(), first.signatures());
        QCOMPARE(storedArray().size(), 2);
        QCOMPARE(first.activeID(), first.signatures()[0].id);
        QCOMPARE(second.activeID(), second.signatures()[1].id);

        second.remove(first.activeID()); // the other window deletes what this one has chosen
        QCOMPARE(first.signatures().size(), 1);
        QCOMPARE(first.activeID(), first.signatures()[0].id);
        QCOMPARE(storedArray().size(), 1);
    }
};

QTEST_MAIN(TestSignatureStore)
#include "test_signature_store.moc"
