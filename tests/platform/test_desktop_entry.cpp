// The desktop entry a program run from its build folder writes for itself: valid for the desktop whatever
// its path holds, with the icon beside it, and never over an entry it did not write.
#include "core/DesktopEntry.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace zepla::platform;

namespace {

QByteArray read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class TestDesktopEntry : public QObject {
    Q_OBJECT

private slots:
    void entryIsValidForAnyProgramPath_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("exec");
        // Bare where it can be: xdg-mime takes the entry's first word as the program, quotes and all.
        QTest::newRow("plain") << QString("/opt/zepla/build/src/app/zepla")
                               << QString("Exec=/opt/zepla/build/src/app/zepla %F");
        QTest::newRow("percent") << QString("/tmp/100%/zepla") << QString("Exec=/tmp/100%%/zepla %F");
        QTest::newRow("spaces") << QString("/home/ann/my builds/zepla")
                                << QString("Exec=\"/home/ann/my builds/zepla\" %F");
        QTest::newRow("shell characters")
            << QString("/tmp/a$b`c\"d/zepla") << QString("Exec=\"/tmp/a\\\\$b\\\\`c\\\\\"d/zepla\" %F");
        QTest::newRow("backslash") << QString("/tmp/back\\slash/zepla")
                                   << QString("Exec=\"/tmp/back\\\\\\\\slash/zepla\" %F");
        QTest::newRow("non-ascii") << QString("/home/zoë/Études/zepla")
                                   << QString("Exec=/home/zoë/Études/zepla %F");
        QTest::newRow("quote") << QString("/home/ann/it's/zepla")
                               << QString("Exec=\"/home/ann/it's/zepla\" %F");
    }
    void entryIsValidForAnyProgramPath() {
        QFETCH(QString, program);
        QFETCH(QString, exec);
        QTemporaryDir dataHome;
        QCOMPARE(DesktopEntry::installForBuildRun(program, dataHome.path()), std::nullopt);
        const QString entry = dataHome.filePath("applications/zepla.desktop");
        const QString text = QString::fromUtf8(read(entry));
        QVERIFY2(text.split('\n').contains(exec), qPrintable(text));
        QVERIFY(text.contains("\nMimeType=application/pdf;\n"));
        QVERIFY(text.contains("\nIcon=zepla\n"));

        QProcess validate;
        validate.setProcessChannelMode(QProcess::MergedChannels);
        validate.start("desktop-file-validate", {entry});
        QVERIFY2(validate.waitForFinished(10000), "desktop-file-validate did not run (desktop-file-utils)");
        const QByteArray said = validate.readAll();
        QCOMPARE(validate.exitStatus(), QProcess::NormalExit);
        QVERIFY2(validate.exitCode() == 0 && said.trimmed().isEmpty(), said.constData());

        QVERIFY(read(dataHome.filePath("icons/hicolor/scalable/apps/zepla.svg")).startsWith("<svg"));
    }

    void anEntryOfABuildRunFollowsTheProgram() {
        QTemporaryDir dataHome;
        QCOMPARE(DesktopEntry::installForBuildRun("/old/build/zepla", dataHome.path()), std::nullopt);
        QCOMPARE(DesktopEntry::installForBuildRun("/new/build/zepla", dataHome.path()), std::nullopt);
        QCOMPARE(QString::fromUtf8(read(dataHome.filePath("applications/zepla.desktop"))),
                 DesktopEntry::text("/new/build/zepla"));
    }

    // An installed entry (or the user's own) is not a build run's to replace; nor is the icon then written.
    void anotherEntryIsLeftAlone() {
        QTemporaryDir dataHome;
        const QString entry = dataHome.filePath("applications/zepla.desktop");
        const QByteArray installed =
            "[Desktop Entry]\nType=Application\nName=Zepla\nExec=\"/usr/local/bin/zepla\" %F\n";
        write(entry, installed);
        QCOMPARE(DesktopEntry::installForBuildRun("/home/ann/build/zepla", dataHome.path()), std::nullopt);
        QCOMPARE(read(entry), installed);
        QVERIFY(!QFile::exists(dataHome.filePath("icons/hicolor/scalable/apps/zepla.svg")));
    }

    void anUnwritableDataFolderIsReported() {
        QTemporaryDir dataHome;
        write(dataHome.filePath("applications"), "a file where the folder should be");
        const auto error = DesktopEntry::installForBuildRun("/home/ann/build/zepla", dataHome.path());
        QVERIFY(error);
        QVERIFY2(error->contains(dataHome.filePath("applications")), qPrintable(*error));
    }
};

QTEST_GUILESS_MAIN(TestDesktopEntry)
#include "test_desktop_entry.moc"
