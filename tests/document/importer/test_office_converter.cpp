// LibreOffice as a converter: a real conversion, and a missing, hanging or crashing program each ending in
// its own error with nothing left running.
#include "ExternalTool.h"
#include "convert/OfficeConverter.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <signal.h>

using namespace zepla::platform;

namespace {

ConversionError::Kind errorKind(const ConversionResult& result) {
    if (result)
        qFatal("the conversion was expected to fail");
    return result.error().kind;
}

QString messageOf(const ConversionResult& result) {
    return result ? QString() : result.error().message;
}

bool processExists(qint64 pid) {
    return ::kill(pid_t(pid), 0) == 0;
}

} // namespace

class TestOfficeConverter : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString script(const QString& name, const QByteArray& body) {
        const QString path = writeTestBytes(m_dir.filePath(name), "#!/bin/sh\n" + body);
        QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner);
        return path;
    }

    QString source() {
        return writeTestBytes(m_dir.filePath("letter.rtf"), "{\\rtf1\\ansi Dear zebra keeper}");
    }

private slots:
    void convertsWithLibreOffice() {
        const ConversionResult result = OfficeConverter::toPdf(source(), m_dir.path());
        QVERIFY2(result.ok(), qPrintable(messageOf(result)));
        QCOMPARE(result.value(), m_dir.filePath("letter.pdf"));
        QVERIFY(QString::fromUtf8(runTool("pdftotext", {result.value(), "-"}).out).contains("zebra keeper"));
        // The profile and the work folder are gone again.
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList());
    }

    void missingProgramSaysSo() {
        OfficeConverter::Options options;
        options.program = m_dir.filePath("no-such-soffice");
        const ConversionResult result = OfficeConverter::toPdf(source(), m_dir.path(), options);
        QCOMPARE(errorKind(result), ConversionError::Kind::Missing);
        QVERIFY(messageOf(result).contains("LibreOffice"));
    }

    // A program that hangs, with a helper of its own, is stopped at the time limit: the helper too.
    void hangingProgramIsKilledWithItsHelpers() {
        const QString pidFile = m_dir.filePath("helper.pid");
        OfficeConverter::Options options;
        options.program =
            script("hanging-soffice", "sleep 300 &\necho $! > " + pidFile.toUtf8() + "\nsleep 300\n");
        options.timeLimit = std::chrono::milliseconds(1500);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(errorKind(OfficeConverter::toPdf(source(), m_dir.path(), options)),
                 ConversionError::Kind::TimedOut);
        QVERIFY(clock.elapsed() < testsupport::hangGuardMs); // far short of the program's 300 s
        QFile helper(pidFile);
        QVERIFY(helper.open(QIODevice::ReadOnly));
        const qint64 helperPid = helper.readAll().trimmed().toLongLong();
        QVERIFY(helperPid > 0);
        QTRY_VERIFY(!processExists(helperPid));
    }

    void cancellingStopsAtOnce() {
        std::atomic<bool> cancelled{true};
        OfficeConverter::Options options;
        options.program = script("slow-soffice", "sleep 300\n");
        options.cancelled = &cancelled;
        QCOMPARE(errorKind(OfficeConverter::toPdf(source(), m_dir.path(), options)),
                 ConversionError::Kind::Cancelled);
    }

    void crashOrNoOutputIsAFailure_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("crash") << QByteArray("kill -SEGV $$\n");
        QTest::newRow("writes nothing") << QByteArray("exit 0\n");
        QTest::newRow("error status") << QByteArray("exit 81\n");
    }
    void crashOrNoOutputIsAFailure() {
        QFETCH(QByteArray, body);
        OfficeConverter::Options options;
        options.program = script("broken-soffice", body);
        QCOMPARE(errorKind(OfficeConverter::toPdf(source(), m_dir.path(), options)),
                 ConversionError::Kind::Failed);
    }
};

QTEST_MAIN(TestOfficeConverter)
#include "test_office_converter.moc"
