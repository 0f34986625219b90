// Saving: full rewrites without removed pages, undo after saving, and encryption on writing as other
// readers (qpdf, pdftotext) see it.
#include "ExternalTool.h"
#include "PdfFixtures.h"
#include "pdf/PdfDocument.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace zepla::pdf;

namespace {

const QByteArray kUniqueWord = "Quagmirezebra";

std::shared_ptr<Document> openOrFail(const QByteArray& bytes) {
    auto result = Document::open(bytes);
    if (!result)
        qFatal("open failed: %s", qPrintable(result.error().message));
    return result.value();
}

struct Run {
    int exitCode;
    QByteArray out;
};

Run run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput()};
}

} // namespace

class TestPdfSave : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString write(const QString& name, const QByteArray& bytes) {
        return writeTestBytes(m_dir.filePath(name), bytes);
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        if (QStandardPaths::findExecutable("qpdf").isEmpty() ||
            QStandardPaths::findExecutable("pdftotext").isEmpty())
            QFAIL("qpdf and pdftotext are needed (scripts/setup installs them)");
    }

    void removedPageLeavesNoTraceAndUndoStillWorks_data() {
        QTest::addColumn<bool>("withOutline");
        QTest::newRow("plain") << false;
        // The outline's second entry points at the removed page: that reference must not drag it along.
        QTest::newRow("outline points at it") << true;
    }

    void removedPageLeavesNoTraceAndUndoStillWorks() {
        QFETCH(bool, withOutline);
        fixtures::DocSpec spec;
        spec.pages = {{"Page one"}, {"Page two " + kUniqueWord}, {"Page three"}};
        spec.withOutline = withOutline;
        auto d = openOrFail(fixtures::makePdf(spec));
        QVERIFY(fixtures::inflatedStreams(d->save().value()).contains(kUniqueWord));

        const PageHandle removed = d->removePage(1).value();
        if (withOutline) // the entry loses its page while the page is out; the rest of the outline stays
            QCOMPARE(d->outline().at(1).pageIndex, -1);
        const QByteArray saved = d->save().value();
        QVERIFY(!saved.contains(kUniqueWord));
        QVERIFY(!fixtures::inflatedStreams(saved).contains(kUniqueWord));
        QCOMPARE(openOrFail(saved)->pageCount(), 2);
        if (withOutline)
            QCOMPARE(openOrFail(saved)->outline().at(1).pageIndex, -1);

        // Undo after the save: the very same page comes back with its content and saves again.
        QVERIFY(d->insertPage(removed, 1).ok());
        QVERIFY(d->pageText(1).value().contains(kUniqueWord));
        if (withOutline)
            QCOMPARE(d->outline().at(1).pageIndex, 1);
        auto again = openOrFail(d->save().value());
        QCOMPARE(again->pageCount(), 3);
        QVERIFY(again->pageText(1).value().contains(kUniqueWord));
    }

    void copiedPagesNeverDragOtherPagesAlong() {
        // Page 1 links to page 3, which holds the word; copying page 1 alone must not copy page 3.
        fixtures::DocSpec spec;
        fixtures::PageSpec first{"Page one"};
        first.linkToPage = 2;
        spec.pages = {first, {"Page two"}, {"Page three " + kUniqueWord}};
        auto source = openOrFail(fixtures::makePdf(spec));

        auto alone = Document::createEmpty();
        QCOMPARE(int(alone->copyPages(*source, {0}, 0).size()), 1);
        const QByteArray saved = alone->save().value();
        QVERIFY(!fixtures::inflatedStreams(saved).contains(kUniqueWord));
        QVERIFY(!fixtures::inflatedStreams(saved).contains("Page two"));
        QCOMPARE(openOrFail(saved)->pageCount(), 1);

        // Copied together, the link points at the copy of its page.
        auto both = Document::createEmpty();
        QCOMPARE(int(both->copyPages(*source, {0, 2}, 0).size()), 2);
        auto reopened = openOrFail(both->save().value());
        const auto links = reopened->links(0).value();
        QCOMPARE(int(links.size()), 1);
        QCOMPARE(links[0].pageIndex, 1);
    }

    void aes256IsWhatOtherReadersSee() {
        auto d = openOrFail(fixtures::makeTextPdf(2, "classified"));
        const QByteArray bytes =
            d->save(SaveOptions{SaveOptions::Encryption::Aes256, "u-pass", "o-pass"}).value();
        const QString path = write("protected.pdf", bytes);
        QVERIFY(!fixtures::inflatedStreams(bytes).contains("classified"));

        QCOMPARE(run("qpdf", {"--requires-password", path}).exitCode, 0); // 0: a password is required
        QVERIFY(run("pdftotext", {path, "-"}).exitCode != 0);
        const Run withUser = run("pdftotext", {"-upw", "u-pass", path, "-"});
        QCOMPARE(withUser.exitCode, 0);
        QVERIFY(withUser.out.contains("Page 2 classified"));
        QVERIFY(run("qpdf", {"--show-encryption", "--password=o-pass", path}).out.contains("AESv3"));
    }

    void normalSaveKeepsProtectionAndDecryptRemovesIt() {
        auto plain = openOrFail(fixtures::makeTextPdf(3, "kept"));
        auto d = openOrFail(plain->save(SaveOptions{SaveOptions::Encryption::Aes256, "pw", "owner"}).value());
        QVERIFY(d->authenticate("pw"));
        QVERIFY(d->removePage(0).ok());

        const QString kept = write("kept.pdf", d->save().value());
        QCOMPARE(run("qpdf", {"--requires-password", kept}).exitCode, 0);
        auto reopened = openOrFail(d->save().value());
        QVERIFY(reopened->isLocked());
        QVERIFY(reopened->authenticate("pw"));
        QCOMPARE(reopened->pageCount(), 2);

        const QString open = write("open.pdf", d->save(SaveOptions{SaveOptions::Encryption::None}).value());
        QCOMPARE(run("qpdf", {"--requires-password", open}).exitCode, 2); // 2: not encrypted
        QVERIFY(run("pdftotext", {open, "-"}).out.contains("Page 2 kept"));
    }

    void lockedDocumentDoesNotSave() {
        auto plain = openOrFail(fixtures::makeTextPdf(1));
        auto locked =
            openOrFail(plain->save(SaveOptions{SaveOptions::Encryption::Aes256, "pw", "pw"}).value());
        auto result = locked->save();
        QVERIFY(!result.ok());
        QCOMPARE(result.error().kind, Error::Kind::NeedsPassword);
    }
};

QTEST_GUILESS_MAIN(TestPdfSave)
#include "test_pdf_save.moc"
