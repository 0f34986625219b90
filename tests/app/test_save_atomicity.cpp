// Saving replaces the file whole or not at all: a process killed in the middle of a save leaves the original.
#include "LandingTestSupport.h"
#include "app/DocumentFile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace zepla;

class TestSaveAtomicity : public QObject {
    Q_OBJECT

private slots:
    void killedSaveLeavesTheOriginalIntact() {
        QTemporaryDir dir;
        const QString path = dir.filePath("document.pdf");
        const QByteArray original = "%PDF-1.7 the original document\n";
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(original);
        file.close();

        // The child dies by a signal once a megabyte of the new bytes is written, well before the end.
        QProcess child;
        child.start(SAVE_CHILD, {path});
        QVERIFY(child.waitForFinished(10000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);

        QCOMPARE(readTestFile(path), original);
    }

    void completedSaveReplacesTheWholeFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath("document.pdf");
        QVERIFY(!app::DocumentFile::write(path, "first"));
        QVERIFY(!app::DocumentFile::write(path, "second, longer"));
        QCOMPARE(readTestFile(path), QByteArray("second, longer"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"document.pdf"});
    }

    void unwritablePlaceIsReported() {
        const auto failure = app::DocumentFile::write("/proc/zepla-test.pdf", "bytes");
        QVERIFY(failure);
        QVERIFY(!failure->isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSaveAtomicity)
#include "test_save_atomicity.moc"
