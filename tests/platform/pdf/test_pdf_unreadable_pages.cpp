// Pages of a file that cannot be parsed: shown blank, saved back as the file held them with what they refer
// to, as other readers (qpdf, mutool, pdftoppm) and a second opening see the copy; and the byte-level reading
// of such objects.
#include "ExternalTool.h"
#include "PdfFixtures.h"
#include "pdf/PdfDocument.h"
#include "pdf/PdfRawObject.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace zepla::pdf;

namespace {

const QByteArray kNesting = QByteArray(50000, '[') + QByteArray(50000, ']');

QByteArray contentStream(const QByteArray& words) {
    const QByteArray ops = "BT /Helvetica 14 Tf 20 150 Td (" + words + ") Tj ET";
    return "<< /Length " + QByteArray::number(ops.size()) + " >>\nstream\n" + ops + "\nendstream";
}

// Three pages (objects 3, 4, 5) showing "Page one", "Page two", "Page three" from contents 6, 7, 8. The
// middle page's dictionary holds `junk`.
QByteArray threePages(const QByteArray& junk) {
    const QByteArray page =
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 300 200] /Resources << /Font << "
        "/Helvetica << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >> >> /Contents ";
    return fixtures::assemblePdf(
        {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R 4 0 R 5 0 R] /Count 3 >>",
         page + "6 0 R >>", page + "7 0 R /Junk " + junk + " >>", page + "8 0 R >>",
         contentStream("Page one"), contentStream("Page two"), contentStream("Page three")});
}

// The middle page's dictionary nests beyond what a reader parses.
QByteArray nestedMiddlePage() {
    return threePages(kNesting);
}

// Nesting that MuPDF cannot parse while poppler and qpdf read through it.
const QByteArray kDeepNesting = QByteArray(300, '[') + QByteArray(300, ']');

// Which object the unreadable middle page of `pageWithDamagedParts` refers to that MuPDF cannot parse either.
enum class DamagedPart { Content, Font, ContentWithItsLength };

// Three pages (objects 3, 4, 5) showing "Page one", "Page two", "Page three" from contents 6, 7, 8 in font 9.
// The middle page nests too deep for MuPDF, and so does `damaged` of what it refers to: its content stream
// 7, or its font 10 (a font of its own); or content 7, whose /Length is object 10.
QByteArray pageWithDamagedParts(DamagedPart damaged) {
    const QByteArray junk = " /Junk " + kDeepNesting;
    auto page = [](int contents, int font, const QByteArray& extra) {
        return "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 300 200] /Resources << /Font << /F1 " +
               QByteArray::number(font) + " 0 R >> >> /Contents " + QByteArray::number(contents) + " 0 R" +
               extra + " >>";
    };
    auto content = [](const QByteArray& words, const QByteArray& length, const QByteArray& extra) {
        const QByteArray ops = "BT /F1 14 Tf 20 150 Td (" + words + ") Tj ET";
        return "<< /Length " + (length.isEmpty() ? QByteArray::number(ops.size()) : length) + extra +
               " >>\nstream\n" + ops + "\nendstream";
    };
    const QByteArray font = "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica";
    QList<QByteArray> objects{"<< /Type /Catalog /Pages 2 0 R >>",
                              "<< /Type /Pages /Kids [3 0 R 4 0 R 5 0 R] /Count 3 >>",
                              page(6, 9, {}),
                              page(7, damaged == DamagedPart::Font ? 10 : 9, junk),
                              page(8, 9, {}),
                              content("Page one", {}, {}),
                              content("Page two", {}, {}),
                              content("Page three", {}, {}),
                              font + " >>"};
    switch (damaged) {
    case DamagedPart::Content:
        objects[6] = content("Page two", {}, junk);
        break;
    case DamagedPart::Font:
        objects << font + junk + " >>";
        break;
    case DamagedPart::ContentWithItsLength:
        objects[6] = content("Page two", "10 0 R", junk);
        objects << QByteArray::number(qstrlen("BT /F1 14 Tf 20 150 Td (Page two) Tj ET"));
        break;
    }
    return fixtures::assemblePdf(objects);
}

// What a file holds of object `number` between "obj" and "endobj", found by its header.
QByteArray bodyOf(const QByteArray& file, int number) {
    const QByteArray header = "\n" + QByteArray::number(number) + " 0 obj";
    const qsizetype at = file.indexOf(header) + header.size();
    return file.mid(at, file.indexOf("endobj", at) - at);
}

std::shared_ptr<Document> openOrFail(const QByteArray& bytes) {
    auto result = Document::open(bytes);
    if (!result)
        qFatal("open failed: %s", qPrintable(result.error().message));
    return result.value();
}

// qpdf's complaints about a file, without the offsets that differ from one file to another.
QStringList qpdfIssues(const QString& path) {
    QProcess qpdf;
    qpdf.start("qpdf", {"--check", path});
    qpdf.waitForFinished(60000);
    QStringList issues;
    const QString out = QString::fromUtf8(qpdf.readAllStandardOutput() + qpdf.readAllStandardError());
    for (QString line : out.split('\n'))
        if (line.contains("WARNING") || line.contains("ERROR") || line.contains("error"))
            issues
                << line.remove(QRegularExpression("[^:]*\\.pdf")).remove(QRegularExpression("offset \\d+"));
    issues.removeDuplicates();
    return issues;
}

} // namespace

class TestPdfUnreadablePages : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString write(const QString& name, const QByteArray& bytes) {
        return writeTestBytes(m_dir.filePath(name), bytes);
    }

private slots:
    void objectsReadAsBytes() {
        // Where an object ends, whatever its strings, nesting and stream data hold.
        const QByteArray file = "%PDF-1.7\n4 0 obj\n<< /A (endobj \\) R) /B " + kNesting +
                                " /C 7 0 R >>\nendobj\n5 0 obj\n<< /Length 6 0 R >>\nstream\nendobj 9 0 R\n"
                                "endstream\nendobj\n";
        const qsizetype four = file.indexOf("4 0 obj"), five = file.indexOf("5 0 obj");
        const QByteArray body = raw::objectBody(file, four, 4, 0);
        QVERIFY(body.startsWith("\n<< /A (endobj \\) R)") && body.endsWith(" /C 7 0 R >>\n"));
        QVERIFY(raw::objectBody(file, five, 5, 0).endsWith("endstream\n"));
        QCOMPARE(raw::references(body), std::vector<int>{7});
        QCOMPARE(raw::references(raw::objectBody(file, five, 5, 0)), std::vector<int>{6}); // not the data's
        QVERIFY(raw::objectBody(file, four, 5, 0).isEmpty()); // the header names another object
        QVERIFY(raw::objectBody(file, -1, 4, 0).isEmpty());
        QVERIFY(raw::objectBody(file, file.size() + 10, 4, 0).isEmpty());
        QVERIFY(raw::objectBody(file.left(five - 8), four, 4, 0).isEmpty()); // no end
    }

    void entriesSetAsBytes_data() {
        QTest::addColumn<QByteArray>("dictionary");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("replaced") << QByteArray("<< /Parent 9 0 R /Kids [1 0 R] >>")
                                  << QByteArray("<< /Parent 2 0 R /Kids [1 0 R] >>");
        QTest::newRow("already so") << QByteArray("<</Parent 2 0 R>>") << QByteArray("<</Parent 2 0 R>>");
        QTest::newRow("added") << QByteArray("<< /Type /Page >>")
                               << QByteArray("<< /Parent 2 0 R /Type /Page >>");
        QTest::newRow("inner one left") << QByteArray("<< /A << /Parent 9 0 R >> >>")
                                        << QByteArray("<< /Parent 2 0 R /A << /Parent 9 0 R >> >>");
        QTest::newRow("dictionary value")
            << QByteArray("<< /Parent << /X [1] >> /B 1 >>") << QByteArray("<< /Parent 2 0 R /B 1 >>");
        QTest::newRow("behind a string") << QByteArray("<< /T (/Parent 9 0 R) /Parent null >>")
                                         << QByteArray("<< /T (/Parent 9 0 R) /Parent 2 0 R >>");
        QTest::newRow("not a dictionary") << QByteArray("[/Parent 9 0 R]") << QByteArray("[/Parent 9 0 R]");
    }

    void entriesSetAsBytes() {
        QFETCH(QByteArray, dictionary);
        QFETCH(QByteArray, expected);
        QCOMPARE(raw::withEntry(dictionary, "/Parent", "2 0 R"), expected);
    }

    // Edited on another page and saved, the file keeps the unreadable page as it was, with its content; every
    // other reader reads the other pages, and reading the copy again finds the same unreadable page.
    void unreadablePageIsSavedAsTheFileHeldIt_data() {
        QTest::addColumn<bool>("damagedTable");
        QTest::newRow("sound table") << false;
        QTest::newRow("table repaired") << true;
    }

    void unreadablePageIsSavedAsTheFileHeldIt() {
        QFETCH(bool, damagedTable);
        QByteArray original = nestedMiddlePage();
        if (damagedTable)
            original.replace("xref", "xreg");
        const QByteArray pageBytes = bodyOf(original, 4);
        QVERIFY(pageBytes.contains(kNesting));
        auto d = openOrFail(original);
        QCOMPARE(d->unreadablePageCount(), 1);
        QVERIFY(d->pageText(1).value().trimmed().isEmpty()); // shown blank
        QVERIFY(d->createAnnotation(0,
                                    {{"Subtype", ObjectValue::name("Text")},
                                     {"Rect", ObjectValue::numbers({20, 20, 40, 40})},
                                     {"Contents", ObjectValue::text("Noted")}},
                                    {})
                    .ok());

        const auto saved = d->save();
        QVERIFY2(saved.ok(), saved.ok() ? "" : qPrintable(saved.error().message));
        const QByteArray copy = saved.value();
        QVERIFY(copy.contains("4 0 obj" + pageBytes + "endobj"));
        QVERIFY(fixtures::inflatedStreams(copy).contains("(Page two)")); // what the page shows came along

        const QString path = write("copy.pdf", copy);
        for (const QString& page : {QStringLiteral("1"), QStringLiteral("3")}) {
            QCOMPARE(runTool("mutool", {"draw", "-o", m_dir.filePath("page.png"), path, page}).exitCode, 0);
            QCOMPARE(runTool("pdftoppm", {"-f", page, "-l", page, "-r", "20", path, m_dir.filePath("ppm")})
                         .exitCode,
                     0);
        }
        const QByteArray text = runTool("pdftotext", {path, "-"}).out;
        QVERIFY(text.contains("Page one") && text.contains("Page three"));
        QVERIFY(runTool("pdfinfo", {path}).out.contains("Pages:           3"));
        // qpdf finds the unparseable page of the original in the copy, and nothing else.
        const QStringList copyIssues = qpdfIssues(path);
        QVERIFY(!copyIssues.isEmpty());
        const QStringList originalIssues = qpdfIssues(write("original.pdf", nestedMiddlePage()));
        for (const QString& issue : copyIssues)
            QVERIFY2(originalIssues.contains(issue), qPrintable(issue));

        auto reopened = openOrFail(copy);
        QCOMPARE(reopened->pageCount(), 3);
        QCOMPARE(reopened->unreadablePageCount(), 1);
        QCOMPARE(reopened->annotations(0).value().size(), std::size_t(1));
        QVERIFY(reopened->pageText(2).value().contains("Page three"));
        // Saved again, it is still there.
        QVERIFY(reopened->save().value().contains("4 0 obj" + pageBytes + "endobj"));
    }

    // What the unreadable page refers to that MuPDF cannot parse either goes into the copy with it, as the
    // file holds it: other readers find those objects and show the page in the copy as in the original.
    void unparseableObjectsGoWithTheirPage_data() {
        QTest::addColumn<int>("damaged");
        QTest::addColumn<QList<int>>("objects"); // what the page needs that MuPDF does not write
        QTest::addColumn<bool>("damagedTable");
        QTest::newRow("content stream") << int(DamagedPart::Content) << QList<int>{7} << false;
        QTest::newRow("font") << int(DamagedPart::Font) << QList<int>{10} << false;
        QTest::newRow("content stream whose length is an object")
            << int(DamagedPart::ContentWithItsLength) << QList<int>{7, 10} << false;
        QTest::newRow("font, table repaired") << int(DamagedPart::Font) << QList<int>{10} << true;
    }

    void unparseableObjectsGoWithTheirPage() {
        QFETCH(int, damaged);
        QFETCH(QList<int>, objects);
        QFETCH(bool, damagedTable);
        QByteArray bytes = pageWithDamagedParts(DamagedPart(damaged));
        if (damagedTable)
            bytes.replace("xref", "xreg");
        const QString original = write("parts.pdf", bytes);
        auto d = openOrFail(bytes);
        QCOMPARE(d->unreadablePageCount(), 1);
        QVERIFY(d->createAnnotation(0,
                                    {{"Subtype", ObjectValue::name("Square")},
                                     {"Rect", ObjectValue::numbers({20, 20, 80, 60})}},
                                    {})
                    .ok());
        const auto saved = d->save();
        QVERIFY2(saved.ok(), saved.ok() ? "" : qPrintable(saved.error().message));
        const QString copy = write("parts-copy.pdf", saved.value());

        // qpdf reads each object of the copy as it reads the original's, with its stream data.
        for (int number : objects) {
            const QStringList show{"--show-object=" + QString::number(number)};
            const QByteArray before = runTool("qpdf", show + QStringList{original}).out;
            QVERIFY(!before.isEmpty());
            QCOMPARE(runTool("qpdf", show + QStringList{copy}).out, before);
            if (before.startsWith("Object is stream"))
                QCOMPARE(runTool("qpdf", show + QStringList{"--raw-stream-data", copy}).out,
                         runTool("qpdf", show + QStringList{"--raw-stream-data", original}).out);
        }
        const QByteArray pageTwo = runTool("pdftotext", {"-f", "2", "-l", "2", original, "-"}).out;
        QVERIFY(pageTwo.contains("Page two"));
        QCOMPARE(runTool("pdftotext", {"-f", "2", "-l", "2", copy, "-"}).out, pageTwo);
        QVERIFY(runTool("pdfinfo", {copy}).out.contains("Pages:           3"));
        // Read again, the page is the same unreadable page, and it goes back as it is.
        auto reopened = openOrFail(saved.value());
        QCOMPARE(reopened->unreadablePageCount(), 1);
        QVERIFY(reopened->verifyCopy(reopened->save().value()).ok());
    }

    // An encrypted file keeps its encryption, and the page goes back under its own number: its bytes were
    // encrypted with a key made from that number and the file's identifier, which the copy keeps.
    void encryptedPageGoesBackUnderItsKey() {
        // A long array of numbers on the middle page, encrypted by qpdf, then turned into nesting of the same
        // length: numbers are not encrypted, and no offset moves.
        const QString source = write("plain.pdf",
                                     threePages("[" + QByteArray(60000, '0').replace("0", "0 ") + "]")),
                      encrypted = m_dir.filePath("encrypted.pdf");
        QVERIFY(runTool("qpdf", {"--object-streams=disable", "--encrypt", "pw", "owner", "128", "--use-aes=y",
                                 "--", source, encrypted})
                    .exitCode == 0);
        QFile file(encrypted);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QByteArray original = file.readAll();
        const qsizetype from = original.indexOf("[ 0 0 0"), to = original.indexOf("]", from) + 1;
        QVERIFY(from > 0);
        const qsizetype half = (to - from) / 2;
        original.replace(from, to - from,
                         QByteArray(half, '[') + QByteArray(half, ']') +
                             QByteArray(to - from - 2 * half, ' '));
        const int page = original.left(from).lastIndexOf(" 0 obj");
        const int number =
            original.mid(original.lastIndexOf('\n', page) + 1, page).split(' ').first().toInt();
        const QByteArray pageBytes = bodyOf(original, number);
        QVERIFY(pageBytes.contains(QByteArray(half, '[')));

        auto d = openOrFail(original);
        QVERIFY(d->authenticate("pw"));
        QCOMPARE(d->unreadablePageCount(), 1);
        const QByteArray copy = d->save().value();
        QVERIFY(copy.contains(QByteArray::number(number) + " 0 obj" + pageBytes + "endobj"));
        auto reopened = openOrFail(copy);
        QVERIFY(reopened->isLocked() && reopened->authenticate("pw"));
        QCOMPARE(reopened->unreadablePageCount(), 1);
        QVERIFY(reopened->pageText(2).value().contains("Page three"));
        const QString path = write("encrypted-copy.pdf", copy);
        QVERIFY(
            runTool("pdftotext", {"-upw", "pw", "-f", "3", "-l", "3", path, "-"}).out.contains("Page three"));
    }

    // The check of a written copy holds the carried page to the file's bytes of it, and of what it refers to
    // that MuPDF cannot parse.
    void copyWithoutTheFilesBytesIsRefused_data() {
        QTest::addColumn<QByteArray>("original");
        QTest::addColumn<QByteArray>("changed"); // the object whose bytes the copy no longer holds
        QTest::newRow("the page") << nestedMiddlePage() << QByteArray("4 0 obj");
        QTest::newRow("its content stream")
            << pageWithDamagedParts(DamagedPart::Content) << QByteArray("7 0 obj");
    }

    void copyWithoutTheFilesBytesIsRefused() {
        QFETCH(QByteArray, original);
        QFETCH(QByteArray, changed);
        auto d = openOrFail(original);
        QCOMPARE(d->unreadablePageCount(), 1);
        QByteArray copy = d->save().value();
        QVERIFY(d->verifyCopy(copy).ok());
        const qsizetype appended = copy.lastIndexOf(changed);
        copy.replace(copy.indexOf("/Junk", appended), 5, "/Junq");
        QCOMPARE(d->verifyCopy(copy).error().message,
                 QStringLiteral("Page 2 of the saved copy cannot be read."));
    }

    // A copy with another encryption cannot hold the file's bytes of the page (its strings and streams are
    // encrypted for the file's key, or not at all), and a page the user annotated holds what the user did:
    // either is written as the blank page it is in the document.
    void unreadablePageGoesBlankWhereItCannotGoAsItWas() {
        auto d = openOrFail(nestedMiddlePage());
        QCOMPARE(d->unreadablePageCount(), 1);
        const QByteArray pageBytes = bodyOf(nestedMiddlePage(), 4);
        SaveOptions protect{SaveOptions::Encryption::Aes256, "pw", "owner"};
        const QByteArray protectedCopy = d->save(protect).value();
        QVERIFY(!protectedCopy.contains(kNesting));
        auto reopened = openOrFail(protectedCopy);
        QVERIFY(reopened->authenticate("pw"));
        QCOMPARE(reopened->pageCount(), 3);
        QCOMPARE(reopened->unreadablePageCount(), 0);

        QVERIFY(d->createAnnotation(1,
                                    {{"Subtype", ObjectValue::name("Text")},
                                     {"Rect", ObjectValue::numbers({20, 20, 40, 40})}},
                                    {})
                    .ok());
        const QByteArray annotated = d->save().value();
        QVERIFY(!annotated.contains(pageBytes));
        auto again = openOrFail(annotated);
        QCOMPARE(again->unreadablePageCount(), 0);
        QCOMPARE(again->annotations(1).value().size(), std::size_t(1));
    }
};

QTEST_GUILESS_MAIN(TestPdfUnreadablePages)
#include "test_pdf_unreadable_pages.moc"
