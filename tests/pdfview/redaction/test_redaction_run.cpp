// Redaction in the background: marked pages drawn on workers and swapped in on the UI thread as they are
// ready, with progress; the pages of one run are one undo step; Cancel keeps what was swapped in and
// changes nothing after it. Each redacted page shows its boxes black and keeps no text.
#include "PdfFixtures.h"
#include "annotations/RedactionMarkerAnnotation.h"
#include "core/UndoManager.h"
#include "pdfview/redaction/RedactionRun.h"

#include <QSignalSpy>
#include <QTest>

using namespace zepla;
using document::PDFEditorDocument;
using pdfview::RedactionOutcome;
using pdfview::RedactionRun;

namespace {

std::unique_ptr<PDFEditorDocument> markedDocument(int pages, const std::vector<int>& marked) {
    auto result = PDFEditorDocument::read(fixtures::makeTextPdf(pages, "confidential"));
    auto document = std::move(result).value();
    for (int index : marked) {
        annotations::RedactionMarkerAnnotation mark;
        mark.bounds = QRectF(60, 690, 200, 30);
        annotations::writeNewAnnotation(*document->pdfDocument(), index, mark);
    }
    return document;
}

RedactionOutcome runToTheEnd(RedactionRun& run) {
    std::optional<RedactionOutcome> outcome;
    QObject::connect(&run, &RedactionRun::finished, [&](const RedactionOutcome& o) { outcome = o; });
    run.start();
    if (!QTest::qWaitFor([&] { return outcome.has_value(); }, testsupport::longWorkGuardMs))
        qFatal("redaction did not end");
    return *outcome;
}

bool hasText(const PDFEditorDocument& document, int index) {
    return !document.pdfDocument()->pageText(index).value().trimmed().isEmpty();
}

// The render's pixel at a point of page space (y up) on an unrotated page at scale 1.
int greyAt(const PDFEditorDocument& document, int index, QPointF point) {
    const QImage page = document.pdfDocument()->render(index, 1).value();
    return qGray(page.pixel(int(point.x()), int(792 - point.y())));
}

} // namespace

class TestRedactionRun : public QObject {
    Q_OBJECT

private slots:
    void markedPagesAreSwappedInAsOneUndoStep() {
        auto document = markedDocument(6, {1, 3, 4});
        std::vector<pdf::PageHandle> before;
        for (int i = 0; i < 6; ++i)
            before.push_back(document->pdfDocument()->page(i));
        platform::UndoManager undo;
        RedactionRun run(*document, &undo);
        QSignalSpy progress(&run, &RedactionRun::progressed);
        const RedactionOutcome outcome = runToTheEnd(run);
        QCOMPARE(outcome.pagesRedacted, 3);
        QCOMPARE(outcome.pagesFailed, 0);
        QVERIFY(!outcome.cancelled);
        // The total grows while the pages are searched (in slices, however many the machine's pace makes),
        // and nothing is done before the first report.
        QCOMPARE(progress.first().at(0).toInt(), 0);
        for (qsizetype i = 1; i < progress.size(); ++i)
            QVERIFY(progress.at(i).at(1).toInt() >= progress.at(i - 1).at(1).toInt());
        QCOMPARE(progress.last(), QVariantList({3, 3}));
        for (int i = 0; i < 6; ++i) {
            const bool redacted = i == 1 || i == 3 || i == 4;
            QCOMPARE(document->pdfDocument()->page(i) == before[i], !redacted);
            QCOMPARE(hasText(*document, i), !redacted);
            QCOMPARE(greyAt(*document, i, {160, 716}) == 0, redacted);
            QVERIFY(document->pdfDocument()->annotations(i).value().empty());
        }
        QCoreApplication::processEvents();
        undo.undo();
        for (int i = 0; i < 6; ++i)
            QCOMPARE(document->pdfDocument()->page(i), before[i]);
        QVERIFY(!undo.canUndo());
    }

    void nothingMarkedEndsAtOnceWithoutAStep() {
        auto document = markedDocument(2, {});
        platform::UndoManager undo;
        RedactionRun run(*document, &undo);
        QSignalSpy finished(&run, &RedactionRun::finished);
        run.start();
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.first().first().value<RedactionOutcome>().pagesRedacted, 0);
        QVERIFY(!undo.canUndo());
    }

    void cancelKeepsWhatWasSwappedInAndNothingMore() {
        auto document = markedDocument(8, {0, 1, 2, 3, 4, 5, 6, 7});
        platform::UndoManager undo;
        RedactionRun run(*document, &undo);
        connect(&run, &RedactionRun::progressed, [&](int done, int) {
            if (done == 1)
                run.cancel();
        });
        const RedactionOutcome outcome = runToTheEnd(run);
        QVERIFY(outcome.cancelled);
        QCOMPARE(outcome.pagesRedacted, 1);
        RedactionRun::pool().waitForDone();
        QCoreApplication::processEvents();
        int withText = 0, withMarks = 0;
        for (int i = 0; i < 8; ++i) {
            withText += hasText(*document, i);
            withMarks += !document->pdfDocument()->annotations(i).value().empty();
        }
        QCOMPARE(withText, 7);
        QCOMPARE(withMarks, 7);
        QCoreApplication::processEvents();
        undo.undo();
        for (int i = 0; i < 8; ++i)
            QVERIFY(hasText(*document, i));
        QVERIFY(!undo.canUndo());
    }
};

QTEST_MAIN(TestRedactionRun)
#include "test_redaction_run.moc"
