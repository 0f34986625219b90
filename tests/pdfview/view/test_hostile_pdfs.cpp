// Hostile files never take the application down: each is run through open, layout, painting, rendering,
// text, extraction, merging and saving in a child process with a time limit, and must end with a verified
// save or a clear error.
#include "HostileFiles.h"
#include "pdf/PdfDocument.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray encrypt(const QByteArray& plain, const QString& password) {
    using zepla::pdf::SaveOptions;
    return zepla::pdf::Document::open(plain)
        .value()
        ->save(SaveOptions{SaveOptions::Encryption::Aes256, password, password})
        .value();
}

} // namespace

class TestHostilePdfs : public QObject {
    Q_OBJECT

private slots:
    void neverCrashNorHang() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const auto files = fixtures::hostileFiles(encrypt);
        QVERIFY(files.size() >= 20);
        int saved = 0;
        int refused = 0;
        for (const fixtures::HostileFile& file : files) {
            const QString path = dir.filePath(QString::number(saved + refused) + ".pdf");
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(file.bytes);
            out.close();

            QProcess child;
            child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            child.start(HOSTILE_CHILD, {path, file.password});
            QVERIFY2(child.waitForStarted(), qPrintable(child.errorString()));
            if (!child.waitForFinished(20000)) {
                child.kill();
                child.waitForFinished();
                QFAIL(qPrintable(file.name + ": no answer within 20 s"));
            }
            QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
                     qPrintable(file.name + ": the child crashed"));
            const QString output = QString::fromUtf8(child.readAllStandardOutput());
            const QString last = output.trimmed().split('\n').constLast();
            qInfo("%s: %s", qPrintable(file.name), qPrintable(output.trimmed().replace('\n', " / ")));
            if (last.startsWith("saved "))
                ++saved;
            else if (last.startsWith("error: ") && last.size() > 12)
                ++refused;
            else
                QFAIL(qPrintable(file.name + ": neither saved nor a clear error: " + output));
        }
        QCOMPARE(saved + refused, int(files.size()));
        QVERIFY(saved > 0);
    }
};

QTEST_GUILESS_MAIN(TestHostilePdfs)
#include "test_hostile_pdfs.moc"
