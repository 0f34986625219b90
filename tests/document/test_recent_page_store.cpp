// The remembered page per file in the preferences.
#include "core/Settings.h"
#include "document/RecentPageStore.h"

#include <QStandardPaths>
#include <QTest>

using namespace zepla::document;

class TestRecentPageStore : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { zepla::platform::userSettings()->remove(RecentPageStore::preferenceKey); }

    void storesAndReadsBack() {
        QVERIFY(!RecentPageStore::pageIndex("/tmp/never.pdf").has_value());
        RecentPageStore::setPageIndex(4, "/tmp/a.pdf");
        RecentPageStore::setPageIndex(0, "/tmp/b.pdf");
        QCOMPARE(RecentPageStore::pageIndex("/tmp/a.pdf"), std::optional<int>(4));
        QCOMPARE(RecentPageStore::pageIndex("/tmp/b.pdf"), std::optional<int>(0));
        RecentPageStore::setPageIndex(9, "/tmp/a.pdf");
        QCOMPARE(RecentPageStore::pageIndex("/tmp/a.pdf"), std::optional<int>(9));
    }

    void spoiledDictionaryIsReplacedWhole() {
        QVariantMap spoiled{{"/tmp/a.pdf", 3}, {"/tmp/b.pdf", "three"}};
        zepla::platform::userSettings()->setValue(RecentPageStore::preferenceKey, spoiled);
        QVERIFY(!RecentPageStore::pageIndex("/tmp/a.pdf").has_value());
        RecentPageStore::setPageIndex(2, "/tmp/c.pdf");
        const QVariantMap stored =
            zepla::platform::userSettings()->value(RecentPageStore::preferenceKey).toMap();
        QCOMPARE(stored, QVariantMap({{"/tmp/c.pdf", 2}}));
    }

    void notADictionaryReadsAsEmpty() {
        zepla::platform::userSettings()->setValue(RecentPageStore::preferenceKey, "junk");
        QVERIFY(!RecentPageStore::pageIndex("/tmp/a.pdf").has_value());
        RecentPageStore::setPageIndex(1, "/tmp/a.pdf");
        QCOMPARE(RecentPageStore::pageIndex("/tmp/a.pdf"), std::optional<int>(1));
    }
};

QTEST_GUILESS_MAIN(TestRecentPageStore)
#include "test_recent_page_store.moc"
