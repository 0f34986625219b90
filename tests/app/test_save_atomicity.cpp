// Saving replaces the file whole or not at all: a process killed in the middle of a save leaves the original.
#include "LandingTestSupport.h"
#include "app/DocumentFile.h"
#include "app/FileIdentity.h"
#include "document/pages/DerivedFile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>

#include <cerrno>
#include <csignal>
#include <cstring>

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

    // A write the system cuts short (here a file size limit, as a full disk does) names its cause, and
    // the file keeps what it held; a derived copy's failure names it too.
    void aWriteCutShortNamesItsCause() {
        QTemporaryDir dir;
        const QString path = dir.filePath("document.pdf");
        QCOMPARE(app::DocumentFile::write(path, "the original").status, Status::written);
        const QByteArray large(4 * 1024 * 1024, 'x');
        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto previous = signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved;
        limited.rlim_cur = 1024 * 1024;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);
        const auto failure = app::DocumentFile::write(path, large);
        const auto derived = document::writeDerivedBytes(large, dir.filePath("derived.pdf"));
        setrlimit(RLIMIT_FSIZE, &saved);
        signal(SIGXFSZ, previous);
        const QString cause = QString::fromLocal8Bit(strerror(EFBIG));
        QCOMPARE(failure.status, Status::failed);
        QCOMPARE(failure.reason, cause);
        QCOMPARE(readTestFile(path), QByteArray("the original"));
        QVERIFY(!derived.ok());
        QVERIFY2(derived.error().message.endsWith(cause), qPrintable(derived.error().message));
        QVERIFY(!QFile::exists(dir.filePath("derived.pdf")));
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
