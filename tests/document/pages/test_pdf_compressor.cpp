// The compressor: its three qualities, copies whose pages measure and look like the source's (boxes and
// rotation honoured) with nothing but one JPEG each (grey pages as grey JPEG), and no copy at all on failure
// or when stopped.
#include "ExternalTool.h"
#include "PdfFixtures.h"
#include "document/pages/PDFCompressor.h"
#include "pdf/PdfImagePage.h"

#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using namespace zepla;
using namespace zepla::document;
using PDFCompressor::Quality;

Q_DECLARE_METATYPE(Quality)

namespace {

std::shared_ptr<pdf::Document> open(const QByteArray& bytes) {
    return pdf::Document::open(bytes).value();
}

// Pages of several shapes, each with a black bar under its text so that renders can be compared.
QByteArray mixedPages() {
    const QByteArray bar = "0 0 0 rg 60 640 300 40 re f\n";
    fixtures::DocSpec spec;
    spec.pages.append({"Letter", {0, 0, 612, 792}, {}, 0, false, false, false, -1, {}, bar});
    spec.pages.append({"Offset", {30, 40, 400, 700}, {}, 0, false, false, false, -1, {}, bar});
    spec.pages.append(
        {"Turned", {0, 0, 612, 792}, {40, 500, 500, 760}, 90, false, false, false, -1, {}, bar});
    return fixtures::makePdf(spec);
}

// Mean difference of two renders of the same size, 0 to 255.
double meanDifference(const QImage& a, const QImage& b) {
    const QImage x = a.convertToFormat(QImage::Format_Grayscale8);
    const QImage y = b.convertToFormat(QImage::Format_Grayscale8);
    double sum = 0;
    for (int row = 0; row < x.height(); ++row)
        for (int col = 0; col < x.width(); ++col)
            sum += std::abs(int(x.constScanLine(row)[col]) - int(y.constScanLine(row)[col]));
    return sum / (double(x.width()) * x.height());
}

// The luminance quantisation table (table 0) of the first JPEG picture in `file`, in the order it is stored.
QList<int> luminanceTable(const QByteArray& file) {
    const auto byte = [&](qsizetype at) { return at < file.size() ? int(uchar(file[at])) : 0; };
    const qsizetype start = file.indexOf("\xFF\xD8\xFF");
    for (qsizetype at = start + 2; start >= 0 && at + 4 < file.size() && byte(at) == 0xFF;) {
        const int marker = byte(at + 1), length = byte(at + 2) << 8 | byte(at + 3);
        for (qsizetype t = at + 4; marker == 0xDB && t < at + 2 + length;) {
            const bool wide = byte(t) >> 4;
            QList<int> values;
            for (int i = 0; i < 64; ++i)
                values.append(wide ? byte(t + 1 + 2 * i) << 8 | byte(t + 2 + 2 * i) : byte(t + 1 + i));
            if ((byte(t) & 15) == 0)
                return values;
            t += 1 + 64 * (wide ? 2 : 1);
        }
        if (marker == 0xDA) // the picture's data begins
            break;
        at += 2 + length;
    }
    return {};
}

// The luminance table a JPEG of `quality` (1 to 100) holds: the JPEG standard's example table scaled the way
// the Independent JPEG Group's library scales it, limited to baseline values.
QList<int> standardLuminanceTable(int quality) {
    static constexpr int example[64] = {
        16, 11,  10,  16, 24, 40, 51, 61, 12,  12,  14,  19,  26, 58, 60, 55,  14,  13,  16,  24, 40, 57,
        69, 56,  14,  17, 22, 29, 51, 87, 80,  62,  18,  22,  37, 56, 68, 109, 103, 77,  24,  35, 55, 64,
        81, 104, 113, 92, 49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98,  112, 100, 103, 99};
    const int scale = quality < 50 ? 5000 / quality : 200 - 2 * quality;
    QList<int> values;
    for (int value : example)
        values.append(std::clamp((value * scale + 50) / 100, 1, 255));
    return values;
}

} // namespace

class TestPdfCompressor : public QObject {
    Q_OBJECT

private slots:
    void qualities() {
        struct Row {
            Quality quality;
            const char* raw;
            double scale;
            double factor;
            const char* label;
        };
        const Row rows[] = {{Quality::good, "good", 1.0, 0.4, "Good (smallest file)"},
                            {Quality::better, "better", 1.5, 0.6, "Better"},
                            {Quality::best, "best", 2.0, 0.8, "Best (larger file)"}};
        QCOMPARE(PDFCompressor::allQualities.size(), std::size(rows));
        for (std::size_t i = 0; i < std::size(rows); ++i) {
            QCOMPARE(PDFCompressor::allQualities[i], rows[i].quality);
            QCOMPARE(PDFCompressor::rawValue(rows[i].quality), QString::fromLatin1(rows[i].raw));
            QCOMPARE(PDFCompressor::qualityFromRawValue(rows[i].raw), rows[i].quality);
            QCOMPARE(PDFCompressor::renderScale(rows[i].quality), rows[i].scale);
            QCOMPARE(PDFCompressor::compressionFactor(rows[i].quality), rows[i].factor);
            QCOMPARE(PDFCompressor::label(rows[i].quality), QString::fromUtf8(rows[i].label));
        }
        QVERIFY(!PDFCompressor::qualityFromRawValue("Better"));
        QVERIFY(!PDFCompressor::qualityFromRawValue(""));
    }

    void copyKeepsEveryPageAsTheReaderSeesIt_data() {
        QTest::addColumn<Quality>("quality");
        for (Quality q : PDFCompressor::allQualities)
            QTest::newRow(qPrintable(PDFCompressor::rawValue(q))) << q;
    }
    void copyKeepsEveryPageAsTheReaderSeesIt() {
        QFETCH(Quality, quality);
        const auto source = open(mixedPages());
        QList<int> reported;
        const auto outcome = PDFCompressor::compress(*source, quality, [&](int done, int total) {
            reported.append(done);
            return total == 3;
        });
        QVERIFY2(outcome && outcome.value(), qPrintable(outcome ? QString() : outcome.error()));
        QCOMPARE(reported, QList<int>({1, 2, 3}));
        pdf::Document& copy = *outcome.value();
        QCOMPARE(copy.pageCount(), 3);
        for (int i = 0; i < 3; ++i) {
            const pdf::PageGeometry s = source->geometry(i).value(), c = copy.geometry(i).value();
            QCOMPARE(c.mediaBox, s.mediaBox);
            QCOMPARE(c.cropBox, s.cropBox);
            QCOMPARE(c.rotation, s.rotation);
            QCOMPARE(copy.pageText(i).value().trimmed(), QString());
            const QImage before = source->render(i, 1).value(), after = copy.render(i, 1).value();
            QCOMPARE(after.size(), before.size());
            QVERIFY2(meanDifference(before, after) < 4, qPrintable(QString::number(i)));
        }
        // One picture per page, embedded as JPEG data; no text, fonts or other pictures.
        const QByteArray saved = copy.save().value();
        QCOMPARE(saved.count("/DCTDecode"), 3);
        QCOMPARE(saved.count("/Subtype /Image") + saved.count("/Subtype/Image"), 3);
        QVERIFY(!fixtures::searchable(saved).contains("/Font"));
        QCOMPARE(saved.count("\xFF\xD8\xFF"), 3);
    }

    void greyPagesBecomeGreyJpegAndColourPagesStayColour_data() {
        QTest::addColumn<Quality>("quality");
        for (Quality q : PDFCompressor::allQualities)
            QTest::newRow(qPrintable(PDFCompressor::rawValue(q))) << q;
    }
    void greyPagesBecomeGreyJpegAndColourPagesStayColour() {
        QFETCH(Quality, quality);
        fixtures::DocSpec spec;
        spec.pages.append({"Grey text",
                           {0, 0, 612, 792},
                           {},
                           0,
                           false,
                           false,
                           false,
                           -1,
                           {},
                           "0.5 g 60 640 300 40 re f\n"});
        spec.pages.append({"Colour",
                           {0, 0, 612, 792},
                           {},
                           0,
                           false,
                           false,
                           false,
                           -1,
                           {},
                           "1 0 0 rg 60 640 300 40 re f\n"});
        const auto outcome = PDFCompressor::compress(*open(fixtures::makePdf(spec)), quality);
        QVERIFY2(outcome && outcome.value(), qPrintable(outcome ? QString() : outcome.error()));
        QTemporaryDir folder;
        const QString path = writeTestBytes(folder.filePath("copy.pdf"), outcome.value()->save().value());
        const ToolRun listed = runTool("pdfimages", {"-list", path});
        QCOMPARE(listed.exitCode, 0);
        // page num type width height color comp bpc enc ...
        QStringList pictures;
        for (const QString& line : QString::fromUtf8(listed.out).split('\n').mid(2)) {
            const QStringList f = line.simplified().split(' ');
            if (f.size() > 8)
                pictures << QStringList{f[0], f[5], f[6], f[8]}.join(' ');
        }
        QCOMPARE(pictures, QStringList({"1 gray 1 jpeg", "2 rgb 3 jpeg"}));
        // The grey picture is as sharp as the scale says: a 612-point page at the quality's scale.
        const QStringList first = QString::fromUtf8(listed.out).split('\n').value(2).simplified().split(' ');
        QCOMPARE(first.value(3).toInt(), int(612 * PDFCompressor::renderScale(quality)));
    }

    // Each quality writes its pictures at its JPEG quality, read back from the tables in the copy's pictures
    // (the file keeps them in zigzag order: compared as sets of values).
    void picturesAreWrittenAtTheQualitysJpegQuality() {
        const auto source = open(fixtures::makeTextPdf(1));
        for (const auto& [quality, jpegQuality] :
             {std::pair{Quality::good, 40}, std::pair{Quality::better, 60}, std::pair{Quality::best, 80}}) {
            QList<int> written =
                luminanceTable(PDFCompressor::compress(*source, quality).value()->save().value());
            QList<int> expected = standardLuminanceTable(jpegQuality);
            std::sort(written.begin(), written.end());
            std::sort(expected.begin(), expected.end());
            QCOMPARE(written, expected);
        }
    }

    void higherQualityMeansMorePixels() {
        const auto source = open(fixtures::makeTextPdf(1));
        qsizetype previous = 0;
        for (Quality q : PDFCompressor::allQualities) {
            const QByteArray saved = PDFCompressor::compress(*source, q).value()->save().value();
            QVERIFY(saved.size() > previous);
            previous = saved.size();
        }
    }

    void noCopyWithoutEveryPage() {
        const auto empty = pdf::Document::createEmpty();
        const auto none = PDFCompressor::compress(*empty, Quality::better);
        QVERIFY(!none);
        QCOMPARE(none.error(), QStringLiteral("Couldn't compress this PDF."));

        // The second page is too wide for a JPEG picture.
        fixtures::DocSpec spec;
        spec.pages.append({"One"});
        spec.pages.append({"Two", {0, 0, 200000, 2}});
        spec.pages.append({"Three"});
        const auto source = open(fixtures::makePdf(spec));
        const auto failed = PDFCompressor::compress(*source, Quality::good);
        QVERIFY(!failed);
        QCOMPARE(failed.error(), QStringLiteral("Couldn't compress page 2, so no copy was made."));
    }

    void stoppedRunGivesNothing() {
        const auto source = open(fixtures::makeTextPdf(4));
        int calls = 0;
        const auto outcome = PDFCompressor::compress(*source, Quality::good, [&](int, int) {
            ++calls;
            return false;
        });
        QCOMPARE(calls, 1);
        QVERIFY(outcome.ok());
        QVERIFY(!outcome.value());
    }
};

QTEST_GUILESS_MAIN(TestPdfCompressor)
#include "test_pdf_compressor.moc"
