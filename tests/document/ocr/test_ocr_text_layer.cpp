// The OCR text layer: which pages need it, scanned pages rebuilt with invisible text that other readers find
// where the words stand (upright or sideways), one undo step per run, cancelling, failures that change
// nothing, and reading a page's text without changing it.
#include "ExternalTool.h"
#include "PdfFixtures.h"
#include "ScannedPages.h"
#include "core/UndoManager.h"
#include "document/ocr/DocumentRecognition.h"
#include "document/ocr/OCRTextLayer.h"
#include "document/ocr/OCRTextLayerApplier.h"
#include "document/ocr/PageOCRExtractor.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace zepla::document;
using zepla::platform::UndoManager;

namespace {

const QStringList sentence = {QStringLiteral("The quick brown fox jumps over the lazy dog"),
                              QStringLiteral("Scanned pages become searchable today")};

std::unique_ptr<PDFEditorDocument> documentOf(const QByteArray& bytes) {
    auto result = PDFEditorDocument::read(bytes);
    if (!result)
        qFatal("fixture did not read");
    return std::move(result).value();
}

// A document of scanned pages, and of text pages where `pages` has an empty entry.
std::unique_ptr<PDFEditorDocument> scannedDocument(const QList<scanned::Page>& pages) {
    auto pdf = zepla::pdf::Document::createEmpty();
    for (const scanned::Page& page : pages) {
        if (page.lines.isEmpty()) {
            auto text = zepla::pdf::Document::open(fixtures::makeTextPdf(1, "with a text layer")).value();
            pdf->copyPages(*text, {0}, pdf->pageCount());
        } else {
            scanned::append(*pdf, page);
        }
    }
    return documentOf(pdf->save().value());
}

// The words pdftotext finds in saved bytes, with their boxes in points from the top left of the shown page.
struct FoundWord {
    QString text;
    QRectF box;
};
std::vector<FoundWord> wordsOf(const QByteArray& bytes) {
    QTemporaryDir folder;
    const QString path = writeTestBytes(folder.filePath("saved.pdf"), bytes);
    const ToolRun run = runTool("pdftotext", {"-bbox", path, "-"});
    if (run.exitCode != 0)
        qFatal("pdftotext failed");
    std::vector<FoundWord> words;
    static const QRegularExpression word(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    for (const auto& m : word.globalMatch(QString::fromUtf8(run.out))) {
        const QRectF box(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                         QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()));
        words.push_back({m.captured(5), box});
    }
    return words;
}

const FoundWord* find(const std::vector<FoundWord>& words, const QString& text) {
    for (const FoundWord& w : words) {
        if (w.text == text)
            return &w;
    }
    return nullptr;
}

// What pdfimages tells of each picture of saved bytes, object numbers left out: page, size in pixels,
// colour, components, bits, encoding and stored bytes.
QStringList picturesOf(const QByteArray& bytes) {
    QTemporaryDir folder;
    const ToolRun run = runTool("pdfimages", {"-list", writeTestBytes(folder.filePath("f.pdf"), bytes)});
    if (run.exitCode != 0)
        qFatal("pdfimages failed");
    QStringList pictures;
    for (const QString& line : QString::fromUtf8(run.out).split('\n').mid(2)) {
        const QStringList f = line.simplified().split(' ');
        if (f.size() >= 15)
            pictures << QStringList{f[0], f[2], f[3], f[4], f[5], f[6], f[7], f[8], f[14]}.join(' ');
    }
    return pictures;
}

// The share of pixels dark in `after` that were light in `before`: what a page shows beyond its scan.
double newlyDark(const QImage& before, const QImage& after) {
    const QImage a = before.convertToFormat(QImage::Format_Grayscale8);
    const QImage b = after.convertToFormat(QImage::Format_Grayscale8).scaled(a.size());
    int count = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x)
            count += a.constScanLine(y)[x] > 200 && b.constScanLine(y)[x] < 100;
    }
    return double(count) / (a.width() * a.height());
}

// Scanned pages that share one indirect /Resources dictionary naming every page's picture and a font, as
// generators write them. Each page already has a little invisible text in that font ("Scan 1", too little to
// count as a text layer) under the resource name a new text layer would take first; the last page draws a
// box over its picture, so it is not one picture alone.
QByteArray sharedResourcesScans(const QList<QStringList>& pages) {
    const int count = int(pages.size());
    // 1 catalog, 2 page tree, 3 resources, then per page: page, contents, picture.
    QByteArray kids, pictures;
    for (int p = 0; p < count; ++p) {
        kids += QByteArray::number(4 + 3 * p) + " 0 R ";
        pictures += "/Im" + QByteArray::number(p) + ' ' + QByteArray::number(6 + 3 * p) + " 0 R ";
    }
    QList<QByteArray> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [" + kids + "] /Count " + QByteArray::number(count) + " >>",
        "<< /Font << /OCR0 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >> "
        "/XObject << " +
            pictures + ">> >>"};
    for (int p = 0; p < count; ++p) {
        const QImage scan = scanned::picture(scanned::Page{pages[p]});
        QByteArray pixels;
        for (int y = 0; y < scan.height(); ++y)
            pixels.append(reinterpret_cast<const char*>(scan.constScanLine(y)), scan.width());
        const QByteArray deflated = qCompress(pixels).mid(4); // zlib data without Qt's length prefix
        QByteArray content = "q 612 0 0 792 0 0 cm /Im" + QByteArray::number(p) +
                             " Do Q\nBT 3 Tr /OCR0 10 Tf 20 770 Td (Scan " + QByteArray::number(p + 1) +
                             ") Tj ET\n";
        if (p == count - 1)
            content += "0 0 0 rg 20 20 30 30 re f\n";
        objects << "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources 3 0 R /Contents " +
                       QByteArray::number(5 + 3 * p) + " 0 R >>"
                << "<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n" + content +
                       "\nendstream"
                << "<< /Type /XObject /Subtype /Image /Width " + QByteArray::number(scan.width()) +
                       " /Height " + QByteArray::number(scan.height()) +
                       " /ColorSpace /DeviceGray /BitsPerComponent 8 /Filter /FlateDecode /Length " +
                       QByteArray::number(deflated.size()) + " >>\nstream\n" + deflated + "\nendstream";
    }
    return fixtures::assemblePdf(objects);
}

// The text pdftotext reads on page `page` (from 1) of saved bytes.
QString pageTextOf(const QByteArray& bytes, int page) {
    QTemporaryDir folder;
    const QString path = writeTestBytes(folder.filePath("saved.pdf"), bytes);
    const ToolRun run =
        runTool("pdftotext", {"-f", QString::number(page), "-l", QString::number(page), path, "-"});
    if (run.exitCode != 0)
        qFatal("pdftotext failed");
    return QString::fromUtf8(run.out);
}

// Runs the toolbar's OCR of one page and waits for its outcome.
OCRTextLayerApplier::PageOutcome ocrPage(PDFEditorDocument& document, int index, UndoManager* undo) {
    std::optional<OCRTextLayerApplier::PageOutcome> outcome;
    QObject context;
    OCRTextLayerApplier::applyToCurrentPage(document, index, undo, &context,
                                            [&](OCRTextLayerApplier::PageOutcome o) { outcome = o; });
    if (!QTest::qWaitFor([&] { return outcome.has_value(); }, testsupport::longWorkGuardMs))
        qFatal("recognition did not end");
    return *outcome;
}

// The text an OCR of one page gave; none when it failed.
std::optional<QString> textOf(const OCRTextLayerApplier::PageOutcome& outcome) {
    return outcome ? outcome.value() : std::nullopt;
}

DocumentRecognition::Outcome runDocument(DocumentRecognition& run) {
    std::optional<DocumentRecognition::Outcome> outcome;
    QObject::connect(&run, &DocumentRecognition::finished, [&](const auto& o) { outcome = o; });
    run.start();
    if (!QTest::qWaitFor([&] { return outcome.has_value(); }, testsupport::longWorkGuardMs))
        qFatal("recognition did not end");
    return *outcome;
}

} // namespace

class TestOCRTextLayer : public QObject {
    Q_OBJECT

private slots:
    void pagesNeedOCRBelowTwentyVisibleCharacters_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("hasText");
        QTest::newRow("19 characters") << "abcdefghijklmnopqrs" << false;
        QTest::newRow("20 characters") << "abcdefghijklmnopqrst" << true;
        QTest::newRow("19 inside spaces") << "   abcdefghijklmnopqrs   " << false;
    }
    void pagesNeedOCRBelowTwentyVisibleCharacters() {
        QFETCH(QString, text);
        QFETCH(bool, hasText);
        auto pdf = zepla::pdf::Document::open(fixtures::makePdf({{fixtures::PageSpec{text}}})).value();
        QCOMPARE(OCRTextLayerApplier::pageAlreadyHasText(*pdf, 0), hasText);
        QCOMPARE(OCRTextLayerApplier::pagesNeedingOCR(*pdf).empty(), hasText);
    }

    void scannedPageGetsInvisibleTextWhereTheWordsStand() {
        auto document = scannedDocument({{sentence}});
        const zepla::pdf::PageHandle scan = document->pdfDocument()->page(0);
        const QImage scanPicture = document->pdfDocument()->render(0, 1).value();
        UndoManager undo;
        const auto outcome = ocrPage(*document, 0, &undo);
        QVERIFY2(outcome.ok(), qPrintable(outcome ? QString() : outcome.error()));
        const std::optional<QString> text = outcome.value();
        QVERIFY2(text && text->contains("quick brown fox"), qPrintable(text.value_or("")));
        QVERIFY(text->contains('\n'));

        const QByteArray saved = document->pdfDocument()->save().value();
        if (const QString folder = qEnvironmentVariable("ZEPLA_SCREENSHOT_DIR"); !folder.isEmpty())
            writeTestBytes(folder + QStringLiteral("/ocr-page.pdf"), saved);
        const auto words = wordsOf(saved);
        const FoundWord* quick = find(words, "quick");
        QVERIFY(quick && find(words, "searchable"));
        // "The quick" starts at 72 points with its baseline 100 points down: "quick" sits right of it.
        QVERIFY2(quick->box.left() > 90 && quick->box.left() < 150,
                 qPrintable(QString::number(quick->box.left())));
        QVERIFY2(std::abs(quick->box.bottom() - 100) < 10, qPrintable(QString::number(quick->box.bottom())));
        // The text is invisible: the page looks as the scan did.
        QVERIFY2(newlyDark(scanPicture, document->pdfDocument()->render(0, 1).value()) < 0.0002,
                 "the rebuilt page shows more than the scan");

        QCoreApplication::processEvents();
        undo.undo();
        QCOMPARE(document->pdfDocument()->page(0), scan);
        undo.redo();
        QVERIFY(document->pdfDocument()->page(0) != scan);
        QVERIFY(OCRTextLayerApplier::pageAlreadyHasText(*document->pdfDocument(), 0));
    }

    void pageWithTextGivesItsTextAndChangesNothing() {
        auto document =
            documentOf(fixtures::makePdf({{fixtures::PageSpec{"   Twenty-one characters here  \n"}}}));
        const zepla::pdf::PageHandle page = document->pdfDocument()->page(0);
        UndoManager undo;
        QCOMPARE(textOf(ocrPage(*document, 0, &undo)).value_or("none"),
                 QString("Twenty-one characters here"));
        QVERIFY(!undo.canUndo());
        QCOMPARE(document->pdfDocument()->page(0), page);
        QVERIFY(!textOf(ocrPage(*document, 1, &undo)));
    }

    void sidewaysScanKeepsItsRotationAndCropBox() {
        scanned::Page sideways{sentence};
        sideways.rotation = 90;
        sideways.cropInset = 20;
        auto document = scannedDocument({sideways});
        const auto before = document->pdfDocument()->geometry(0).value();

        const std::optional<QString> text = textOf(ocrPage(*document, 0, nullptr));
        QVERIFY2(text && text->contains("quick brown fox"), qPrintable(text.value_or("")));
        const auto after = document->pdfDocument()->geometry(0).value();
        QCOMPARE(after.rotation, 90);
        QCOMPARE(after.cropBox, before.cropBox);
        QCOMPARE(after.mediaBox, before.mediaBox);
        // Shown upright: pdftotext places "quick" where it stands on the turned page (measured, as pdftotext
        // does, from the media box).
        const auto words = wordsOf(document->pdfDocument()->save().value());
        const FoundWord* quick = find(words, "quick");
        QVERIFY(quick);
        QVERIFY2(quick->box.left() > 90 && quick->box.left() < 150,
                 qPrintable(QString::number(quick->box.left())));
        QVERIFY2(std::abs(quick->box.bottom() - 100) < 10, qPrintable(QString::number(quick->box.bottom())));
    }

    void documentRunIsOneUndoStepInPageOrder() {
        auto document =
            scannedDocument({{sentence}, {}, {{"The second scanned page"}}, {{"The third scanned page"}}});
        UndoManager undo;
        std::vector<zepla::pdf::PageHandle> before;
        for (int i = 0; i < 4; ++i)
            before.push_back(document->pdfDocument()->page(i));
        DocumentRecognition run(*document, &undo);
        QSignalSpy progress(&run, &DocumentRecognition::progressed);
        const auto outcome = runDocument(run);
        QCOMPARE(outcome.pagesWithTextLayer, 3);
        QCOMPARE(outcome.pagesFailed, 0);
        QCOMPARE(progress.first(), QVariantList({0, 3}));
        QCOMPARE(progress.last(), QVariantList({3, 3}));
        QCOMPARE(document->pdfDocument()->page(1), before[1]);
        const QString text = document->pdfDocument()->pageText(3).value();
        QVERIFY2(text.contains("third scanned"), qPrintable(text));

        // Nothing is left to do: a page that got its layer is never layered twice.
        QVERIFY(OCRTextLayerApplier::pagesNeedingOCR(*document->pdfDocument()).empty());
        QCoreApplication::processEvents();
        undo.undo();
        for (int i = 0; i < 4; ++i)
            QCOMPARE(document->pdfDocument()->page(i), before[i]);
        undo.redo();
        QCOMPARE(OCRTextLayerApplier::pagesNeedingOCR(*document->pdfDocument()).size(), std::size_t(0));
        undo.undo();
        QCOMPARE(document->pdfDocument()->page(3), before[3]);
    }

    void scansKeepTheirPicturesAndSize_data() {
        QTest::addColumn<bool>("jpeg");
        QTest::addColumn<int>("rotation");
        QTest::addColumn<double>("cropInset");
        QTest::newRow("pixels, upright") << false << 0 << 0.0;
        QTest::newRow("JPEG, sideways and cropped") << true << 90 << 20.0;
    }
    void scansKeepTheirPicturesAndSize() {
        QFETCH(bool, jpeg);
        QFETCH(int, rotation);
        QFETCH(double, cropInset);
        QList<scanned::Page> pages;
        for (const char* first : {"The first scanned page", "The second scanned page"}) {
            scanned::Page page{QStringList{first} + sentence};
            page.jpeg = jpeg;
            page.rotation = rotation;
            page.cropInset = cropInset;
            page.noise = 0.003;
            pages << page;
        }
        auto document = scannedDocument(pages);
        const QByteArray original = document->pdfDocument()->save().value();
        const auto geometry = document->pdfDocument()->geometry(1).value();
        UndoManager undo;
        DocumentRecognition run(*document, &undo);
        QCOMPARE(runDocument(run).pagesWithTextLayer, 2);

        const QByteArray saved = document->pdfDocument()->save().value();
        const QStringList before = picturesOf(original);
        QCOMPARE(before.size(), 2);
        QVERIFY2(before.first().contains(jpeg ? " jpeg " : " image "), qPrintable(before.first()));
        QCOMPARE(picturesOf(saved), before);
        QVERIFY2(saved.size() <= original.size() * 1.05,
                 qPrintable(QString("%1 -> %2 bytes").arg(original.size()).arg(saved.size())));
        const auto after = document->pdfDocument()->geometry(1).value();
        QCOMPARE(after.rotation, geometry.rotation);
        QCOMPARE(after.cropBox, geometry.cropBox);
        QVERIFY(find(wordsOf(saved), "second"));
        QTemporaryDir folder;
        QCOMPARE(runTool("qpdf", {"--check", writeTestBytes(folder.filePath("saved.pdf"), saved)}).exitCode,
                 0);

        // Undo puts the scans back untouched.
        QCoreApplication::processEvents();
        undo.undo();
        QCOMPARE(picturesOf(document->pdfDocument()->save().value()), before);
        QVERIFY(!OCRTextLayerApplier::pageAlreadyHasText(*document->pdfDocument(), 1));
    }

    void pagesSharingOneResourcesDictionaryEachKeepTheirOwnText_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("whole document") << "document";
        QTest::newRow("one page at a time") << "page";
        QTest::newRow("text layer writer alone") << "writer";
    }
    void pagesSharingOneResourcesDictionaryEachKeepTheirOwnText() {
        QFETCH(QString, how);
        const QStringList own = {"rivers", "harbours", "orchards"};
        QList<QStringList> lines;
        for (const QString& word : own)
            lines << QStringList{QStringLiteral("This page speaks of %1 and nothing else").arg(word),
                                 sentence[1]};
        auto document = documentOf(sharedResourcesScans(lines));
        zepla::pdf::Document& pdf = *document->pdfDocument();
        QCOMPARE(OCRTextLayerApplier::pagesNeedingOCR(pdf).size(), std::size_t(3));
        if (how == "document") {
            DocumentRecognition run(*document, nullptr);
            QCOMPARE(runDocument(run).pagesWithTextLayer, 3);
        } else if (how == "page") {
            for (int page = 0; page < 3; ++page)
                QVERIFY(textOf(ocrPage(*document, page, nullptr)));
        } else {
            for (int page = 0; page < 3; ++page) {
                const zepla::ocr::Line line{
                    own[page], QRect(300, 300, 400, 50), {{own[page], QRect(300, 300, 400, 50)}}};
                const QTransform toPage = pdf.geometry(page).value().pageToImage(300.0 / 72).inverted();
                QVERIFY(zepla::pdf::addInvisibleText(pdf, page, OCRTextLayer::runs({line}, toPage)));
            }
        }

        const QByteArray saved = pdf.save().value();
        for (int page = 0; page < 3; ++page) {
            const QString text = pageTextOf(saved, page + 1);
            for (int other = 0; other < 3; ++other)
                QVERIFY2(text.contains(own[other]) == (other == page),
                         qPrintable(QString("page %1: %2").arg(page + 1).arg(text)));
            // The text a page had stays readable, but on the last page, which is redrawn as a picture.
            if (page < 2 || how == "writer")
                QVERIFY2(text.contains(QString("Scan %1").arg(page + 1)),
                         qPrintable(QString("page %1: %2").arg(page + 1).arg(text)));
        }
        QTemporaryDir folder;
        const ToolRun check =
            runTool("qpdf", {"--check", writeTestBytes(folder.filePath("saved.pdf"), saved)});
        QVERIFY2(check.exitCode == 0, check.out.constData());
    }

    // A page whose drawing leaves its coordinates scaled (no q/Q around a cm, as some scanners write): the
    // text is still laid where the words stand, and so is a second layer added later.
    void textLandsInPlaceOnAPageThatLeavesItsCoordinatesChanged() {
        const QByteArray content = "2 0 0 2 0 0 cm 0 0 m 20 20 l S";
        auto document = documentOf(fixtures::assemblePdf({
            "<< /Type /Catalog /Pages 2 0 R >>",
            "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
            "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R >>",
            "<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n" + content + "\nendstream",
        }));
        zepla::pdf::Document& pdf = *document->pdfDocument();
        const QTransform toPage = pdf.geometry(0).value().pageToImage(300.0 / 72).inverted();
        // At 300 dpi: 300 px is 72 points from the left and from the top, 900 px is 216 points.
        for (const auto& [word, y] :
             {std::pair{QStringLiteral("Meridian"), 300}, {QStringLiteral("Tropic"), 900}}) {
            const zepla::ocr::Line line{word, QRect(300, y, 400, 50), {{word, QRect(300, y, 400, 50)}}};
            QVERIFY(zepla::pdf::addInvisibleText(pdf, 0, OCRTextLayer::runs({line}, toPage)));
        }
        const auto words = wordsOf(pdf.save().value());
        for (const auto& [word, top] :
             {std::pair{QStringLiteral("Meridian"), 72.0}, {QStringLiteral("Tropic"), 216.0}}) {
            const FoundWord* found = find(words, word);
            QVERIFY2(found, qPrintable(word));
            QVERIFY2(
                std::abs(found->box.left() - 72) < 4 && std::abs(found->box.top() - top) < 6,
                qPrintable(QString("%1 at %2, %3").arg(word).arg(found->box.left()).arg(found->box.top())));
        }
    }

    void pageThatIsNotOnePictureIsRedrawnWithWhatItShows() {
        fixtures::PageSpec drawn{"x"};
        drawn.drawing = "0 0 0 rg 100 100 200 50 re f\n";
        auto document = documentOf(fixtures::makePdf({{drawn}}));
        QVERIFY(picturesOf(document->pdfDocument()->save().value()).isEmpty());
        DocumentRecognition run(*document, nullptr);
        QCOMPARE(runDocument(run).pagesWithTextLayer, 1);
        const QStringList pictures = picturesOf(document->pdfDocument()->save().value());
        QCOMPARE(pictures.size(), 1);
        QVERIFY2(pictures.first().startsWith("1 image 1224 1584 "), qPrintable(pictures.first()));
        const QImage shown = document->pdfDocument()->render(0, 1).value();
        QCOMPARE(qGray(shown.pixel(200, 792 - 125)), 0);
    }

    void documentWithTextEverywhereRegistersNothing() {
        auto document = documentOf(fixtures::makeTextPdf(2, "and enough words to count as text"));
        UndoManager undo;
        DocumentRecognition run(*document, &undo);
        const auto outcome = runDocument(run);
        QCOMPARE(outcome.pagesWithTextLayer, 0);
        QVERIFY(!undo.canUndo());
    }

    void cancellingAppliesNothing() {
        auto document = scannedDocument({{sentence}, {sentence}});
        const zepla::pdf::PageHandle first = document->pdfDocument()->page(0);
        UndoManager undo;
        DocumentRecognition run(*document, &undo);
        std::optional<DocumentRecognition::Outcome> outcome;
        connect(&run, &DocumentRecognition::finished, [&](const auto& o) { outcome = o; });
        run.start();
        QVERIFY(run.isRunning());
        run.cancel();
        QVERIFY(outcome && outcome->cancelled);
        QCOMPARE(outcome->pagesWithTextLayer, 0);
        // Workers that were still reading deliver nothing afterwards.
        QTest::qWait(200);
        recognitionPool().waitForDone();
        QCoreApplication::processEvents();
        QCOMPARE(document->pdfDocument()->page(0), first);
        QVERIFY(!undo.canUndo());
    }

    void pagesAreSwappedInAsTheyFinishAndCancelKeepsThemAsOneStep() {
        auto document = scannedDocument({{sentence}, {sentence}, {sentence}});
        std::vector<zepla::pdf::PageHandle> before;
        for (int i = 0; i < 3; ++i)
            before.push_back(document->pdfDocument()->page(i));
        UndoManager undo;
        DocumentRecognition run(*document, &undo);
        std::size_t leftAtFirstPage = 0;
        connect(&run, &DocumentRecognition::progressed, [&](int done, int) {
            if (done != 1)
                return;
            leftAtFirstPage = OCRTextLayerApplier::pagesNeedingOCR(*document->pdfDocument()).size();
            QVERIFY(!undo.canUndo());
            run.cancel();
        });
        const auto outcome = runDocument(run);
        QVERIFY(outcome.cancelled);
        QCOMPARE(outcome.pagesWithTextLayer, 1);
        QCOMPARE(leftAtFirstPage, std::size_t(2));
        // Workers still reading when Cancel came change nothing afterwards.
        recognitionPool().waitForDone();
        QCoreApplication::processEvents();
        QCOMPARE(OCRTextLayerApplier::pagesNeedingOCR(*document->pdfDocument()).size(), std::size_t(2));
        QCoreApplication::processEvents();
        QVERIFY(undo.canUndo());
        undo.undo();
        for (int i = 0; i < 3; ++i)
            QCOMPARE(document->pdfDocument()->page(i), before[i]);
        QVERIFY(!undo.canUndo());
    }

    void missingLanguageDataIsReportedAndChangesNothing() {
        QTemporaryDir empty;
        qputenv("TESSDATA_PREFIX", empty.path().toUtf8());
        auto document = scannedDocument({{sentence}});
        const zepla::pdf::PageHandle scan = document->pdfDocument()->page(0);
        UndoManager undo;
        const auto outcome = ocrPage(*document, 0, &undo);
        DocumentRecognition run(*document, &undo);
        const auto whole = runDocument(run);
        qunsetenv("TESSDATA_PREFIX");
        QVERIFY(!outcome.ok());
        QVERIFY2(outcome.error().contains("tesseract-ocr-eng"), qPrintable(outcome.error()));
        QCOMPARE(whole.pagesWithTextLayer, 0);
        QCOMPARE(whole.pagesFailed, 1);
        QVERIFY(whole.firstError.contains("not installed"));
        QCOMPARE(document->pdfDocument()->page(0), scan);
        QVERIFY(!undo.canUndo());
    }

    void invisibleTextKeepsCharactersBeyondLatin() {
        auto pdf = zepla::pdf::Document::open(fixtures::makePdf({{fixtures::PageSpec{}}})).value();
        const QString greek = QString::fromUtf8("Καλημέρα");
        const QString russian = QString::fromUtf8("Привет");
        zepla::ocr::Line line{greek + ' ' + russian,
                              QRect(100, 100, 500, 50),
                              {{greek, QRect(100, 100, 250, 50)}, {russian, QRect(380, 100, 220, 50)}}};
        // Pixels of a 300-dpi render to page space.
        const QTransform toPage = pdf->geometry(0).value().pageToImage(300.0 / 72).inverted();
        QVERIFY(zepla::pdf::addInvisibleText(*pdf, 0, OCRTextLayer::runs({line}, toPage)));
        const auto words = wordsOf(pdf->save().value());
        QVERIFY(find(words, greek));
        QVERIFY(find(words, russian));
        // A line without height adds nothing.
        line.box.setHeight(0);
        QVERIFY(OCRTextLayer::runs({line}, toPage).empty());
    }

    void extractorReadsWithoutChangingAndFindsNothingOnBlankPages() {
        auto document = scannedDocument({{sentence}, {{" "}}});
        const quint64 revision = document->pdfDocument()->revision();
        QObject context;
        std::vector<std::optional<QString>> texts;
        for (int page : {0, 1, 5})
            PageOCRExtractor::recognizeText(*document->pdfDocument(), page, &context,
                                            [&](std::optional<QString> text) { texts.push_back(text); });
        QVERIFY(QTest::qWaitFor([&] { return texts.size() == 3; }, testsupport::longWorkGuardMs));
        int found = 0;
        for (const auto& text : texts)
            found += text && text->contains("lazy dog");
        QCOMPARE(found, 1);
        QCOMPARE(std::count(texts.begin(), texts.end(), std::nullopt), 2);
        QCOMPARE(document->pdfDocument()->revision(), revision);
    }
};

QTEST_MAIN(TestOCRTextLayer)
#include "test_ocr_text_layer.moc"
