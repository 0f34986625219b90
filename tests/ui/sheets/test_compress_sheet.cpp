// The compression sheet as a user works it: the quality chosen, the copy made off the interface thread with
// progress, the sizes, the save panel, errors in the sheet, the larger-copy warning, and Cancel mid-run.
#include "PdfFixtures.h"
#include "pdf/PdfImagePage.h"
#include "ui/sheets/CompressPDFSheetView.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace zepla;
using document::PDFCompressor::Quality;

namespace {

// A "scan": pages that are big losslessly stored pictures of noise over a paper tone.
std::shared_ptr<pdf::Document> scannedPages(int pages) {
    auto document = pdf::Document::createEmpty();
    QRandomGenerator random(7);
    for (int p = 0; p < pages; ++p) {
        QImage scan(300, 400, QImage::Format_RGB32);
        for (int y = 0; y < scan.height(); ++y)
            for (int x = 0; x < scan.width(); ++x) {
                const int grain = int(random.bounded(40));
                scan.setPixel(x, y, qRgb(215 + grain, 210 + grain, 200 + grain));
            }
        const QTransform fill = QTransform::fromScale(300, 400);
        pdf::insertImagePage(*document, -1, {{0, 0, 300, 400}, {}, 0, {{}, scan, fill}});
    }
    return document;
}

struct Sheet {
    explicit Sheet(std::shared_ptr<pdf::Document> pdf, const QString& originalPath = QString())
        : sheet(std::move(pdf), "Scan", originalPath) {
        sheet.setSavePanel([this](const QString& name) {
            asked.append(name);
            return saveAs;
        });
        sheet.show();
        if (!QTest::qWaitForWindowExposed(&sheet))
            qFatal("sheet not exposed");
    }
    // Clicks the option's round button.
    void choose(Quality quality) {
        QRadioButton* option = sheet.qualityButton(quality);
        QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(8, option->height() / 2));
    }
    void pressCompress() { QTest::mouseClick(sheet.compressButton(), Qt::LeftButton); }
    // Presses "Compress…" and waits until the run has ended.
    void compressAndWait() {
        QSignalSpy finished(&sheet, &ui::CompressPDFSheetView::runFinished);
        pressCompress();
        QVERIFY(sheet.isRunning());
        QVERIFY(!sheet.compressButton()->isEnabled());
        QVERIFY(finished.wait(testsupport::hangGuardMs));
    }

    ui::CompressPDFSheetView sheet;
    QString saveAs;
    QStringList asked;
};

} // namespace

class TestCompressSheet : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void opensWithBetterAndItsTexts() {
        Sheet s(scannedPages(1));
        QCOMPARE(s.sheet.quality(), Quality::better);
        QVERIFY(s.sheet.qualityButton(Quality::better)->isChecked());
        QCOMPARE(s.sheet.width(), 360);
        QStringList labels;
        for (QLabel* label : s.sheet.findChildren<QLabel*>())
            if (label->isVisible())
                labels.append(label->text());
        QVERIFY(labels.contains("Compress PDF"));
        QVERIFY(labels.contains(
            "Best for scanned or image-heavy PDFs. Every page is converted to an image — text "
            "will no longer be searchable or selectable in the compressed copy. The "
            "original is left untouched."));
        QStringList options;
        for (Quality q : document::PDFCompressor::allQualities)
            options.append(s.sheet.qualityButton(q)->text());
        QCOMPARE(options, QStringList({"Good (smallest file)", "Better", "Best (larger file)"}));
        QCOMPARE(s.sheet.cancelButton()->text(), QStringLiteral("Cancel"));
        QCOMPARE(s.sheet.compressButton()->text(), QStringLiteral("Compress…"));
    }

    void smallerCopyIsSavedWhereTheUserSays() {
        QTemporaryDir dir;
        auto source = scannedPages(3);
        Sheet s(source);
        s.choose(Quality::good);
        QCOMPARE(s.sheet.quality(), Quality::good);

        // A cancelled panel leaves the sheet open with no message; the next press starts again.
        s.compressAndWait();
        QCOMPARE(s.asked, QStringList{"Scan (Compressed).pdf"});
        QVERIFY(s.sheet.isVisible());
        QCOMPARE(s.sheet.errorMessage(), QString());
        QVERIFY(s.sheet.sizesLabel()->isVisible());
        QVERIFY2(s.sheet.sizesLabel()->text().startsWith("Original: "),
                 qPrintable(s.sheet.sizesLabel()->text()));
        QCOMPARE(s.sheet.progressBar()->value(), 3);

        s.saveAs = dir.filePath("small.pdf");
        s.compressAndWait();
        QCOMPARE(s.asked.size(), 2);
        QVERIFY(!s.sheet.isVisible());
        QCOMPARE(s.sheet.result(), int(QDialog::Accepted));
        QFile written(s.saveAs);
        QVERIFY(written.open(QIODevice::ReadOnly));
        const QByteArray bytes = written.readAll();
        QVERIFY(bytes.size() < source->save().value().size());
        auto copy = pdf::Document::open(bytes).value();
        QCOMPARE(copy->pageCount(), 3);
        QCOMPARE(copy->geometry(2).value().mediaBox, QRectF(0, 0, 300, 400));
        QCOMPARE(source->pageCount(), 3); // the original is untouched

        // Writing where it cannot be written says so and keeps the sheet open.
        Sheet again(source);
        again.saveAs = dir.filePath("no such folder/small.pdf");
        again.compressAndWait();
        QCOMPARE(again.sheet.errorMessage(),
                 QStringLiteral("Couldn't write the compressed copy to that location."));
        QVERIFY(again.sheet.isVisible());
    }

    void largerCopyIsOnlyWrittenWhenTheUserSaysSo() {
        QTemporaryDir dir;
        Sheet s(pdf::Document::open(fixtures::makeTextPdf(2)).value());
        s.saveAs = dir.filePath("text.pdf");
        s.choose(Quality::best);
        QCOMPARE(s.sheet.quality(), Quality::best);
        s.compressAndWait();
        QVERIFY(s.asked.isEmpty());
        QCOMPARE(s.sheet.errorMessage(),
                 QStringLiteral("The compressed copy would be larger than the original. "
                                "Choose a lower quality, or save it anyway."));
        QCOMPARE(s.sheet.compressButton()->text(), QStringLiteral("Save Anyway…"));
        s.pressCompress();
        QCOMPARE(s.asked.size(), 1);
        QVERIFY(QFile::exists(s.saveAs));
        QVERIFY(!s.sheet.isVisible());
    }

    // The copy is measured against the file as it lies on disk, not against the document saved anew, which
    // may be much smaller (here: a file padded after its end).
    void theCopyIsMeasuredAgainstTheFileOnDisk() {
        QTemporaryDir dir;
        const QString original = dir.filePath("padded.pdf");
        QFile file(original);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(fixtures::makeTextPdf(2) + '\n' + QByteArray(600000, ' '));
        file.close();
        const qint64 onDisk = QFileInfo(original).size();
        auto source = pdf::Document::openFile(original).value();
        QVERIFY(source->save().value().size() < onDisk / 10);

        Sheet s(source, original);
        s.saveAs = dir.filePath("text.pdf");
        s.compressAndWait();
        QCOMPARE(s.sheet.errorMessage(), QString());
        QCOMPARE(s.asked.size(), 1);
        const qint64 written = QFileInfo(s.saveAs).size();
        QVERIFY(written > 0 && written < onDisk);
    }

    // Sizes in kilobytes and megabytes rounded to one decimal, or in bytes where the two would read the
    // same; the share from the byte counts.
    void sizesText_data() {
        QTest::addColumn<qint64>("original");
        QTest::addColumn<qint64>("copy");
        QTest::addColumn<QString>("text");
        QTest::newRow("kilobytes") << qint64(1837) << qint64(1130)
                                   << "Original: 1.8 kB · Compressed copy: 1.1 kB (62 %)";
        QTest::newRow("rounded up") << qint64(1870) << qint64(960)
                                    << "Original: 1.9 kB · Compressed copy: 960 bytes (51 %)";
        QTest::newRow("same figure, larger copy")
            << qint64(1837) << qint64(1841) << "Original: 1,837 bytes · Compressed copy: 1,841 bytes (100 %)";
        QTest::newRow("megabytes") << qint64(2360000) << qint64(412000)
                                   << "Original: 2.4 MB · Compressed copy: 412.0 kB (17 %)";
    }
    void sizesText() {
        QFETCH(qint64, original);
        QFETCH(qint64, copy);
        QFETCH(QString, text);
        QCOMPARE(ui::CompressPDFSheetView::sizesText(original, copy), text);
    }

    void failuresAreShownInTheSheet() {
        fixtures::DocSpec spec;
        spec.pages.append({"One"});
        spec.pages.append({"Two", {0, 0, 200000, 2}});
        Sheet broken(pdf::Document::open(fixtures::makePdf(spec)).value());
        broken.compressAndWait();
        QCOMPARE(broken.sheet.errorMessage(),
                 QStringLiteral("Couldn't compress page 2, so no copy was made."));
        QVERIFY(broken.asked.isEmpty());

        Sheet empty(pdf::Document::createEmpty());
        empty.compressAndWait();
        QCOMPARE(empty.sheet.errorMessage(), QStringLiteral("Couldn't compress this PDF."));
        QVERIFY(empty.asked.isEmpty());
    }

    void cancelStopsTheRunAndWritesNothing() {
        QTemporaryDir dir;
        fixtures::DocSpec spec;
        for (int i = 0; i < 60; ++i)
            spec.pages.append({QStringLiteral("Poster %1").arg(i), {0, 0, 1600, 1600}});
        auto* sheet =
            new ui::CompressPDFSheetView(pdf::Document::open(fixtures::makePdf(spec)).value(), "Poster");
        sheet->setAttribute(Qt::WA_DeleteOnClose);
        QStringList asked;
        sheet->setSavePanel([&](const QString& name) {
            asked.append(name);
            return dir.filePath("poster.pdf");
        });
        sheet->setQuality(Quality::best);
        sheet->show();
        QPointer<ui::CompressPDFSheetView> alive(sheet);
        QTest::mouseClick(sheet->compressButton(), Qt::LeftButton);
        QVERIFY(sheet->progressBar()->isVisible());
        QTRY_VERIFY(sheet->progressBar()->value() >= 1);
        QVERIFY(sheet->isRunning());
        QTest::mouseClick(sheet->cancelButton(), Qt::LeftButton);
        QTRY_VERIFY(!alive);
        QTest::qWait(50);
        QVERIFY(asked.isEmpty());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());
    }
};

QTEST_MAIN(TestCompressSheet)
#include "test_compress_sheet.moc"
