// Saving replaces the file whole or not at all: a process killed in the middle of a save leaves the original.
#include "LandingTestSupport.h"
#include "app/DocumentFile.h"
#include "app/FileIdentity.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace zepla;
using Status = app::DocumentFile::WriteResult::Status;

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
        QCOMPARE(app::DocumentFile::write(path, "first").status, Status::written);
        QCOMPARE(app::DocumentFile::write(path, "second, longer").status, Status::written);
        QCOMPARE(readTestFile(path), QByteArray("second, longer"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"document.pdf"});
    }

    void unwritablePlaceIsReported() {
        const auto failure = app::DocumentFile::write("/proc/zepla-test.pdf", "bytes");
        QCOMPARE(failure.status, Status::failed);
        QVERIFY(!failure.reason.isEmpty());
    }

    // Another program's hand between our read and our write: the file is left to it, and what we meant to
    // write is handed back for the user's answer. A file that is gone has nothing to lose and is written.
    void aFileChangedOnDiskIsNotOverwritten_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<Status>("status");
        QTest::addColumn<QByteArray>("onDisk");
        QTest::newRow("untouched") << "none" << Status::written << QByteArray("ours");
        QTest::newRow("replaced by a rename") << "replace" << Status::changedOnDisk << QByteArray("theirs");
        QTest::newRow("rewritten in place")
            << "rewrite" << Status::changedOnDisk << QByteArray("theirs, longer");
        QTest::newRow("deleted") << "delete" << Status::written << QByteArray("ours");
    }
    void aFileChangedOnDiskIsNotOverwritten() {
        QFETCH(QString, change);
        QFETCH(Status, status);
        QFETCH(QByteArray, onDisk);
        QTemporaryDir dir;
        const QString path = dir.filePath("document.pdf");
        QCOMPARE(app::DocumentFile::write(path, "original").status, Status::written);
        const auto identity = app::FileIdentity::ofPath(path);
        QVERIFY(identity);
        if (change == "replace") {
            QFile other(dir.filePath("other.pdf"));
            QVERIFY(other.open(QIODevice::WriteOnly) && other.write("theirs") == 6);
            other.close();
            QVERIFY(::rename(QFile::encodeName(other.fileName()), QFile::encodeName(path)) == 0);
        } else if (change == "rewrite") {
            QFile same(path);
            QVERIFY(same.open(QIODevice::WriteOnly | QIODevice::Truncate));
            same.write(onDisk);
        } else if (change == "delete") {
            QVERIFY(QFile::remove(path));
        }
        const auto result = app::DocumentFile::write(path, "ours", identity);
        QCOMPARE(result.status, status);
        QCOMPARE(readTestFile(path), onDisk);
        if (status == Status::changedOnDisk)
            QCOMPARE(result.bytes, QByteArray("ours"));
        else
            QCOMPARE(result.identity, app::FileIdentity::ofPath(path));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"document.pdf"});
    }
};

QTEST_GUILESS_MAIN(TestSaveAtomicity)
#include "test_save_atomicity.moc"
