// Annotation appearances: the drawing rules of each kind, and the same picture live (QPainter), in
// Zepla's renders of the file, and in another reader's (pdftoppm) after saving, on plain, rotated and
// cropped pages, also beside malformed annotations.
#include "AnnotationSamples.h"
#include "PdfFixtures.h"
#include "TestDocuments.h"
#include "annotations/AppearancePainter.h"

#include <QFontDatabase>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace zepla;
using namespace zepla::annotations;
using testdocs::open;

namespace {

// The share of pixels whose colour differs by more than `tolerance` in some channel.
double differingShare(const QImage& a, const QImage& b, int tolerance = 60) {
    const QImage x = a.convertToFormat(QImage::Format_RGB888);
    const QImage y = b.convertToFormat(QImage::Format_RGB888);
    if (x.size() != y.size())
        return 1;
    qint64 differing = 0;
    for (int row = 0; row < x.height(); ++row) {
        const uchar* p = x.constScanLine(row);
        const uchar* q = y.constScanLine(row);
        for (int i = 0; i < x.width(); ++i) {
            const int d = std::max({std::abs(p[3 * i] - q[3 * i]), std::abs(p[3 * i + 1] - q[3 * i + 1]),
                                    std::abs(p[3 * i + 2] - q[3 * i + 2])});
            differing += d > tolerance;
        }
    }
    return double(differing) / (x.width() * x.height());
}

int inkPixels(const QImage& image) {
    const QImage x = image.convertToFormat(QImage::Format_RGB888);
    int count = 0;
    for (int row = 0; row < x.height(); ++row) {
        const uchar* p = x.constScanLine(row);
        for (int i = 0; i < x.width(); ++i)
            count += (p[3 * i] + p[3 * i + 1] + p[3 * i + 2]) < 600;
    }
    return count;
}

QList<QPointF> pathPoints(const QPainterPath& path) {
    QList<QPointF> points;
    for (int i = 0; i < path.elementCount(); ++i)
        points.append(path.elementAt(i));
    return points;
}

bool near(const QPointF& a, const QPointF& b) {
    return QLineF(a, b).length() < 1e-6;
}

} // namespace

class TestAnnotationAppearances : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_dir.isValid());
        testdocs::requireTool("pdftoppm");
    }

    void outlineShapesStrokeInsideTheirBounds_data() {
        QTest::addColumn<bool>("oval");
        QTest::addColumn<std::optional<qreal>>("border");
        QTest::addColumn<qreal>("width");
        QTest::newRow("rectangle, no border") << false << std::optional<qreal>() << 2.0;
        QTest::newRow("rectangle, width 6") << false << std::optional<qreal>(6) << 6.0;
        QTest::newRow("oval, width 6") << true << std::optional<qreal>(6) << 6.0;
    }
    void outlineShapesStrokeInsideTheirBounds() {
        QFETCH(bool, oval);
        QFETCH(std::optional<qreal>, border);
        QFETCH(qreal, width);
        std::unique_ptr<OutlineShapeAnnotation> shape;
        if (oval)
            shape = std::make_unique<OvalAnnotation>();
        else
            shape = std::make_unique<RectangleAnnotation>();
        shape->bounds = QRectF(100, 100, 80, 40);
        shape->borderWidth = border;
        shape->color = Qt::red;
        const Appearance a = shape->appearance();
        QCOMPARE(a.ops().size(), std::size_t(1));
        const DrawOp& op = a.ops().front();
        QCOMPARE(op.kind, DrawOp::Kind::Stroke);
        QCOMPARE(op.stroke.width, width);
        QCOMPARE(op.stroke.join, oval ? Qt::MiterJoin : Qt::RoundJoin);
        QCOMPARE(op.path.boundingRect(),
                 shape->bounds.adjusted(width / 2, width / 2, -width / 2, -width / 2));
    }

    void lineEndingSizes_data() {
        QTest::addColumn<qreal>("width");
        QTest::addColumn<qreal>("size");
        QTest::newRow("width 1") << 1.0 << 8.0;
        QTest::newRow("width 5") << 5.0 << 17.0;
    }
    void lineEndingSizes() {
        QFETCH(qreal, width);
        QFETCH(qreal, size);
        QCOMPARE(LineAnnotation::endingSize(width), size);
    }

    void closedArrowIsTheFilledTriangle() {
        LineAnnotation line;
        line.color = Qt::black;
        line.setWidth(1);
        line.setLineStyles(LineEndStyle::none, LineEndStyle::closedArrow);
        line.setPoints(QPointF(0, 0), QPointF(100, 0));
        const Appearance a = line.appearance();
        QCOMPARE(a.ops().size(), std::size_t(2));
        const DrawOp& arrow = a.ops()[1];
        QCOMPARE(arrow.kind, DrawOp::Kind::Fill);
        QCOMPARE(arrow.path.fillRule(), Qt::WindingFill);
        const QList<QPointF> corners = pathPoints(arrow.path);
        const qreal c = 8 * std::cos(M_PI / 7), s = 8 * std::sin(M_PI / 7);
        QVERIFY(near(corners[0], QPointF(100, 0)));
        QVERIFY(near(corners[1], QPointF(100 - c, s)) || near(corners[1], QPointF(100 - c, -s)));
        QVERIFY(near(corners[2], QPointF(100 - c, -corners[1].y())));
    }

    void coincidentEndsGetNoEndings() {
        LineAnnotation line;
        line.setLineStyles(LineEndStyle::closedArrow, LineEndStyle::square);
        line.setPoints(QPointF(50, 50), QPointF(50, 50));
        QCOMPARE(line.appearance().ops().size(), std::size_t(1));
    }

    // The line's rectangle hugs the segment, its ending and its width, not the page.
    void lineBoundsAreTight() {
        LineAnnotation line;
        line.setWidth(2);
        line.setLineStyles(LineEndStyle::none, LineEndStyle::openArrow);
        line.setPoints(QPointF(100, 100), QPointF(200, 100));
        const QRectF b = line.bounds;
        QVERIFY2(b.left() >= 98.9 && b.left() <= 99.1, qPrintable(QString::number(b.left())));
        QVERIFY(b.right() >= 201 && b.right() < 203.5); // the open arrow's tip sticks out by its miter
        const qreal wingReach = 8 * std::sin(M_PI / 7);
        QVERIFY(b.top() < 100 - wingReach && b.top() > 100 - wingReach - 2);
        QVERIFY(b.bottom() > 100 + wingReach && b.bottom() < 100 + wingReach + 2);
    }

    void noteDrawsBandInItsColourAndTextOnlyWhenThereIsSome() {
        NoteAnnotation note;
        note.bounds = QRectF(100, 100, 120, 80);
        note.color = QColor(255, 0, 0);
        const Appearance empty = note.appearance();
        QCOMPARE(empty.ops().size(), std::size_t(4)); // shadow, card, outline, band
        QCOMPARE(empty.ops()[3].color, QColor::fromRgbF(1, 0, 0, 0.85f));
        QCOMPARE(empty.ops()[0].path.boundingRect(), QRectF(103, 100, 117, 77));
        QCOMPARE(empty.ops()[1].path.boundingRect(), QRectF(100, 103, 117, 77));
        note.contents = "Hello";
        const Appearance written = note.appearance();
        QCOMPARE(written.ops().size(), std::size_t(5));
        QCOMPARE(written.ops()[4].kind, DrawOp::Kind::Text);
        QCOMPARE(written.ops()[4].text.color, NoteAnnotation::ink());
        QVERIFY(written.ops()[4].text.origin.y() < 100 + 80 - 3 - 7);
    }

    // Letters the handwriting face lacks come from a font that has them, in a run of their own.
    void lettersTheFaceLacksComeFromAnotherFont() {
        NoteAnnotation note;
        note.bounds = QRectF(100, 100, 200, 80);
        note.contents = QStringLiteral("Hi Привет");
        std::vector<TextRun> runs;
        const Appearance appearance = note.appearance();
        for (const DrawOp& op : appearance.ops()) {
            if (op.kind == DrawOp::Kind::Text)
                runs.push_back(op.text);
        }
        QVERIFY(!runs.empty());
        for (const TextRun& run : runs)
            QVERIFY(!run.glyphs.contains(0u));
        if (QFontDatabase::hasFamily("Comic Neue")) {
            QCOMPARE(runs.size(), std::size_t(2));
            QVERIFY(runs[0].fontFile != runs[1].fontFile);
            QVERIFY(runs[1].origin.x() > runs[0].origin.x());
        }
    }

    void freeTextDefaultsAndEmptyText() {
        FreeTextAnnotation text;
        text.bounds = QRectF(50, 50, 200, 60);
        QVERIFY(text.appearance().ops().empty());
        text.contents = "Words";
        const Appearance a = text.appearance();
        QCOMPARE(a.ops().size(), std::size_t(1));
        QCOMPARE(a.ops()[0].text.color, QColor(Qt::black));
        QCOMPARE(a.ops()[0].text.font.pixelSize(), 16.0);
        QCOMPARE(a.ops()[0].text.origin.x(), 56.0);
    }

    void pendingRedactionMarker_data() {
        QTest::addColumn<QString>("contents");
        QTest::addColumn<bool>("pending");
        QTest::newRow("exact") << "com.local.zepla.pending-redaction" << true;
        QTest::newRow("trailing space") << "com.local.zepla.pending-redaction " << false;
        QTest::newRow("letter case") << "com.local.zepla.Pending-redaction" << false;
        QTest::newRow("none") << "" << false;
    }
    void pendingRedactionMarker() {
        QFETCH(QString, contents);
        QFETCH(bool, pending);
        RectangleAnnotation square;
        square.contents = contents;
        QCOMPARE(isPendingRedactionMarker(square), pending);
        QCOMPARE(isPendingRedactionMarker(pdf::AnnotationInfo{{}, "Square", {}, contents}), pending);
        RedactionMarkerAnnotation marker;
        marker.contents = contents;
        QVERIFY(isPendingRedactionMarker(marker));
    }

    // Every kind, painted live over a render of the bare page, matches Zepla's render of the page with the
    // annotations written into it; saved and read by pdftoppm, the page matches again.
    void samePictureLiveInTheFileAndInOtherReaders_data() {
        QTest::addColumn<int>("rotation");
        QTest::addColumn<QRectF>("cropBox");
        QTest::newRow("plain") << 0 << QRectF();
        QTest::newRow("rotated 90") << 90 << QRectF();
        QTest::newRow("rotated 270, cropped with an offset") << 270 << QRectF(40, 60, 500, 650);
        QTest::newRow("cropped with an offset") << 0 << QRectF(30, 50, 520, 700);
    }
    void samePictureLiveInTheFileAndInOtherReaders() {
        QFETCH(int, rotation);
        QFETCH(QRectF, cropBox);
        fixtures::PageSpec page{"Annotated page"};
        page.rotate = rotation;
        page.cropBox = cropBox;
        auto doc = open(fixtures::makePdf({{page}}));
        const pdf::PageGeometry geometry = doc->geometry(0).value();
        const double scale = 1.5;
        QImage live = doc->render(0, scale).value().convertToFormat(QImage::Format_RGB32);

        const QRectF area = geometry.cropBox.adjusted(20, 20, -20, -120);
        const auto samples = samples::everyKind(area);
        for (const auto& sample : samples)
            sample.annotation->pageRotation = rotation; // drawn live upright, as the file will be
        {
            QPainter painter(&live);
            painter.setTransform(geometry.pageToImage(scale));
            for (const auto& sample : samples)
                paintAppearance(painter, sample.annotation->appearance());
        }
        for (const auto& sample : samples)
            QVERIFY2(writeNewAnnotation(*doc, 0, *sample.annotation).ok(), qPrintable(sample.name));
        const QImage rendered = doc->render(0, scale).value();
        QVERIFY(inkPixels(rendered) > 4000);
        QVERIFY2(differingShare(live, rendered) < 0.004,
                 qPrintable(QString::number(differingShare(live, rendered))));

        const QImage reopened = open(doc->save().value())->render(0, scale).value();
        QVERIFY(differingShare(reopened, rendered, 8) < 0.0005);

        const QString path = testdocs::saveTo(
            *doc, m_dir.filePath(QStringLiteral("every-kind-%1.pdf").arg(QTest::currentDataTag())));
        QProcess pdftoppm;
        pdftoppm.start("pdftoppm", {"-png", "-r", "108", "-cropbox", "-singlefile", path, path});
        QVERIFY(pdftoppm.waitForFinished(60000));
        QCOMPARE(pdftoppm.exitCode(), 0);
        const QImage other(path + ".png");
        const QImage ours = doc->render(0, scale).value();
        QCOMPARE(other.size(), ours.size());
        const double share = differingShare(other, ours);
        QVERIFY2(share < 0.006, qPrintable(QString::number(share)));
    }

    // Annotations that are missing their rectangle, or have a subtype nobody knows, neither stop the page
    // from opening and drawing nor stand in the way of new ones.
    void malformedAnnotationsStillOpenAndDraw() {
        auto doc = open(fixtures::makePdf({{{"Page with odd annotations"}}}));
        using pdf::ObjectValue;
        QVERIFY(doc->createAnnotation(0, {{"Subtype", ObjectValue::name("Square")}}, {}).ok());
        QVERIFY(
            doc->createAnnotation(
                   0, {{"Subtype", ObjectValue::name("Bogus")}, {"Rect", ObjectValue::numbers({1, 2})}}, {})
                .ok());
        QVERIFY(doc->createAnnotation(0,
                                      {{"Subtype", ObjectValue::name("Ink")},
                                       {"Rect", ObjectValue::numbers({10, 10, 50, 50})},
                                       {"InkList", ObjectValue::text("not a list")}},
                                      {})
                    .ok());
        auto reopened = open(doc->save().value());
        QCOMPARE(reopened->annotations(0).value().size(), std::size_t(3));
        QVERIFY(!reopened->render(0, 1).value().isNull());

        RectangleAnnotation box;
        box.bounds = QRectF(100, 100, 100, 100);
        box.color = Qt::blue;
        QVERIFY(writeNewAnnotation(*reopened, 0, box).ok());
        QCOMPARE(reopened->annotations(0).value().size(), std::size_t(4));
        QVERIFY(inkPixels(reopened->render(0, 1).value()) > 300);
    }

    // A translucent colour is applied once: in Zepla's render and in another reader's, the stroke shows
    // the colour at its own opacity over the paper.
    void translucentColourIsAppliedOnce() {
        auto doc = open(fixtures::makeTextPdf(1));
        RectangleAnnotation box;
        box.bounds = QRectF(100, 100, 200, 200);
        box.borderWidth = 20;
        box.color = QColor(0, 0, 255, 128);
        QVERIFY(writeNewAnnotation(*doc, 0, box).ok());
        const QString path = testdocs::saveTo(*doc, m_dir.filePath("translucent.pdf"));
        QProcess pdftoppm;
        pdftoppm.start("pdftoppm", {"-png", "-r", "72", "-singlefile", path, path});
        QVERIFY(pdftoppm.waitForFinished(60000));
        const QImage other(path + ".png");
        const QImage ours = open(doc->save().value())->render(0, 1).value();
        for (const QImage& image : {ours, other}) {
            const QColor stroke = image.pixelColor(110, 792 - 200);
            QVERIFY2(
                std::abs(stroke.red() - 127) < 12 && stroke.blue() > 245,
                qPrintable(
                    QStringLiteral("%1 %2 %3").arg(stroke.red()).arg(stroke.green()).arg(stroke.blue())));
        }
    }

    void updatingMovesAndRedrawsTheSameObject() {
        auto doc = open(fixtures::makeTextPdf(1));
        RectangleAnnotation box;
        box.bounds = QRectF(100, 100, 50, 50);
        box.color = Qt::black;
        QVERIFY(writeNewAnnotation(*doc, 0, box).ok());
        const pdf::AnnotationHandle before = box.handle;
        box.bounds = QRectF(300, 300, 80, 80);
        QVERIFY(rewriteAnnotation(*doc, box).ok());
        const auto infos = doc->annotations(0).value();
        QCOMPARE(infos.size(), std::size_t(1));
        QVERIFY(infos[0].handle == before);
        QCOMPARE(infos[0].rect, QRectF(300, 300, 80, 80));
        const QImage image = doc->render(0, 1).value();
        QVERIFY(image.pixelColor(300, 792 - 340).lightness() < 80);  // the new left edge
        QVERIFY(image.pixelColor(100, 792 - 125).lightness() > 200); // the old one is gone
    }
};

QTEST_MAIN(TestAnnotationAppearances)
#include "test_annotation_appearances.moc"
