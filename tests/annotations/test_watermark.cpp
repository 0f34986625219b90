// Watermarks: one stamp per page with a real appearance stream, its size from the page, turned 45° about
// the page's centre, and one undo step per application.
#include "../ui/support/EditorDocuments.h"
#include "ExternalTool.h"
#include "annotations/WatermarkAnnotation.h"
#include "annotations/WatermarkApplier.h"
#include "core/UndoManager.h"

#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QtMath>

using namespace zepla;
using annotations::WatermarkAnnotation;

namespace {

int stampCount(const pdf::Document& file, int page) {
    int count = 0;
    const std::vector<pdf::AnnotationInfo> annotations = file.annotations(page).value();
    for (const pdf::AnnotationInfo& info : annotations)
        count += info.subtype == "Stamp";
    return count;
}

// Dark pixels near the page's rising diagonal, and none near the falling one: the text runs from lower left
// to upper right through the centre.
void checkDiagonal(const QImage& page) {
    auto inkNear = [&](bool rising) {
        int dark = 0;
        for (int step = -40; step <= 40; ++step) {
            // Away from the centre, which the text's height covers on both diagonals.
            if (!rising && qAbs(step) < 20)
                continue;
            const double t = 0.5 + step / 200.0;
            const int x = int(t * page.width());
            const int y = int((rising ? 1 - t : t) * page.height());
            dark += qGray(page.pixel(x, y)) < 200;
        }
        return dark;
    };
    QVERIFY2(inkNear(true) > 10, qPrintable(QString::number(inkNear(true))));
    QCOMPARE(inkNear(false), 0);
}

// The angle (degrees, counter-clockwise from the reader's right) of the dark pixels' main axis: the
// direction a long line of text runs in.
double inkAngle(const QImage& page) {
    double n = 0, sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            if (qGray(page.pixel(x, y)) >= 200)
                continue;
            const double up = -y; // the image runs downward
            n += 1;
            sx += x;
            sy += up;
            sxx += double(x) * x;
            syy += up * up;
            sxy += x * up;
        }
    if (n == 0)
        return qQNaN();
    const double mxx = sxx / n - (sx / n) * (sx / n);
    const double myy = syy / n - (sy / n) * (sy / n);
    const double mxy = sxy / n - (sx / n) * (sy / n);
    return qRadiansToDegrees(0.5 * std::atan2(2 * mxy, mxx - myy));
}

void endStep() {
    QCoreApplication::processEvents();
}

} // namespace

class TestWatermark : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void fontSizeFollowsThePage_data() {
        QTest::addColumn<QSizeF>("page");
        QTest::addColumn<double>("size");
        QTest::newRow("Letter") << QSizeF(612, 792) << 73.44;
        QTest::newRow("small page raised to 24") << QSizeF(150, 150) << 24.0;
        QTest::newRow("landscape") << QSizeF(842, 595) << 71.4;
    }
    void fontSizeFollowsThePage() {
        QFETCH(QSizeF, page);
        QFETCH(double, size);
        QVERIFY(qAbs(WatermarkAnnotation::fontSize(page) - size) < 1e-9);
    }

    void stampShowsAlongTheDiagonalHereAndInPoppler() {
        auto document = testsupport::editorDocument(fixtures::makeTextPdf(1));
        annotations::WatermarkApplier::apply("CONFIDENTIAL", 0.6, *document, nullptr);
        pdf::Document& file = *document->pdfDocument();
        QCOMPARE(stampCount(file, 0), 1);
        checkDiagonal(file.render(0, 0.5).value());

        const QString path = writeTestBytes(m_dir.filePath("stamped.pdf"), file.save().value());
        QVERIFY(runTool("pdftoppm", {"-r", "36", "-png", "-singlefile", path, m_dir.filePath("poppler")})
                    .exitCode == 0);
        checkDiagonal(QImage(m_dir.filePath("poppler.png")));
        // The bold face is embedded, so every reader draws the same letters.
        QVERIFY(QString::fromUtf8(runTool("pdffonts", {path}).out).contains("yes"));
    }

    // The text rises at 45 degrees as the reader sees the page, however the page is turned, in Zepla and in
    // poppler alike.
    void textRisesAtFortyFiveDegreesOnEveryTurn_data() {
        QTest::addColumn<int>("rotation");
        for (int rotation : {0, 90, 180, 270})
            QTest::newRow(qPrintable(QString::number(rotation))) << rotation;
    }
    void textRisesAtFortyFiveDegreesOnEveryTurn() {
        QFETCH(int, rotation);
        fixtures::PageSpec page{QString()};
        page.rotate = rotation;
        auto document = testsupport::editorDocument(fixtures::makePdf({{page}}));
        annotations::WatermarkApplier::apply("WATERMARKED COPY", 0.6, *document, nullptr);
        pdf::Document& file = *document->pdfDocument();
        const QString path = writeTestBytes(m_dir.filePath(QStringLiteral("turned-%1.pdf").arg(rotation)),
                                            file.save().value());
        QVERIFY(runTool("pdftoppm", {"-r", "36", "-png", "-singlefile", path, path}).exitCode == 0);
        for (const QImage& shown : {file.render(0, 0.5).value(), QImage(path + ".png")}) {
            const double angle = inkAngle(shown);
            QVERIFY2(std::abs(angle - 45) < 2, qPrintable(QString::number(angle)));
        }
    }

    void applyingTwiceAndUndoingOnceRemovesOnlyTheSecondSet() {
        auto document = testsupport::editorDocument(fixtures::makeTextPdf(3));
        pdf::Document& file = *document->pdfDocument();
        platform::UndoManager undo;
        annotations::WatermarkApplier::apply("FIRST", 0.25, *document, &undo);
        endStep();
        annotations::WatermarkApplier::apply("SECOND", 0.25, *document, &undo);
        endStep();
        for (int page = 0; page < 3; ++page)
            QCOMPARE(stampCount(file, page), 2);
        undo.undo();
        endStep();
        for (int page = 0; page < 3; ++page) {
            QCOMPARE(stampCount(file, page), 1);
            QCOMPARE(file.annotations(page)->front().contents, QString("FIRST"));
        }
        undo.redo();
        endStep();
        QCOMPARE(stampCount(file, 1), 2);
        undo.undo();
        undo.undo();
        endStep();
        QCOMPARE(stampCount(file, 2), 0);
    }

    void oddTextsAndPagesStampWithoutTrouble() {
        fixtures::DocSpec spec;
        spec.pages = {fixtures::PageSpec{"turned", {0, 0, 612, 792}, {}, 90},
                      fixtures::PageSpec{"cropped", {0, 0, 600, 800}, {100, 150, 300, 400}}};
        auto document = testsupport::editorDocument(fixtures::makePdf(spec));
        for (const QString& text : {QString(2000, u'W'), QString::fromUtf8("😀🎉🚀")}) {
            annotations::WatermarkApplier::apply(text, 0.3, *document, nullptr);
            QVERIFY(document->pdfDocument()->render(1, 0.25));
        }
        QCOMPARE(stampCount(*document->pdfDocument(), 0), 2);
        // The stamp covers the whole media box, not the crop box.
        const auto annotations = document->pdfDocument()->annotations(1).value();
        QCOMPARE(annotations.back().rect, QRectF(0, 0, 600, 800));
    }

    void documentWithoutPagesIsLeftAlone() {
        document::PDFEditorDocument document;
        platform::UndoManager undo;
        annotations::WatermarkApplier::apply("X", 0.25, document, &undo);
        endStep();
        QVERIFY(!undo.canUndo());
    }
};

QTEST_MAIN(TestWatermark)
#include "test_watermark.moc"
