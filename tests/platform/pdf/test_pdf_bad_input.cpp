// Bad files give clear errors, never a crash or a hang: empty, not a PDF, truncated, broken
// cross-reference, and a few hundred random mutations of a good file.
#include "PdfFixtures.h"
#include "pdf/PdfDocument.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace zepla::pdf;

namespace {

// A page showing `word`, its content in object `content`, under the node `parent`.
QByteArray pageBody(int parent, int content) {
    return "<< /Type /Page /Parent " + QByteArray::number(parent) +
           " 0 R /MediaBox [0 0 200 200] /Contents " + QByteArray::number(content) + " 0 R >>";
}

QByteArray content(const QByteArray& word) {
    const QByteArray ops = "BT /Helvetica 12 Tf 20 100 Td (" + word + ") Tj ET";
    return "<< /Length " + QByteArray::number(ops.size()) + " >>\nstream\n" + ops + "\nendstream";
}

// Catalog 1, root node 2, pages 3 and 4 (contents 5 and 6), and `extra` objects from 7 on.
QByteArray twoPageTree(const QByteArray& rootNode, QList<QByteArray> extra = {}) {
    QList<QByteArray> objects{"<< /Type /Catalog /Pages 2 0 R >>",
                              rootNode,
                              pageBody(2, 5),
                              pageBody(2, 6),
                              content("Alpha"),
                              content("Beta")};
    return fixtures::assemblePdf(objects + extra);
}

// The error's message of a failed result, for the test log.
template <class R> QByteArray why(const R& result) {
    return result.ok() ? QByteArray() : result.error().message.toUtf8();
}

} // namespace

class TestPdfBadInput : public QObject {
    Q_OBJECT

private slots:
    void hopelessFilesFailClearly_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("zero bytes") << QByteArray();
        QTest::newRow("plain text") << QByteArray("Dear reader, this is not a PDF at all.\n");
        QTest::newRow("header only") << QByteArray("%PDF-1.7\n");
        QTest::newRow("binary noise") << QByteArray(4096, '\xA7');
        // Repair fails, and there is no end of an object to cut back to.
        QTest::newRow("object stream cut before any object ends")
            << QByteArray("%PDF-1.7\n1 0 obj\n<< /Type /ObjStm /N 1 /First 4 /Length 99 >>\nstream\n1 0 <<");
    }

    void hopelessFilesFailClearly() {
        QFETCH(QByteArray, bytes);
        auto result = Document::open(bytes);
        QVERIFY(!result.ok());
        QCOMPARE(result.error().kind, Error::Kind::Damaged);
        QVERIFY(!result.error().message.isEmpty());
    }

    void damagedFilesAreRepairedOrRefusedAsDamaged_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("repairable"); // MuPDF's repair must read it back
        const QByteArray good = fixtures::makeTextPdf(3);
        QTest::newRow("truncated after an object")
            << good.left(good.indexOf("endobj", good.size() / 2) + 6) << true;
        QByteArray brokenXref = good;
        brokenXref.replace("xref\n0 ", "xref\n7 ");
        brokenXref.replace(brokenXref.lastIndexOf("startxref\n") + 10, 3, "999");
        QTest::newRow("broken xref") << brokenXref << true;
        QTest::newRow("no xref") << good.left(good.indexOf("xref\n")) << true;
        // MuPDF 1.21's repair may give up on a dictionary cut in half; then it must say the file is damaged.
        QTest::newRow("truncated inside an object")
            << good.left(good.indexOf("/MediaBox", good.size() / 2) + 4) << false;
    }

    // An open error must be the damaged-file error, and only where repair may not help: an error on a
    // repairable row means the repair stopped working.
    void damagedFilesAreRepairedOrRefusedAsDamaged() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, repairable);
        auto result = Document::open(bytes);
        QVERIFY2(result.ok() || !repairable, why(result).constData());
        if (!result) {
            QCOMPARE(result.error().kind, Error::Kind::Damaged);
            QVERIFY(result.error().message.startsWith("The file is not a PDF document or is too damaged"));
            return;
        }
        auto d = result.value();
        QVERIFY(d->pageCount() >= 1);
        QVERIFY(d->pageText(0).value().contains("Page 1"));
        QVERIFY(!d->render(0, 0.5).value().isNull());
    }

    // Page trees that lie are read for the pages that really exist, and saved as a sound tree.
    void damagedPageTreesShowTheirRealPages_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("pages");
        QTest::newRow("count lie") << twoPageTree("<< /Type /Pages /Kids [3 0 R 4 0 R] /Count 2147483647 >>")
                                   << 2;
        QTest::newRow("negative count")
            << twoPageTree("<< /Type /Pages /Kids [3 0 R 4 0 R] /Count -1 >>") << 2;
        QTest::newRow("null kid") << twoPageTree("<< /Type /Pages /Kids [3 0 R null 4 0 R] /Count 3 >>") << 2;
        QTest::newRow("kid that is its node")
            << twoPageTree("<< /Type /Pages /Kids [3 0 R 2 0 R 4 0 R] /Count 3 >>") << 2;
        QTest::newRow("page listed twice")
            << twoPageTree("<< /Type /Pages /Kids [3 0 R 4 0 R 3 0 R] /Count 3 >>") << 2;
        QTest::newRow("loop below the root")
            << twoPageTree("<< /Type /Pages /Kids [3 0 R 7 0 R] /Count 2 >>",
                           {"<< /Type /Pages /Parent 2 0 R /Kids [4 0 R 7 0 R] /Count 1 >>"})
            << 2;
        QTest::newRow("catalog names a page")
            << fixtures::assemblePdf({"<< /Type /Catalog /Pages 2 0 R >>", pageBody(1, 3), content("Alpha")})
            << 1;
        // 2,000 nodes each holding the next; the one page at the bottom.
        QList<QByteArray> deep{"<< /Type /Catalog /Pages 2 0 R >>"};
        constexpr int depth = 2000;
        for (int i = 0; i < depth; ++i)
            deep << "<< /Type /Pages /Kids [" + QByteArray::number(i + 3) + " 0 R] /Count 1 >>";
        deep << pageBody(depth + 1, depth + 3) << content("Alpha");
        QTest::newRow("deep nesting") << fixtures::assemblePdf(deep) << 1;
    }

    void damagedPageTreesShowTheirRealPages() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, pages);
        auto opened = Document::open(bytes);
        QVERIFY2(opened.ok(), why(opened).constData());
        auto d = opened.value();
        QCOMPARE(d->pageCount(), pages);
        QVERIFY(d->page(pages).isNull());
        const QStringList words{"Alpha", "Beta"};
        for (int i = 0; i < pages; ++i) {
            auto text = d->pageText(i);
            QVERIFY2(text.ok(), why(text).constData());
            QVERIFY2(text.value().contains(words[i]), qPrintable(text.value()));
            QVERIFY(d->render(i, 0.5).ok());
        }

        auto saved = d->save();
        QVERIFY2(saved.ok(), why(saved).constData());
        QCOMPARE(Document::open(saved.value()).value()->pageCount(), pages);
        QTemporaryDir dir;
        QFile file(dir.filePath("saved.pdf"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(saved.value());
        file.close();
        QProcess qpdf;
        qpdf.start("qpdf", {"--check", file.fileName()});
        QVERIFY2(qpdf.waitForFinished(30000), "qpdf did not run (scripts/setup installs it)");
        QCOMPARE(qpdf.exitStatus(), QProcess::NormalExit);
        QVERIFY2(qpdf.exitCode() == 0, qpdf.readAllStandardOutput().constData());
    }

    // A form field that is its own parent must not make copying its page loop.
    void selfParentedFieldIsCopied() {
        const QByteArray bytes = fixtures::assemblePdf(
            {"<< /Type /Catalog /Pages 2 0 R /AcroForm << /Fields [7 0 R] >> >>",
             "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
             "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Contents 4 0 R /Annots [7 0 R] >>",
             content("Alpha"), "<< >>", "<< >>",
             "<< /Type /Annot /Subtype /Widget /FT /Tx /T (loop) /V (kept) /Rect [10 10 90 30] /Parent 7 0 R "
             ">>"});
        auto source = Document::open(bytes).value();
        auto target = Document::createEmpty();
        int failures = -1;
        QCOMPARE(target->copyPages(*source, {0}, 0, &failures).size(), size_t(1));
        QCOMPARE(failures, 0);
        QCOMPARE(target->pageCount(), 1);
        QVERIFY(target->fieldNames().contains("loop"));
    }

    void wrongPasswordIsRefused() {
        auto plain = Document::open(fixtures::makeTextPdf(1)).value();
        auto d = Document::open(
                     plain->save(SaveOptions{SaveOptions::Encryption::Aes256, "right", "owner!"}).value())
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
        int verified = 0;
        for (int round = 0; round < 400; ++round) {
            QByteArray bytes = good;
            const int edits = 1 + int(random.bounded(8));
            for (int e = 0; e < edits; ++e) {
                const qsizetype at = random.bounded(int(bytes.size()));
                switch (random.bounded(4)) {
                case 0:
                    bytes[at] = char(random.bounded(256));
                    break;
                case 1:
                    bytes.remove(at, random.bounded(32));
                    break;
                case 2:
                    bytes.insert(at, QByteArray(int(random.bounded(16)), char(random.bounded(256))));
                    break;
                default:
                    bytes.truncate(at);
                    break;
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
            // A save is verified bytes with the pages shown, or a clear error.
            auto saved = d->save();
            if (saved) {
                ++verified;
                QCOMPARE(Document::open(saved.value()).value()->pageCount(), d->pageCount());
            } else {
                QVERIFY(!saved.error().message.isEmpty());
            }
        }
        QVERIFY(opened > 0);
        QVERIFY(verified > 0);
    }
};

QTEST_GUILESS_MAIN(TestPdfBadInput)
#include "test_pdf_bad_input.moc"
