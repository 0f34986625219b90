// The preferences file and the support folder stay private to their owner; values set in the background
// read back at once and reach the file in the order they were set.
#include "core/AppPaths.h"
#include "core/BackgroundSettings.h"
#include "core/Settings.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <future>

#include <sys/stat.h>

using namespace zepla::platform;

class TestSettings : public QObject {
    Q_OBJECT

    static int modeOf(const QString& path) {
        struct stat st {};
        if (::stat(QFile::encodeName(path).constData(), &st) != 0)
            return -1;
        return st.st_mode & 0777;
    }

    static QString settingsPath() {
        return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/Zepla/Zepla.conf";
    }

    // The file's content now, parsed from a copy.
    std::unique_ptr<QSettings> freshlyRead(const QString& path) {
        const QString copy = m_dir.filePath(QStringLiteral("copy%1.conf").arg(++m_copies));
        if (QFile::exists(path))
            QFile::copy(path, copy);
        return std::make_unique<QSettings>(copy, QSettings::IniFormat);
    }

    QTemporaryDir m_dir;
    int m_copies = 0;

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void settingsFileIsOwnerOnlyAndKeepsValues() {
        const QString path =
            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/Zepla/Zepla.conf";
        QFile::remove(path);
        {
            auto settings = zepla::platform::userSettings();
            settings->setValue("zepla.customAPIURL", "http://127.0.0.1:9/");
            settings->sync();
            QCOMPARE(settings->status(), QSettings::NoError);
        }
        QCOMPARE(modeOf(path), 0600);
        QCOMPARE(zepla::platform::userSettings()->value("zepla.customAPIURL").toString(),
                 QString("http://127.0.0.1:9/"));
        QFile::remove(path);
    }

    // A file made by hand, readable by everyone, is made private before an API key can go into it.
    void looseSettingsFileIsTightened() {
        const QString path =
            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/Zepla/Zepla.conf";
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[General]\nzepla.customAPIURL=http://127.0.0.1:9/\n");
        file.close();
        QVERIFY(::chmod(QFile::encodeName(path).constData(), 0644) == 0);
        auto settings = zepla::platform::userSettings();
        settings->setValue("zepla.apiKey", "sk-secret");
        settings->sync();
        QCOMPARE(modeOf(path), 0600);
        QCOMPARE(settings->value("zepla.customAPIURL").toString(), QString("http://127.0.0.1:9/"));
        QFile::remove(path);
    }

    // The UI thread sets values while the writer is busy with something else: they read back at once, are
    // not in the file until the writer gets to them, and then all are, the newest of each key, a removed key
    // gone. The file is read as a program started afresh would (another path, so nothing of this process's
    // parsed copy is shared).
    void backgroundValuesReadBackAtOnceAndReachTheFileInOrder() {
        const QString path = settingsPath();
        QFile::remove(path);
        {
            auto settings = userSettings();
            settings->setValue("kept.before", "from an earlier run");
            settings->setValue("gone", "set in an earlier run");
        }
        std::promise<void> release;
        BackgroundSettings::writer().enqueue(
            "elsewhere", [held = release.get_future().share()] { held.wait(); }, false);
        QCOMPARE(BackgroundSettings::value("kept.before").toString(), QString("from an earlier run"));
        for (int page = 1; page <= 40; ++page)
            BackgroundSettings::setValue("page", page);
        BackgroundSettings::setValue("recent", QStringList{"/b.pdf", "/a.pdf"});
        BackgroundSettings::setValue("gone", {});
        BackgroundSettings::setValue("late", "set");
        BackgroundSettings::setValue("late", "set again");

        QCOMPARE(BackgroundSettings::value("page").toInt(), 40);
        QCOMPARE(BackgroundSettings::value("recent").toStringList(), (QStringList{"/b.pdf", "/a.pdf"}));
        QVERIFY(!BackgroundSettings::value("gone").isValid());
        QCOMPARE(BackgroundSettings::value("late").toString(), QString("set again"));
        {
            const auto onDisk = freshlyRead(path);
            QVERIFY(!onDisk->contains("page"));
            QCOMPARE(onDisk->value("gone").toString(), QString("set in an earlier run"));
        }

        release.set_value();
        BackgroundSettings::waitForWrites();
        const auto onDisk = freshlyRead(path);
        QCOMPARE(onDisk->value("page").toInt(), 40);
        QCOMPARE(onDisk->value("recent").toStringList(), (QStringList{"/b.pdf", "/a.pdf"}));
        QVERIFY(!onDisk->contains("gone"));
        QCOMPARE(onDisk->value("late").toString(), QString("set again"));
        QCOMPARE(onDisk->value("kept.before").toString(), QString("from an earlier run"));
        QCOMPARE(modeOf(path), 0600);
        QFile::remove(path);
    }

    void supportFolderIsCreatedPrivate() {
        const QString dir = zepla::platform::applicationSupportDirectory();
        QVERIFY(!dir.isEmpty());
        QVERIFY(dir.endsWith("/Zepla"));
        QCOMPARE(modeOf(dir), 0700);
    }

    // A support folder made open to others (by hand, or by an older version) is closed to them again; one
    // made narrower by its owner stays as it is.
    void supportFolderIsTightenedNeverLoosened() {
        const QString dir = zepla::platform::applicationSupportDirectory();
        const QByteArray name = QFile::encodeName(dir);
        for (const auto& [before, after] :
             {std::pair{0755, 0700}, {0777, 0700}, {0750, 0700}, {0500, 0500}}) {
            QCOMPARE(::chmod(name.constData(), mode_t(before)), 0);
            QCOMPARE(zepla::platform::applicationSupportDirectory(), dir);
            QCOMPARE(modeOf(dir), after);
        }
        ::chmod(name.constData(), 0700);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
