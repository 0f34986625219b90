// The preferences file and the support folder stay private to their owner.
#include "core/AppPaths.h"
#include "core/Settings.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTest>

#include <sys/stat.h>

class TestSettings : public QObject {
    Q_OBJECT

    static int modeOf(const QString& path) {
        struct stat st {};
        if (::stat(QFile::encodeName(path).constData(), &st) != 0)
            return -1;
        return st.st_mode & 0777;
    }

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

    void supportFolderIsCreatedPrivate() {
        const QString dir = zepla::platform::applicationSupportDirectory();
        QVERIFY(!dir.isEmpty());
        QVERIFY(dir.endsWith("/Zepla"));
        QCOMPARE(modeOf(dir), 0700);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
