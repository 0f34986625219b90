// The importer: text, Markdown and HTML on Letter pages inside the margins, pictures on pages of their size,
// Word files through LibreOffice, and every kind of bad input ending in a reason rather than a crash.
#include "ExternalTool.h"
#include "ImportFixtures.h"
#include "PdfFixtures.h"
#include "document/importer/DocumentImporter.h"
#include "document/importer/ImportTask.h"
#include "pdf/PdfDocument.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace zepla;

namespace {

struct PdfFacts {
    int pages = 0;
    QSizeF pageSize; // of the first page, in points
};

PdfFacts pdfInfo(const QString& path) {
    const ToolRun info = runTool("pdfinfo", {path});
    PdfFacts facts;
    const QString out = QString::fromUtf8(info.out);
    facts.pages = QRegularExpression("Pages:\\s+(\\d+)").match(out).captured(1).toInt();
    const auto size = QRegularExpression("Page size:\\s+([\\d.]+) x ([\\d.]+) pts").match(out);
    facts.pageSize = QSizeF(size.captured(1).toDouble(), size.captured(2).toDouble());
    return facts;
}

QString pdfText(const QString& path) {
    return QString::fromUtf8(runTool("pdftotext", {path, "-"}).out);
}

} // namespace

class TestDocumentImporter : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString write(const QString& name, const QByteArray& bytes) {
        return writeTestBytes(m_dir.filePath(name), bytes);
    }

    static QString converted(const QString& path) {
        const auto result = document::DocumentImporter::convert(path);
        if (!result)
            qFatal("conversion of %s failed: %s", qPrintable(path), qPrintable(result.error().reason));
        return result.value();
    }

    static QString failureOf(const QString& path) {
        const auto result = document::DocumentImporter::convert(path);
        return result ? QString() : result.error().reason;
    }

private slots:
    void longTextFillsLetterPagesInsideTheMargins() {
        QString text;
        for (int line = 1; line <= 400; ++line)
            text += QStringLiteral(
                        "Line %1 of a long text, with words enough to wrap on a Letter page when it goes "
                        "on and on past the right margin.\n")
                        .arg(line);
        const QString pdf = converted(write("long.txt", text.toUtf8()));
        QCOMPARE(QFileInfo(pdf).fileName(), QString("long.pdf"));
        const PdfFacts facts = pdfInfo(pdf);
        QVERIFY2(facts.pages >= 10, qPrintable(QString::number(facts.pages)));
        QCOMPARE(facts.pageSize, QSizeF(612, 792));

        const QString boxes = QString::fromUtf8(runTool("pdftotext", {"-bbox", pdf, "-"}).out);
        const QRegularExpression word(
            R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">)re");
        int words = 0;
        for (auto it = word.globalMatch(boxes); it.hasNext(); ++words) {
            const auto m = it.next();
            const QRectF box(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                             QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()));
            QVERIFY2(QRectF(54, 54, 504, 684).adjusted(-0.5, -0.5, 0.5, 0.5).contains(box),
                     qPrintable(QStringLiteral("word at %1,%2 %3x%4")
                                    .arg(box.x())
                                    .arg(box.y())
                                    .arg(box.width())
                                    .arg(box.height())));
        }
        QVERIFY(words > 400 * 10);
        const QString all = pdfText(pdf);
        QVERIFY(all.contains("Line 1 of a long text"));
        QVERIFY(all.contains("Line 400 of a long text"));
        QCOMPARE(all.count("Line 200 of a long text"), 1); // no line drawn twice across a page edge
    }

    // A line feed at the end of the file ends the last line: it never adds a page, not even where the lines
    // fill their pages exactly (forty short lines fill one page), and the last page always has text.
    void aFinalLineFeedAddsNoPage_data() {
        QTest::addColumn<int>("lines");
        QTest::newRow("40") << 40;
        QTest::newRow("41") << 41;
        QTest::newRow("80") << 80;
        QTest::newRow("400") << 400;
    }
    void aFinalLineFeedAddsNoPage() {
        QFETCH(int, lines);
        QString text;
        for (int line = 1; line <= lines; ++line)
            text += QStringLiteral("Line %1\n").arg(line);
        const QString ended = converted(write(QStringLiteral("ended%1.txt").arg(lines), text.toUtf8()));
        text.chop(1);
        const QString open = converted(write(QStringLiteral("open%1.txt").arg(lines), text.toUtf8()));
        const int pages = pdfInfo(ended).pages;
        QCOMPARE(pages, pdfInfo(open).pages);
        if (lines == 40)
            QCOMPARE(pages, 1);
        const QString last = QString::fromUtf8(
            runTool("pdftotext", {"-f", QString::number(pages), "-l", QString::number(pages), ended, "-"})
                .out);
        QVERIFY2(last.contains(QStringLiteral("Line %1").arg(lines)), qPrintable(last));
    }

    void emptyFileGivesOneBlankLetterPage() {
        const QString pdf = converted(write("empty.txt", {}));
        const PdfFacts facts = pdfInfo(pdf);
        QCOMPARE(facts.pages, 1);
        QCOMPARE(facts.pageSize, QSizeF(612, 792));
        QVERIFY(pdfText(pdf).trimmed().isEmpty());
    }

    void markdownShowsItsSource() {
        const QString pdf = converted(write("notes.md", "# Heading\n\nSome **bold** words and `code`.\n"));
        const QString text = pdfText(pdf);
        QVERIFY2(text.contains("# Heading"), qPrintable(text));
        QVERIFY(text.contains("**bold**"));
        QVERIFY(text.contains("`code`"));
    }

    void htmlLosesItsBackgrounds() {
        const QString html = "<html><body bgcolor='#00ff00'><p style='background-color:#00ff00'>Green "
                             "<span style='background:#00ff00'>behind</span> words</p>"
                             "<table bgcolor='#00ff00'><tr><td bgcolor='#00ff00'>Cell</td></tr></table>"
                             "<img src='http://127.0.0.1:9/never.png'></body></html>";
        const QString pdf = converted(write("page.html", html.toUtf8()));
        QVERIFY(pdfText(pdf).contains("behind"));
        auto document = pdf::Document::openFile(pdf);
        QVERIFY(document);
        const QImage render = document.value()->render(0, 1).value();
        for (int y = 0; y < render.height(); ++y)
            for (int x = 0; x < render.width(); ++x) {
                const QColor c = render.pixelColor(x, y);
                QVERIFY2(!(c.green() > 200 && c.red() < 80 && c.blue() < 80),
                         qPrintable(QStringLiteral("green at %1,%2").arg(x).arg(y)));
            }
    }

    void invalidUtf8IsRefused() {
        QCOMPARE(failureOf(write("latin1.txt", "caf\xe9 au lait\n")),
                 QString("The file is not valid UTF-8 text."));
        QVERIFY(!failureOf(write("broken.html", "<p>\xff\xfe</p>")).isEmpty());
    }

    void picturesKeepTheirSizeUpToTheCap_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("pixels");
        QTest::addColumn<QSizeF>("page");
        QTest::newRow("large JPEG shrinks") << "large.jpg" << QSize(6000, 4000) << QSizeF(3000, 2000);
        QTest::newRow("small PNG stays") << "small.png" << QSize(800, 600) << QSizeF(800, 600);
        QTest::newRow("tall JPEG") << "tall.jpeg" << QSize(1000, 4500) << QSizeF(666.67, 3000);
    }
    void picturesKeepTheirSizeUpToTheCap() {
        QFETCH(QString, name);
        QFETCH(QSize, pixels);
        QFETCH(QSizeF, page);
        const bool isJpeg = !name.endsWith(".png");
        const QByteArray bytes = isJpeg ? importfixtures::jpeg(pixels) : importfixtures::png(pixels);
        const QString pdf = converted(write(name, bytes));
        const PdfFacts facts = pdfInfo(pdf);
        QCOMPARE(facts.pages, 1);
        QVERIFY2(
            qAbs(facts.pageSize.width() - page.width()) < 0.5 &&
                qAbs(facts.pageSize.height() - page.height()) < 0.5,
            qPrintable(QStringLiteral("%1 x %2").arg(facts.pageSize.width()).arg(facts.pageSize.height())));
        if (isJpeg) {
            QFile file(pdf);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QVERIFY2(file.readAll().contains(bytes), "the JPEG data is embedded as encoded");
        }
    }

    // Orientation 6 asks for a quarter turn clockwise: the stored top-left corner shows at the top right.
    void jpegOrientationTurnsThePage() {
        const QByteArray turned =
            importfixtures::withExifOrientation(importfixtures::jpeg(QSize(400, 200)), 6);
        const QString pdf = converted(write("turned.jpg", turned));
        QCOMPARE(pdfInfo(pdf).pageSize, QSizeF(200, 400));
        const QImage render = pdf::Document::openFile(pdf).value()->render(0, 1).value();
        const QColor topRight = render.pixelColor(render.width() * 3 / 4, render.height() / 4);
        const QColor topLeft = render.pixelColor(render.width() / 4, render.height() / 4);
        QVERIFY2(topRight.red() > 200 && topRight.green() < 80, qPrintable(topRight.name()));
        QVERIFY2(topLeft.green() > 200, qPrintable(topLeft.name()));
    }

    void heicBecomesAPage() {
        const QString heic = m_dir.filePath("photo.heic");
        importfixtures::writeHeic(heic, QSize(320, 240));
        const QString pdf = converted(heic);
        QCOMPARE(pdfInfo(pdf).pageSize, QSizeF(320, 240));
        const QColor middle = pdf::Document::openFile(pdf).value()->render(0, 1).value().pixelColor(160, 120);
        QVERIFY2(middle.blue() > 200 && middle.red() < 60, qPrintable(middle.name()));
    }

    void badPicturesEndInAReason_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("huge PNG") << "huge.png" << importfixtures::pngHeaderOnly(QSize(20000, 20000));
        QTest::newRow("not a picture") << "noise.png" << QByteArray("not a picture at all");
        QTest::newRow("garbage HEIC") << "photo.heic" << QByteArray(4096, '\x42');
        QTest::newRow("JPEG without its header") << "cut.jpg" << importfixtures::jpeg(QSize(64, 64)).left(40);
    }
    void badPicturesEndInAReason() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QVERIFY(!failureOf(write(name, bytes)).isEmpty());
    }

    // A JPEG cut in the middle of its data still converts: readers show the part that is there.
    void truncatedJpegGivesAReadablePdfOrAReason() {
        const QByteArray whole = importfixtures::jpeg(QSize(300, 300));
        const auto result =
            document::DocumentImporter::convert(write("truncated.jpg", whole.left(whole.size() / 2)));
        if (result)
            QCOMPARE(pdfInfo(result.value()).pages, 1);
    }

    void wordFilesGoThroughLibreOffice() {
        const QString docx = importfixtures::docxFromText(m_dir.path(), "Quarterly zebra inventory");
        const QString pdf = converted(docx);
        QVERIFY(pdfText(pdf).contains("Quarterly zebra inventory"));
        QVERIFY(!failureOf(write("garbage.docx", QByteArray(20000, 'x'))).isEmpty());
    }

    void twoImportsGiveTwoFolders() {
        const QString source = write("twice.txt", "same text");
        const QString first = converted(source), second = converted(source);
        QCOMPARE(QFileInfo(first).fileName(), QString("twice.pdf"));
        QVERIFY(QFileInfo(first).path() != QFileInfo(second).path());
        QVERIFY(QFile::exists(first) && QFile::exists(second));
    }

    void taskReportsProgressAndFinishesOnTheUiThread() {
        QString text;
        for (int line = 0; line < 20000; ++line)
            text += "A line of a text that takes a while to lay out on its pages.\n";
        document::ImportTask task(write("progress.txt", text.toUtf8()));
        QSignalSpy progressed(&task, &document::ImportTask::progressed);
        QSignalSpy finished(&task, &document::ImportTask::finished);
        QVERIFY(finished.wait(testsupport::longWorkGuardMs));
        QVERIFY(progressed.size() >= 2);
        const QString pdf = finished.first().at(0).toString();
        QVERIFY(QFile::exists(pdf));
        QVERIFY(pdfInfo(pdf).pages > 100);
    }

    void cancelledTaskWritesNoDocument() {
        QString text;
        for (int line = 0; line < 100000; ++line)
            text += "A line of a text that takes a while to lay out on its pages.\n";
        document::ImportTask task(write("cancelled.txt", text.toUtf8()));
        QSignalSpy finished(&task, &document::ImportTask::finished);
        task.cancel();
        QVERIFY(finished.wait(testsupport::longWorkGuardMs));
        QVERIFY(finished.first().at(0).toString().isEmpty());
        QVERIFY(finished.first().at(2).toBool());
    }

    void vanishedFileIsAFailure() { QVERIFY(!failureOf(m_dir.filePath("gone.txt")).isEmpty()); }

    // The alert's message carries the reason itself, as one more sentence.
    void failureMessageSaysWhy_data() {
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("message");
        const QString head = "This file couldn't be converted to a PDF.";
        QTest::newRow("a sentence") << "The picture is empty." << head + " The picture is empty.";
        QTest::newRow("no full stop") << "The file could not be read: Permission denied"
                                      << head + " The file could not be read: Permission denied.";
        QTest::newRow("no reason") << "  " << head;
    }
    void failureMessageSaysWhy() {
        QFETCH(QString, reason);
        QFETCH(QString, message);
        QCOMPARE(document::DocumentImporter::conversionFailureMessage(reason), message);
    }
};

QTEST_MAIN(TestDocumentImporter)
#include "test_document_importer.moc"
