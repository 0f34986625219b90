// The remembered page per file in the preferences.
#include "core/BackgroundSettings.h"
#include "core/Settings.h"
#include "document/RecentPageStore.h"

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace zepla::document;
using zepla::platform::BackgroundSettings::waitForWrites;

namespace {

// What the page store keeps, once written, as a program started afresh would read it: from a copy of the
// file, which shares nothing with this process's parsed one.
QVariant storedOnDisk() {
    waitForWrites();
    QTemporaryDir dir;
    const QString copy = dir.filePath("copy.conf");
    QFile::copy(zepla::platform::userSettings()->fileName(), copy);
    return QSettings(copy, QSettings::IniFormat).value(RecentPageStore::preferenceKey);
}

} // namespace

class TestRecentPageStore : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { zepla::platform::BackgroundSettings::setValue(RecentPageStore::preferenceKey, {}); }

    void storesAndReadsBack() {
        QVERIFY(!RecentPageStore::pageIndex("/tmp/never.pdf").has_value());
        RecentPageStore::setPageIndex(4, "/tmp/a.pdf");
        RecentPageStore::setPageIndex(0, "/tmp/b.pdf");
        QCOMPARE(RecentPageStore::pageIndex("/tmp/a.pdf"), std::optional<int>(4));
        QCOMPARE(RecentPageStore::pageIndex("/tmp/b.pdf"), std::optional<int>(0));
        RecentPageStore::setPageIndex(9, "/tmp/a.pdf");
        QCOMPARE(RecentPageStore::pageIndex("/tmp/a.pdf"), std::optional<int>(9));
        QCOMPARE(storedOnDisk().toMap(), QVariantMap({{"/tmp/a.pdf", 9}, {"/tmp/b.pdf", 0}}));
    }

    // The file is replaced (a new inode) by every write; telling the page already kept must not write it.
    void samePageLeavesTheFileAlone() {
        RecentPageStore::setPageIndex(5, "/tmp/a.pdf");
        waitForWrites();
        const QString file = zepla::platform::userSettings()->fileName();
        const auto inode = [&file] {
            struct stat status {};
            return ::stat(QFile::encodeName(file).constData(), &status) == 0 ? status.st_ino : ino_t(0);
        };
        const ino_t written = inode();
        QVERIFY(written != 0);
        RecentPageStore::setPageIndex(5, "/tmp/a.pdf");
        waitForWrites();
        QCOMPARE(inode(), written);
        RecentPageStore::setPageIndex(6, "/tmp/a.pdf");
        waitForWrites();
        QVERIFY(inode() != written);
        QCOMPARE(RecentPageStore::pageIndex("/tmp/a.pdf"), std::optional<int>(6));
        RecentPageStore::setPageIndex(6, "/tmp/b.pdf");
        QCOMPARE(RecentPageStore::pageIndex("/tmp/b.pdf"), std::optional<int>(6));
    }

    void spoiledDictionaryIsReplacedWhole() {
        QVariantMap spoiled{{"/tmp/a.pdf", 3}, {"/tmp/b.pdf", "three"}};
        zepla::platform::BackgroundSettings::setValue(RecentPageStore::preferenceKey, spoiled);
        QVERIFY(!RecentPageStore::pageIndex("/tmp/a.pdf").has_value());
        RecentPageStore::setPageIndex(2, "/tmp/c.pdf");
        QCOMPARE(storedOnDisk().toMap(), QVariantMap({{"/tmp/c.pdf", 2}}));
    }

    void notADictionaryReadsAsEmpty() {
        zepla::platform::BackgroundSettings::setValue(RecentPageStore::preferenceKey, "junk");
        QVERIFY(!RecentPageStore::pageIndex("/tmp/a.pdf").has_value());
        RecentPageStore::setPageIndex(1, "/tmp/a.pdf");
        QCOMPARE(RecentPageStore::pageIndex("/tmp/a.pdf"), std::optional<int>(1));
    }
};

QTEST_GUILESS_MAIN(TestRecentPageStore)
#include "test_recent_page_store.moc"
