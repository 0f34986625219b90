// Bad files give clear errors, never a crash or a hang: empty, not a PDF, truncated, broken
// cross-reference, and a few hundred random mutations of a good file.
#include "PdfFixtures.h"
#include "pdf/PdfDocument.h"

#include <QRandomGenerator>
#include <QTest>

using namespace zepla::pdf;

class TestPdfBadInput : public QObject {
    Q_OBJECT

private slots:
    void hopelessFilesFailClearly_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("zero bytes") << QByteArray();
        QTest::newRow("plain text") << QByteArray("Dear reader, this is not a PDF at all.\n");
        QTest::newRow("header only") << QByteArray("%PDF-1.7\n");
        QTest::newRow("binary noise") << QByteArray(4096, '\xA7');
    }

    void hopelessFilesFailClearly() {
        QFETCH(QByteArray, bytes);
        auto result = Document::open(bytes);
        QVERIFY(!result.ok());
        QCOMPARE(result.error().kind, Error::Kind::Damaged);
        QVERIFY(!result.error().message.isEmpty());
    }

    void repairableFilesOpenOrFailClearly_data() {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray good = fixtures::makeTextPdf(3);
        QTest::newRow("truncated") << good.left(good.size() * 2 / 3);
        QByteArray brokenXref = good;
        brokenXref.replace("xref\n0 ", "xref\n7 ");
        brokenXref.replace(brokenXref.lastIndexOf("startxref\n") + 10, 3, "999");
        QTest::newRow("broken xref") << brokenXref;
        QByteArray noXref = good.left(good.indexOf("xref\n"));
        QTest::newRow("no xref") << noXref;
    }

    void repairableFilesOpenOrFailClearly() {
        QFETCH(QByteArray, bytes);
        auto result = Document::open(bytes);
        if (!result) {
            QVERIFY(!result.error().message.isEmpty());
            return;
        }
        auto d = result.value();
        QVERIFY(d->pageCount() >= 1);
        QVERIFY(d->pageText(0).value().contains("Page 1"));
        QVERIFY(!d->render(0, 0.5).value().isNull());
    }

    void wrongPasswordIsRefused() {
        auto plain = Document::open(fixtures::makeTextPdf(1)).value();
        auto d = Document::open(plain->save(SaveOptions{SaveOptions::Encryption::Aes256, "right", "owner!"}).value())
                     .value();
        for (const char* attempt : {"", "Right", "right ", "owner", "righ"})
            QVERIFY2(!d->authenticate(attempt), attempt);
        QVERIFY(d->isLocked());
        QVERIFY(d->authenticate("right"));
    }

    void mutatedCopiesNeverCrash() {
        fixtures::DocSpec spec;
        spec.pages = {{"First page"}, {"Second page", {0, 0, 300, 400}, {10, 10, 200, 300}, 90, true, true}};
        spec.withOutline = true;
        spec.title = "Fuzz";
        const QByteArray good = fixtures::makePdf(spec);
        QRandomGenerator random(20261210);
        int opened = 0;
        for (int round = 0; round < 400; ++round) {
            QByteArray bytes = good;
            const int edits = 1 + int(random.bounded(8));
            for (int e = 0; e < edits; ++e) {
                const qsizetype at = random.bounded(int(bytes.size()));
                switch (random.bounded(4)) {
                case 0: bytes[at] = char(random.bounded(256)); break;
                case 1: bytes.remove(at, random.bounded(32)); break;
                case 2: bytes.insert(at, QByteArray(int(random.bounded(16)), char(random.bounded(256)))); break;
                default: bytes.truncate(at); break;
                }
            }
            auto result = Document::open(bytes);
            if (!result) {
                QVERIFY(!result.error().message.isEmpty());
                continue;
            }
            auto d = result.value();
            if (d->pageCount() > 0) {
                ++opened;
                d->render(0, 0.5);
                d->structuredText(0);
                d->annotations(0);
            }
            d->outline();
            d->save();
        }
        QVERIFY(opened > 0);
    }
};

QTEST_GUILESS_MAIN(TestPdfBadInput)
#include "test_pdf_bad_input.moc"
