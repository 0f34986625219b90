// The eraser in the annotating view, driven by real presses and drags: whole annotations taken off with one
// undo step per event, lines touched by their stroke rather than their box, precise cuts of ink strokes,
// and the circle that stands in for the pointer at the current zoom.
#include "AnnotatingViewHarness.h"
#include "annotations/InkAnnotation.h"
#include "annotations/LineAnnotation.h"
#include "annotations/NoteAnnotation.h"
#include "annotations/OutlineShapeAnnotation.h"

using namespace zepla;
using namespace zepla::annotations;
using zepla::pdfview::AnnotatingPDFView;

class TestEraser : public AnnotatingViewHarness {
    Q_OBJECT

    template <class Kind> std::shared_ptr<Kind> put(std::shared_ptr<Kind> annotation) {
        if (!m_view->addAnnotation(annotation, m_doc->page(0)))
            qFatal("cannot add an annotation");
        return annotation;
    }

    // A straight stroke across the page at height y, one point every 10 points from x 100 to 400.
    std::shared_ptr<InkAnnotation> stroke(qreal y, qreal from = 100, qreal to = 400) {
        QList<QPointF> points;
        for (qreal x = from; x <= to; x += 10)
            points.append(QPointF(x, y));
        return put(std::shared_ptr<InkAnnotation>(InkAnnotation::through(points, QColor(200, 30, 60), 3)));
    }

    void settle() {
        QCoreApplication::processEvents();
        m_undo->removeAllActions();
    }

    void eraseAt(const QPointF& page) {
        QTest::mouseClick(viewport(), Qt::LeftButton, {}, viewPoint(page));
        QCoreApplication::processEvents();
    }

    std::vector<pdf::AnnotationInfo> inks() {
        std::vector<pdf::AnnotationInfo> result;
        for (const auto& a : annotations())
            if (a.subtype == QLatin1String("Ink"))
                result.push_back(a);
        return result;
    }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void cleanup() { m_view.reset(); }
    void init() {
        showDocument(fixtures::makeTextPdf(1));
        m_view->setScaleFactor(1);
        m_tools->setTool(AnnotationTool::eraser);
    }

    void radiusIsHalfTheSizeAndAtLeastOne() {
        QCOMPARE(m_view->eraserRadius(), 10.0);
        m_tools->setEraserSize(4);
        QCOMPARE(m_view->eraserRadius(), 2.0);
    }

    // A press inside a large rectangle far from its outline, over a note as well: both go in one step.
    void wholeStrokeErasesEverythingTouchedInOneStep() {
        auto rect = std::make_shared<RectangleAnnotation>();
        rect->bounds = QRectF(100, 100, 400, 400);
        put(rect);
        auto note = std::make_shared<NoteAnnotation>();
        note->bounds = QRectF(280, 280, 120, 80);
        put(note);
        settle();
        const std::size_t before = annotations().size();
        eraseAt(QPointF(300, 300));
        QCOMPARE(annotations().size(), before - 2);
        m_undo->undo();
        QCOMPARE(annotations().size(), before);
        QVERIFY(!m_undo->canUndo());
    }

    // A diagonal line's box covers half the page; only its stroke counts, as wide as it is drawn. The
    // eraser's circle has a radius of 10.
    void lineIsTouchedByItsStrokeOnly_data() {
        QTest::addColumn<qreal>("width");
        QTest::addColumn<qreal>("distance"); // from the line's middle, across it
        QTest::addColumn<bool>("erased");
        QTest::newRow("thin, inside the box, far from the stroke") << 2.0 << 184.0 << false;
        QTest::newRow("thin, on the stroke") << 2.0 << 7.0 << true;
        QTest::newRow("thin, beside the stroke") << 2.0 << 16.0 << false;
        QTest::newRow("thick, on its edge") << 30.0 << 22.0 << true;
        QTest::newRow("thick, beside its edge") << 30.0 << 29.0 << false;
    }
    void lineIsTouchedByItsStrokeOnly() {
        QFETCH(qreal, width);
        QFETCH(qreal, distance);
        QFETCH(bool, erased);
        auto line = std::make_shared<LineAnnotation>();
        line->setWidth(width);
        line->setPoints(QPointF(100, 100), QPointF(400, 400));
        put(line);
        settle();
        eraseAt(QPointF(250, 250) + distance / std::sqrt(2.0) * QPointF(1, -1));
        QCOMPARE(annotations().empty(), erased);
    }

    void preciseCuts_data() {
        QTest::addColumn<QList<QPointF>>("presses");
        QTest::addColumn<int>("strokesLeft");
        QTest::newRow("middle: two strokes") << QList<QPointF>{{250, 500}} << 2;
        QTest::newRow("end: one stroke") << QList<QPointF>{{100, 500}} << 1;
        QTest::newRow("twice in the middle: three strokes") << QList<QPointF>{{200, 500}, {300, 500}} << 3;
        QTest::newRow("near the box, away from every point") << QList<QPointF>{{250, 511}} << 1;
    }
    void preciseCuts() {
        QFETCH(QList<QPointF>, presses);
        QFETCH(int, strokesLeft);
        m_tools->setEraserMode(EraserMode::precise);
        m_tools->setEraserSize(12);
        stroke(500);
        settle();
        for (const QPointF& p : presses)
            eraseAt(p);
        const auto left = inks();
        QCOMPARE(int(left.size()), strokesLeft);
        const bool cut = presses.front().y() == 500;
        QCOMPARE(m_undo->canUndo(), cut);
        for (const auto& piece : left) {
            QCOMPARE(m_doc->annotationNumber(piece.handle, "BS/W"), 3.0);
            const auto color = m_doc->annotationNumberArrays(piece.handle, "C");
            QVERIFY(std::abs(color[0][0] - 200 / 255.0) < 0.01);
            for (const QPointF& p : presses) {
                for (const auto& list : m_doc->annotationNumberArrays(piece.handle, "InkList")) {
                    for (std::size_t i = 0; i + 1 < list.size(); i += 2)
                        QVERIFY(!cut || std::hypot(list[i] - p.x(), list[i + 1] - p.y()) > 6);
                }
            }
        }
        if (!cut)
            return;
        while (m_undo->canUndo())
            m_undo->undo();
        QCOMPARE(inks().size(), std::size_t(1));
        QCOMPARE(inks()[0].rect, QRectF(95, 495, 310, 10));
        m_undo->redo();
        QCOMPARE(inks().size(), std::size_t(presses.size() == 1 ? strokesLeft : 2)); // one press redone
    }

    void preciseModeErasesOtherKindsWhole() {
        m_tools->setEraserMode(EraserMode::precise);
        auto note = std::make_shared<NoteAnnotation>();
        note->bounds = QRectF(200, 200, 120, 80);
        put(note);
        eraseAt(QPointF(210, 210));
        QVERIFY(annotations().empty());
    }

    void dragErasesAlongTheWay() {
        for (qreal y : {300, 320, 340, 360})
            stroke(y, 100, 200);
        stroke(600);
        settle();
        drag(viewPoint(QPointF(150, 280)), viewPoint(QPointF(150, 380)), 10);
        QCOMPARE(inks().size(), std::size_t(1));
    }

    void circleStandsInForThePointer() {
        m_view->setScaleFactor(2);
        const QPoint p = viewport()->rect().center();
        QTest::mouseMove(viewport(), p);
        QCOMPARE(m_view->eraserCircleCenter(), std::optional<QPointF>(p));
        QCOMPARE(m_view->eraserCircleDiameter(), 40.0);
        QCOMPARE(viewport()->cursor().shape(), Qt::BlankCursor);
        const QImage shot = viewport()->grab().toImage().scaled(viewport()->size());
        int darkest = 255;
        for (int dx = 17; dx <= 23; ++dx)
            darkest = std::min(darkest, qGray(shot.pixel(p + QPoint(dx, 0))));
        QVERIFY(darkest < 160); // the dark ring
        m_tools->setTool(AnnotationTool::ink);
        QVERIFY(!m_view->eraserCircleCenter());
        QVERIFY(viewport()->cursor().shape() != Qt::BlankCursor);
        m_tools->setTool(AnnotationTool::eraser);
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(m_view.get(), &leave);
        QVERIFY(!m_view->eraserCircleCenter());
    }

    void flattenedPointsSampleCurves() {
        QPainterPath path;
        path.moveTo(0, 0);
        path.lineTo(10, 0);
        path.cubicTo(QPointF(10, 10), QPointF(20, 10), QPointF(20, 0));
        const auto points = AnnotatingPDFView::flattenedPoints(path, 4);
        QCOMPARE(points.size(), 6);
        QCOMPARE(points.last(), QPointF(20, 0));
        QCOMPARE(points[3], QPointF(15, 7.5)); // t = 1/2
        QCOMPARE(AnnotatingPDFView::flattenedPoints(path, 0).size(), 3);
    }
};

QTEST_MAIN(TestEraser)
#include "test_eraser.moc"
