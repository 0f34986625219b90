// The remembered page per file in the preferences.
#include "core/Settings.h"
#include "document/RecentPageStore.h"

#include <QFile>
#include <QStandardPaths>
#include <QTest>

#include <sys/stat.h>

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

    // The file is replaced (a new inode) by every write; telling the page already kept must not write it.
    void samePageLeavesTheFileAlone() {
        RecentPageStore::setPageIndex(5, "/tmp/a.pdf");
        const QString file = zepla::platform::userSettings()->fileName();
        const auto inode = [&file] {
            struct stat status {};
            return ::stat(QFile::encodeName(file).constData(), &status) == 0 ? status.st_ino : ino_t(0);
        };
        const ino_t written = inode();
        QVERIFY(written != 0);
        RecentPageStore::setPageIndex(5, "/tmp/a.pdf");
        QCOMPARE(inode(), written);
        RecentPageStore::setPageIndex(6, "/tmp/a.pdf");
        QVERIFY(inode() != written);
        QCOMPARE(RecentPageStore::pageIndex("/tmp/a.pdf"), std::optional<int>(6));
        RecentPageStore::setPageIndex(6, "/tmp/b.pdf");
        QCOMPARE(RecentPageStore::pageIndex("/tmp/b.pdf"), std::optional<int>(6));
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
