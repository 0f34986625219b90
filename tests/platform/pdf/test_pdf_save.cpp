// Saving: full rewrites without removed pages, undo after saving, and encryption on writing as other
// readers (qpdf, pdftotext) see it.
#include "ExternalTool.h"
#include "PdfFixtures.h"
#include "pdf/PdfDocument.h"

#include <QFileInfo>
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

// A tool that did not start or did not finish reads as exit code -1, never as success.
Run run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    const bool finished = p.waitForFinished(60000);
    return {finished && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            p.readAllStandardOutput()};
}

// Catalog 1, pages 2; page 3 holds a reply note (5) to the note (7) on page 4, which also holds a filled
// text field (6). Contents 8 and 9.
QByteArray replyAcrossPages() {
    const QByteArray stream = "<< /Length 0 >>\nstream\n\nendstream";
    return fixtures::assemblePdf(
        {"<< /Type /Catalog /Pages 2 0 R /AcroForm << /Fields [6 0 R] >> >>",
         "<< /Type /Pages /Kids [3 0 R 4 0 R] /Count 2 >>",
         "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 300 300] /Contents 8 0 R /Annots [5 0 R] >>",
         "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 300 300] /Contents 9 0 R /Annots [6 0 R 7 0 R] >>",
         "<< /Type /Annot /Subtype /Text /Rect [10 10 30 30] /Contents (Agreed) /IRT 7 0 R /P 3 0 R >>",
         "<< /Type /Annot /Subtype /Widget /FT /Tx /T (secret) /V (Wallabyvault) /Rect [10 50 200 70]"
         " /DA (/Helv 12 Tf 0 g) /P 4 0 R >>",
         "<< /Type /Annot /Subtype /Text /Rect [10 10 30 30] /Contents (Marmosetmemo) /P 4 0 R >>", stream,
         stream});
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

    // The removed page's field (held by the form's field list) and its note (held by a reply on another
    // page) leave the file with it, and come back with undo.
    void removedPageTakesItsFieldsAndRepliedNotes() {
        auto d = openOrFail(replyAcrossPages());
        QVERIFY(fixtures::searchable(d->save().value()).contains("Wallabyvault"));
        const PageHandle removed = d->removePage(1).value();
        const QByteArray saved = d->save().value();
        for (const QByteArray& secret : {QByteArray("Wallabyvault"), QByteArray("Marmosetmemo")}) {
            QVERIFY2(!saved.contains(secret), secret.constData());
            QVERIFY2(!fixtures::inflatedStreams(saved).contains(secret), secret.constData());
        }
        auto reopened = openOrFail(saved);
        QCOMPARE(reopened->fieldNames(), QStringList());
        QCOMPARE(reopened->annotations(0).value().at(0).contents, QStringLiteral("Agreed"));
        QCOMPARE(run("qpdf", {"--check", write("removed.pdf", saved)}).exitCode, 0);

        QVERIFY(d->insertPage(removed, 1).ok());
        const QByteArray restored = d->save().value();
        QVERIFY(fixtures::searchable(restored).contains("Wallabyvault"));
        QVERIFY(fixtures::searchable(restored).contains("Marmosetmemo"));
        QCOMPARE(openOrFail(restored)->fieldNames(), QStringList{"secret"});
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

    // A page whose dictionary cannot be parsed keeps its place, as a blank page, in the document, with or
    // without a repair of the file, and so does one lost with the end of the file; the pages after it stay
    // where they were, in the saved copy too.
    void unreadablePageKeepsItsPlace_data() {
        QTest::addColumn<QString>("damage");
        QTest::newRow("sound table") << "nesting";
        QTest::newRow("table repaired") << "nesting, table repaired";
        QTest::newRow("cut off with the end of the file") << "cut";
    }

    void unreadablePageKeepsItsPlace() {
        QFETCH(QString, damage);
        auto content = [](const QByteArray& words) {
            const QByteArray ops = "BT /Helvetica 14 Tf 20 150 Td (" + words + ") Tj ET";
            return "<< /Length " + QByteArray::number(ops.size()) + " >>\nstream\n" + ops + "\nendstream";
        };
        const QByteArray page =
            "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 300 200] /Resources << /Font << "
            "/Helvetica << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >> >> /Contents ";
        // The second page is object 4, or the last object, 9, which the file is cut before.
        const bool cut = damage == "cut";
        QByteArray bytes = fixtures::assemblePdf(
            {"<< /Type /Catalog /Pages 2 0 R >>",
             "<< /Type /Pages /Kids [3 0 R " + QByteArray(cut ? "9" : "4") + " 0 R 5 0 R] /Count 3 >>",
             page + "6 0 R >>",
             page + "7 0 R /Junk " + QByteArray(50000, '[') + QByteArray(50000, ']') + " >>",
             page + "8 0 R >>", content("Page one"), content("Page two"), content("Page three"),
             page + "7 0 R >>"});
        if (damage.endsWith("table repaired"))
            bytes.replace("xref", "xreg");
        if (cut)
            bytes.truncate(bytes.indexOf("\n9 0 obj") + 1);
        auto d = openOrFail(bytes);
        QCOMPARE(d->pageCount(), 3);
        QCOMPARE(d->unreadablePageCount(), 1);
        QVERIFY(d->pageText(0).value().contains("Page one"));
        QVERIFY(d->pageText(1).value().trimmed().isEmpty());
        QCOMPARE(d->geometry(1).value().mediaBox, QRectF(0, 0, 300, 200)); // as large as its neighbours
        QVERIFY(d->render(1, 1).ok());
        QVERIFY(d->pageText(2).value().contains("Page three"));

        const QString path = write("unreadable.pdf", d->save().value());
        QCOMPARE(run("pdfinfo", {path}).out.contains("Pages:           3"), true);
        const QByteArray text = run("pdftotext", {path, "-"}).out;
        QVERIFY(text.indexOf("Page one") < text.indexOf("Page three"));
    }

    // An object whose header is damaged, where the cross-reference places it, makes MuPDF repair the file the
    // first time it is read; read first by the save, it must not take what was edited before with it.
    void editsOutliveARepairTheFileNeeds() {
        QByteArray bytes = fixtures::makeTextPdf(3, "kept");
        const qsizetype content = bytes.lastIndexOf(" 0 obj\n<< /Length");
        QVERIFY(content > 0);
        bytes.replace(content, 7, " 0 objD"); // same length: every other object stays where it was
        auto d = openOrFail(bytes);
        QVERIFY(d->createAnnotation(0,
                                    {{"Subtype", ObjectValue::name("Square")},
                                     {"Rect", ObjectValue::numbers({20, 20, 80, 60})}},
                                    {})
                    .ok());
        const auto saved = d->save();
        QVERIFY2(saved.ok(), saved.ok() ? "" : qPrintable(saved.error().message));
        auto reopened = openOrFail(saved.value());
        QCOMPARE(reopened->pageCount(), 3);
        QCOMPARE(reopened->annotations(0).value().size(), std::size_t(1));
        QCOMPARE(d->annotations(0).value().size(), std::size_t(1));
    }

    // A saved file packs its objects into object streams where the copy is not encrypted, which makes it
    // smaller than mutool's compressed rewrite, and every reader reads it as the document was: MuPDF,
    // poppler and qpdf, turned and cropped pages, text, links, and the password of a protected copy.
    void savedFileReadsEverywhere_data() {
        QTest::addColumn<QString>("password");
        QTest::newRow("plain") << QString();
        QTest::newRow("protected") << QStringLiteral("pw");
    }

    void savedFileReadsEverywhere() {
        QFETCH(QString, password);
        constexpr int pages = 40;
        fixtures::DocSpec spec;
        for (int i = 0; i < pages; ++i) {
            fixtures::PageSpec page{QStringLiteral("Leaf %1 %2").arg(i + 1).arg(QString(kUniqueWord)),
                                    {0, 0, 612, 792},
                                    {},
                                    (i % 4) * 90,
                                    i % 5 == 0};
            if (i % 3 == 1)
                page.cropBox = QRectF(36, 48, 400, 500);
            if (i % 7 == 2)
                page.linkToPage = i / 2;
            spec.pages.append(page);
        }
        spec.withOutline = true;
        const QByteArray original = fixtures::makePdf(spec);
        auto d = openOrFail(original);
        if (!password.isEmpty()) {
            d = openOrFail(d->save(SaveOptions{SaveOptions::Encryption::Aes256, password, "owner"}).value());
            QVERIFY(d->authenticate(password));
        }
        const QByteArray saved = d->save().value();
        QVERIFY(d->verifyCopy(saved).ok()); // every page loaded from the packed objects
        const QString path = write("everywhere.pdf", saved);
        const QString originalPath = write("original.pdf", original);
        const QStringList popplerPassword =
            password.isEmpty() ? QStringList() : QStringList{"-upw", password};
        const QStringList mutoolPassword = password.isEmpty() ? QStringList() : QStringList{"-p", password};

        const QString cleaned = m_dir.filePath("cleaned.pdf");
        QCOMPARE(
            run("mutool", QStringList{"clean"} + mutoolPassword + QStringList{"-gz", path, cleaned}).exitCode,
            0);
        if (password.isEmpty()) {
            QVERIFY(saved.contains("/ObjStm"));
            qInfo("saved %lld bytes, mutool clean -gz %lld", saved.size(), QFileInfo(cleaned).size());
            QVERIFY(saved.size() < QFileInfo(cleaned).size());
        } else {
            QCOMPARE(run("qpdf", {"--requires-password", path}).exitCode, 0);
            QVERIFY(run("pdftotext", {path, "-"}).exitCode != 0);
        }
        QCOMPARE(run("qpdf", {"--check", "--password=" + password, path}).exitCode, 0);

        // Poppler sees every page with its size, turn and boxes, and its text, as in the original.
        auto pageLines = [&](const QString& file, const QStringList& extra) {
            QByteArrayList lines;
            const Run info =
                run("pdfinfo", extra + QStringList{"-f", "1", "-l", QString::number(pages), "-box", file});
            for (const QByteArray& line : info.out.split('\n'))
                if (line.startsWith("Page ") || line.startsWith("Pages:"))
                    lines.append(line);
            return lines;
        };
        const QByteArrayList expectedPages = pageLines(originalPath, {});
        QCOMPARE(expectedPages.size(), 1 + pages * 7);
        QCOMPARE(pageLines(path, popplerPassword), expectedPages);
        QCOMPARE(run("pdftotext", popplerPassword + QStringList{path, "-"}).out,
                 run("pdftotext", {originalPath, "-"}).out);

        // MuPDF's own tool reads the last page's text and every link.
        const Run lastPage =
            run("mutool", QStringList{"draw"} + mutoolPassword +
                              QStringList{"-F", "txt", "-o", "-", path, QString::number(pages)});
        QCOMPARE(lastPage.exitCode, 0);
        QVERIFY(lastPage.out.contains(QStringLiteral("Leaf %1 ").arg(pages).toUtf8() + kUniqueWord));
        auto reopened = openOrFail(saved);
        if (reopened->isLocked())
            QVERIFY(reopened->authenticate(password));
        QCOMPARE(reopened->pageCount(), pages);
        QCOMPARE(reopened->outline().size(), size_t(2));
        for (int i = 2; i < pages; i += 7)
            QCOMPARE(reopened->links(i).value().front().pageIndex, i / 2);
    }

    // A file that came with object streams is saved with object streams, so it does not grow; its
    // encryption stays.
    void objectStreamsAreKept_data() {
        QTest::addColumn<QStringList>("encryption");
        QTest::newRow("plain") << QStringList();
        QTest::newRow("AES 256") << QStringList{"--encrypt", "pw", "owner", "256", "--"};
    }

    void objectStreamsAreKept() {
        QFETCH(QStringList, encryption);
        fixtures::DocSpec spec;
        for (int i = 0; i < 300; ++i)
            spec.pages.append(fixtures::PageSpec{
                QStringLiteral("Page %1").arg(i + 1), {0, 0, 612, 792}, {}, 0, i % 3 == 0});
        spec.withOutline = true;
        const QString plain = write("plain.pdf", fixtures::makePdf(spec));
        const QString packed = m_dir.filePath("packed.pdf");
        QCOMPARE(run("qpdf", encryption + QStringList{"--object-streams=generate", plain, packed}).exitCode,
                 0);
        QFile file(packed);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray original = file.readAll();

        auto d = openOrFail(original);
        if (d->isLocked())
            QVERIFY(d->authenticate("pw"));
        const QByteArray saved = d->save().value();
        qInfo("original %lld bytes, saved %lld bytes", original.size(), saved.size());
        QVERIFY(saved.contains("/ObjStm"));
        QVERIFY(saved.size() <= original.size() * 11 / 10);
        auto reopened = openOrFail(saved);
        QCOMPARE(reopened->isLocked(), !encryption.isEmpty());
        if (reopened->isLocked())
            QVERIFY(reopened->authenticate("pw"));
        QCOMPARE(reopened->pageCount(), 300);
        QCOMPARE(reopened->outline().size(), size_t(2));
        QCOMPARE(run("qpdf", {"--check", "--password=pw", write("saved.pdf", saved)}).exitCode, 0);
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
