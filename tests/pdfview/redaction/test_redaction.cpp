// Redaction as a security feature, and the page rasterizer under it. A word redacted, saved and read back
// must be found nowhere: not by pdftotext, not by mutool, not in any stream of the file inflated and searched
// as text, hex or UTF-16, not in annotations or form fields of its page; the file has one revision. Cases
// cover plain text, text split in a TJ array, an annotation's contents and a field's value on the page, a
// rotated page, an offset crop box with text hidden outside it, and an encrypted file.
#include "PdfFixtures.h"
#include "TestDocuments.h"
#include "annotations/RedactionMarkerAnnotation.h"
#include "core/UndoManager.h"
#include "document/pages/PDFPageRasterizer.h"
#include "pdfview/redaction/RedactionApplier.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace zepla;
using document::PDFEditorDocument;
using pdfview::RedactionApplier::apply;

namespace {

const QByteArray secret = "QUIXOTIC";

struct Fixture {
    QByteArray content = "BT /F1 14 Tf 72 700 Td (Keep this, redact QUIXOTIC please) Tj ET";
    QByteArray pageExtras;  // more entries of the page dictionary
    QByteArray annotations; // objects listed in /Annots, written as objects 7 and up
    bool field = false;     // annotation 7 is a text field listed in the form
};

// A one-page file written by hand, so each case can hide the word its own way.
QByteArray makeFixture(const Fixture& f) {
    QList<QByteArray> objects;
    objects << "<< /Type /Catalog /Pages 2 0 R" +
                   QByteArray(f.field ? " /AcroForm << /Fields [7 0 R] >>" : "") + " >>";
    objects << "<< /Type /Pages /Kids [3 0 R] /Count 1 >>";
    objects << "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /Font << /F1 5 0 R >> >> "
               "/Contents 4 0 R" +
                   (f.annotations.isEmpty() ? QByteArray() : QByteArray(" /Annots [7 0 R]")) + " " +
                   f.pageExtras + " >>";
    objects << "<< /Length " + QByteArray::number(f.content.size()) + " >>\nstream\n" + f.content +
                   "\nendstream";
    objects << "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>";
    objects << "<< /Producer (fixture) >>";
    if (!f.annotations.isEmpty())
        objects << f.annotations;
    QByteArray out = "%PDF-1.7\n";
    QList<int> offsets;
    for (int i = 0; i < objects.size(); ++i) {
        offsets << int(out.size());
        out += QByteArray::number(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const int xref = int(out.size());
    out += "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (int off : offsets)
        out += QByteArray::number(off).rightJustified(10, '0') + " 00000 n \n";
    out += "trailer\n<< /Size " + QByteArray::number(objects.size() + 1) +
           " /Root 1 0 R /Info 6 0 R >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    return out;
}

// Every form the word could take in the bytes: as is, lower case, hex of either, UTF-16 big and little
// endian.
QList<QByteArray> forms(const QByteArray& word) {
    QList<QByteArray> result;
    for (const QByteArray& w : {word, word.toLower()}) {
        result << w << w.toHex() << w.toHex().toUpper();
        QByteArray be, le;
        for (char c : w) {
            be.append('\0').append(c);
            le.append(c).append('\0');
        }
        result << be << le << be.toHex() << be.toHex().toUpper();
    }
    return result;
}

QString run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        qFatal("%s did not run", qPrintable(program));
    return QString::fromUtf8(process.readAllStandardOutput());
}

std::unique_ptr<PDFEditorDocument> editorDocument(const QByteArray& bytes, const QString& password = {}) {
    auto document = PDFEditorDocument::read(bytes);
    if (!document)
        qFatal("cannot read the fixture");
    auto result = std::move(document).value();
    if (!password.isEmpty() && !result->pdfDocument()->authenticate(password))
        qFatal("wrong fixture password");
    return result;
}

// Puts a redaction mark over every place the page shows `word`; returns how many.
int markWord(pdf::Document& pdf, int page, const QString& word) {
    const auto boxes = pdf.search(page, word).value();
    for (const QRectF& box : boxes) {
        annotations::RedactionMarkerAnnotation mark;
        mark.bounds = box.adjusted(-1, -1, 1, 1);
        if (!annotations::writeNewAnnotation(pdf, page, mark))
            qFatal("cannot mark");
    }
    return int(boxes.size());
}

} // namespace

class TestRedaction : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        for (const char* tool : {"pdftotext", "mutool"})
            testdocs::requireTool(tool);
    }

    void securityCheck_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QByteArray>("hiddenElsewhere"); // a second word the page hides outside what it shows
        Fixture plain;
        QTest::newRow("plain text") << makeFixture(plain) << QString() << QByteArray();
        Fixture split;
        split.content = "BT /F1 14 Tf 72 700 Td [(Keep this, redact QUI) -10 (XO) 20 (TIC please)] TJ ET";
        QTest::newRow("split inside a TJ array") << makeFixture(split) << QString() << QByteArray();
        Fixture annotation;
        annotation.annotations = "<< /Type /Annot /Subtype /Text /Rect [300 300 320 320] /Contents (" +
                                 secret + " again) /T (" + secret + ") >>";
        QTest::newRow("annotation contents on the page")
            << makeFixture(annotation) << QString() << QByteArray();
        Fixture field;
        field.field = true;
        field.annotations = "<< /Type /Annot /Subtype /Widget /FT /Tx /T (name) /V (" + secret +
                            " field) /Rect [300 500 500 520] /P 3 0 R >>";
        QTest::newRow("form field value on the page") << makeFixture(field) << QString() << QByteArray();
        Fixture rotated;
        rotated.pageExtras = "/Rotate 90";
        QTest::newRow("rotated page") << makeFixture(rotated) << QString() << QByteArray();
        Fixture cropped;
        cropped.pageExtras = "/CropBox [50 600 400 750]";
        cropped.content += " BT /F1 14 Tf 72 100 Td (SESQUIPEDALIAN) Tj ET";
        QTest::newRow("offset crop box") << makeFixture(cropped) << QString() << QByteArray("SESQUIPEDALIAN");
        auto encrypted = testdocs::open(makeFixture(annotation));
        pdf::SaveOptions protect;
        protect.encryption = pdf::SaveOptions::Encryption::Aes256;
        protect.userPassword = protect.ownerPassword = QStringLiteral("open sesame");
        QTest::newRow("encrypted file")
            << encrypted->save(protect).value() << QStringLiteral("open sesame") << QByteArray();
    }
    void securityCheck() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, password);
        QFETCH(QByteArray, hiddenElsewhere);
        auto document = editorDocument(bytes, password);
        pdf::Document& pdf = *document->pdfDocument();
        QCOMPARE(markWord(pdf, 0, QString::fromLatin1(secret)), 1);
        platform::UndoManager undo;
        const auto outcome = apply(*document, &undo);
        QCOMPARE(outcome.pagesRedacted, 1);
        QCOMPARE(outcome.pagesFailed, 0);
        const auto geometry = pdf.geometry(0).value();
        const auto before = testdocs::open(bytes);
        if (!password.isEmpty())
            QVERIFY(before->authenticate(password));
        QCOMPARE(geometry.rotation, before->geometry(0).value().rotation);
        QCOMPARE(geometry.cropBox, before->geometry(0).value().cropBox);

        const QString path =
            m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()).replace(' ', '_') + ".pdf");
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        const QByteArray saved = pdf.save().value();
        out.write(saved);
        out.close();
        QCOMPARE(saved.count("%%EOF"), 1);

        QString readable = path;
        QStringList passwordArguments;
        if (!password.isEmpty()) {
            // Still protected; read through a decrypted copy that keeps every object of the file.
            QVERIFY(testdocs::open(saved)->isLocked());
            readable = path + ".clear.pdf";
            run("mutool", {"clean", "-D", "-p", password, path, readable});
            passwordArguments = {"-upw", password};
        }
        QFile clear(readable);
        QVERIFY(clear.open(QIODevice::ReadOnly));
        const QByteArray file = clear.readAll();
        QVERIFY(!file.isEmpty());

        QList<QByteArray> words{secret};
        if (!hiddenElsewhere.isEmpty())
            words << hiddenElsewhere;
        const QString text = run("pdftotext", passwordArguments + QStringList{path, "-"});
        const QString drawn = run("mutool", {"draw", "-F", "txt", "-p", password, path});
        QVERIFY(text.contains("Keep") == false); // the whole page is a picture now
        for (const QByteArray& word : words) {
            QVERIFY2(!text.contains(QString::fromLatin1(word), Qt::CaseInsensitive), "pdftotext found it");
            QVERIFY2(!drawn.contains(QString::fromLatin1(word), Qt::CaseInsensitive), "mutool found it");
            const QByteArray everything = file + fixtures::inflatedStreams(file);
            for (const QByteArray& form : forms(word))
                QVERIFY2(!everything.contains(form), form.constData());
        }
        // Nothing of the page's annotations or fields is left to read.
        auto reopened = testdocs::open(saved);
        if (!password.isEmpty())
            QVERIFY(reopened->authenticate(password));
        QVERIFY(reopened->annotations(0).value().empty());
        QVERIFY(reopened->fieldNames().isEmpty());
        QCOMPARE(reopened->pageCount(), 1);
        // Undo brings the page back with its fields.
        const QStringList fieldsBefore = before->fieldNames();
        QCoreApplication::processEvents();
        undo.undo();
        QCOMPARE(pdf.fieldNames(), fieldsBefore);
        QCOMPARE(pdf.annotations(0).value().size(), before->annotations(0).value().size() + 1);
    }

    // The black box stands where the word was, on a page otherwise drawn as before.
    void markIsBurntInWhereTheWordWas() {
        auto document = editorDocument(makeFixture(Fixture{}));
        pdf::Document& pdf = *document->pdfDocument();
        const QRectF word = pdf.search(0, QString::fromLatin1(secret)).value().front();
        markWord(pdf, 0, QString::fromLatin1(secret));
        QCOMPARE(apply(*document, nullptr).pagesRedacted, 1);
        const QImage page = pdf.render(0, 1).value();
        QCOMPARE(page.size(), QSize(612, 792));
        const QPoint centre(int(word.center().x()), int(792 - word.center().y()));
        QVERIFY(qGray(page.pixel(centre)) < 30);
        QVERIFY(qGray(page.pixel(centre + QPoint(0, 40))) > 225);
        int inked = 0; // "Keep this" is still drawn, as a picture
        for (int x = 72; x < 140; ++x)
            for (int y = 80; y < 96; ++y)
                inked += qGray(page.pixel(x, y)) < 128;
        QVERIFY(inked > 40);
    }

    // Every pixel inside every mark is black, in Zepla's render and in poppler's, and no text can be taken
    // from inside any mark, on plain, turned and cropped pages alike.
    void everyPixelOfEveryMarkIsBlackAndHoldsNoText_data() {
        QTest::addColumn<QByteArray>("pageExtras");
        QTest::newRow("plain") << QByteArray();
        QTest::newRow("turned 90") << QByteArray("/Rotate 90");
        QTest::newRow("turned 270, cropped with an offset")
            << QByteArray("/Rotate 270 /CropBox [30 500 500 760]");
    }
    void everyPixelOfEveryMarkIsBlackAndHoldsNoText() {
        QFETCH(QByteArray, pageExtras);
        Fixture f;
        f.content += " BT /F1 14 Tf 72 600 Td (Second line KEEPSAKE words) Tj ET";
        f.pageExtras = pageExtras;
        auto document = editorDocument(makeFixture(f));
        pdf::Document& pdf = *document->pdfDocument();
        const QList<QString> words{QString::fromLatin1(secret), QStringLiteral("KEEPSAKE"),
                                   QStringLiteral("please")};
        QList<QRectF> marks;
        for (const QString& word : words) {
            QCOMPARE(markWord(pdf, 0, word), 1);
            marks << pdf.annotations(0).value().back().rect;
        }
        const pdf::PageGeometry geometry = pdf.geometry(0).value();
        const QString base = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()).replace(' ', '_'));
        auto save = [&](const QString& path) {
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(pdf.save().value());
        };
        // The words pdftotext finds inside a mark: those whose box (on the shown crop box, in points) has its
        // centre there.
        auto textInside = [&](const QString& path, const QRectF& mark) {
            const QRectF area = geometry.pageToImage(1).mapRect(mark).adjusted(-2, -2, 2, 2);
            const QString xhtml = run("pdftotext", {"-cropbox", "-bbox", path, "-"});
            static const QRegularExpression word(
                R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
            QStringList found;
            for (auto it = word.globalMatch(xhtml); it.hasNext();) {
                const auto m = it.next();
                const QPointF centre((m.captured(1).toDouble() + m.captured(3).toDouble()) / 2,
                                     (m.captured(2).toDouble() + m.captured(4).toDouble()) / 2);
                if (area.contains(centre))
                    found << m.captured(5);
            }
            return found.join(' ');
        };
        save(base + "-before.pdf");
        for (int i = 0; i < marks.size(); ++i)
            QCOMPARE(textInside(base + "-before.pdf", marks[i]), words[i]);

        QCOMPARE(apply(*document, nullptr).pagesRedacted, 1);
        const double scale = 2;
        const QString path = base + "-after.pdf";
        save(path);
        run("pdftoppm", {"-cropbox", "-png", "-r", QString::number(72 * scale), "-singlefile", path, path});
        const QList<std::pair<const char*, QImage>> renders{{"Zepla", pdf.render(0, scale).value()},
                                                            {"poppler", QImage(path + ".png")}};
        for (const auto& [reader, image] : renders) {
            QVERIFY2(!image.isNull(), reader);
            for (const QRectF& mark : marks) {
                // The pixels wholly inside the mark; the edge pixels are shared with the page around it.
                const QRect inside = geometry.pageToImage(scale)
                                         .mapRect(mark)
                                         .adjusted(1, 1, -1, -1)
                                         .toAlignedRect()
                                         .adjusted(1, 1, -1, -1);
                QVERIFY(inside.width() > 10 && inside.height() > 10);
                int light = 0;
                for (int y = inside.top(); y <= inside.bottom(); ++y)
                    for (int x = inside.left(); x <= inside.right(); ++x)
                        light += qGray(image.pixel(x, y)) > 40;
                QVERIFY2(light == 0,
                         qPrintable(QStringLiteral("%1: %2 light pixels").arg(reader).arg(light)));
                QVERIFY2(textInside(path, mark).isEmpty(), qPrintable(textInside(path, mark)));
            }
        }
    }

    void marksOnTwoPagesAreOneUndoStep() {
        auto document = editorDocument(fixtures::makeTextPdf(10, QString::fromLatin1(secret)));
        pdf::Document& pdf = *document->pdfDocument();
        markWord(pdf, 1, QString::fromLatin1(secret));
        markWord(pdf, 1, QStringLiteral("Page"));
        markWord(pdf, 4, QString::fromLatin1(secret));
        const pdf::PageHandle second = pdf.page(1), fifth = pdf.page(4);
        platform::UndoManager undo;
        QCOMPARE(apply(*document, &undo).pagesRedacted, 2);
        QCoreApplication::processEvents();
        const pdf::PageHandle secondImage = pdf.page(1), fifthImage = pdf.page(4);
        QVERIFY(secondImage != second && fifthImage != fifth);
        QVERIFY(pdf.pageText(1).value().trimmed().isEmpty());
        QVERIFY(pdf.pageText(2).value().contains(QString::fromLatin1(secret)));
        undo.undo();
        QVERIFY(pdf.page(1) == second && pdf.page(4) == fifth);
        QCOMPARE(pdf.annotations(1).value().size(), std::size_t(2));
        undo.redo();
        QVERIFY(pdf.page(1) == secondImage && pdf.page(4) == fifthImage);
        undo.undo();
        QVERIFY(pdf.page(1) == second);
        QCOMPARE(pdf.pageCount(), 10);
        // Without marks nothing happens and nothing is registered.
        platform::UndoManager none;
        auto clean = editorDocument(fixtures::makeTextPdf(2));
        QCOMPARE(apply(*clean, &none).pagesRedacted, 0);
        QVERIFY(!none.canUndo());
    }

    // A mark saved in a file counts like one drawn since.
    void markReadFromAFileIsBurntIn() {
        auto first = editorDocument(makeFixture(Fixture{}));
        markWord(*first->pdfDocument(), 0, QString::fromLatin1(secret));
        auto reopened = editorDocument(first->pdfDocument()->save().value());
        QCOMPARE(apply(*reopened, nullptr).pagesRedacted, 1);
        QVERIFY(!reopened->pdfDocument()->pageText(0).value().contains(QString::fromLatin1(secret)));
    }

    void rasterizerSizes() {
        auto pdf = testdocs::open(fixtures::makeTextPdf(1));
        using namespace document::PDFPageRasterizer;
        QCOMPARE(render(*pdf, 0, 2).size(), QSize(1224, 1584));
        QVERIFY(render(*pdf, 0, 0.001).isNull());
        QVERIFY(render(*pdf, 0, 2, QRectF(0, 0, 612, 0)).isNull());
        QVERIFY(render(*pdf, 7, 2).isNull());
        const QImage image =
            render(*pdf, 0, 3, [](QPainter& p) { p.fillRect(QRectF(0, 0, 10, 10), Qt::black); });
        QCOMPARE(image.size(), QSize(1836, 2376));
        QCOMPARE(qGray(image.pixel(0, 2375)), 0);
        QCOMPARE(qGray(image.pixel(29, 2346)), 0);
        QCOMPARE(qGray(image.pixel(30, 2346)), 255);
        QCOMPARE(qGray(image.pixel(29, 2345)), 255);
        QCOMPARE(qGray(image.pixel(1000, 1000)), 255); // unpainted is white
        // A 200-inch page is drawn at a lower scale, within the pixel budget.
        fixtures::PageSpec huge{"Huge"};
        huge.mediaBox = QRectF(0, 0, 14400, 14400);
        auto big = testdocs::open(fixtures::makePdf({{huge}}));
        const QImage capped = render(*big, 0, 3);
        QVERIFY(!capped.isNull());
        QVERIFY(double(capped.width()) * capped.height() <= maxPixels);
    }
};

QTEST_MAIN(TestRedaction)
#include "test_redaction.moc"
