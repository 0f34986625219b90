// The annotating view driven by real mouse and key events on its viewport: each drag tool's click, drag,
// reverse drag and Esc; undo and redo putting back the very same annotation; the redaction callback; note
// moves; inline editors committed on a press; cursors; and what a saved file shows in another reader, on
// plain, rotated and cropped pages.
#include "AnnotatingViewHarness.h"
#include "annotations/FormFieldPlacer.h"
#include "annotations/InkAnnotation.h"
#include "annotations/LineAnnotation.h"
#include "annotations/NoteAnnotation.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace zepla;
using namespace zepla::annotations;
using zepla::pdfview::AnnotatingPDFView;

namespace {

fixtures::PageSpec plainPage() {
    return fixtures::PageSpec{"Annotate me"};
}

fixtures::PageSpec rotatedCroppedPage() {
    fixtures::PageSpec page{"Turned and cropped"};
    page.rotate = 90;
    page.cropBox = QRectF(40, 60, 500, 650);
    return page;
}

int inkPixels(const QImage& image, const QRect& area) {
    int count = 0;
    const QRect clipped = area.intersected(image.rect());
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        for (int x = clipped.left(); x <= clipped.right(); ++x)
            count += qGray(image.pixel(x, y)) < 200;
    }
    return count;
}

} // namespace

class TestAnnotatingPDFView : public AnnotatingViewHarness {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_dir.isValid());
        testdocs::requireTool("pdftoppm");
    }

    void cleanup() { m_view.reset(); }

    void clickWithoutDragLeavesNothing_data() {
        QTest::addColumn<AnnotationTool>("tool");
        for (AnnotationTool tool : {AnnotationTool::ink, AnnotationTool::rectangle, AnnotationTool::oval,
                                    AnnotationTool::line, AnnotationTool::redact, AnnotationTool::form})
            QTest::newRow(qPrintable(rawValue(tool))) << tool;
    }
    void clickWithoutDragLeavesNothing() {
        QFETCH(AnnotationTool, tool);
        showDocument(fixtures::makePdf({{plainPage()}}));
        m_tools->setTool(tool);
        QTest::mouseClick(viewport(), Qt::LeftButton, {}, at(0.3, 0.3));
        QCoreApplication::processEvents();
        QVERIFY(annotations().empty());
        QVERIFY(!m_undo->canUndo());
        QCOMPARE(m_redactions, 0);
        QVERIFY(m_view->currentAnnotation() == nullptr);
    }

    void dragLeavesOneShownAnnotationWithOneUndoStep_data() {
        QTest::addColumn<AnnotationTool>("tool");
        QTest::addColumn<QString>("subtype");
        QTest::addColumn<bool>("reverse");
        QTest::addColumn<bool>("turnedPage");
        const std::vector<std::pair<AnnotationTool, QString>> kinds{
            {AnnotationTool::ink, "Ink"},       {AnnotationTool::rectangle, "Square"},
            {AnnotationTool::oval, "Circle"},   {AnnotationTool::line, "Line"},
            {AnnotationTool::redact, "Square"}, {AnnotationTool::form, "Widget"}};
        for (const auto& [tool, subtype] : kinds) {
            for (bool reverse : {false, true}) {
                for (bool turned : {false, true}) {
                    QTest::addRow("%s%s%s", qPrintable(rawValue(tool)), reverse ? ", reverse" : "",
                                  turned ? ", rotated and cropped page" : "")
                        << tool << subtype << reverse << turned;
                }
            }
        }
    }
    void dragLeavesOneShownAnnotationWithOneUndoStep() {
        QFETCH(AnnotationTool, tool);
        QFETCH(QString, subtype);
        QFETCH(bool, reverse);
        QFETCH(bool, turnedPage);
        showDocument(fixtures::makePdf({{turnedPage ? rotatedCroppedPage() : plainPage()}}));
        m_tools->setTool(tool);
        m_tools->setLineWidth(3);
        QPoint from = at(0.25, 0.3), to = at(0.6, 0.5);
        if (reverse)
            std::swap(from, to);
        drag(from, to);
        const auto list = annotations();
        QCOMPARE(list.size(), std::size_t(1));
        QCOMPARE(list[0].subtype, subtype);
        QCOMPARE(m_doc->annotationNumber(list[0].handle, "F"), 4.0); // shown and printed, no longer hidden
        QVERIFY(m_undo->canUndo());
        const QRectF dragged = AnnotatingPDFView::normalizedRect(pagePoint(from), pagePoint(to));
        const QRectF rect = list[0].rect;
        if (tool == AnnotationTool::ink) {
            // The points' box grown by the width plus 2.
            QVERIFY(std::abs(rect.left() - (dragged.left() - 5)) < 0.01);
            QVERIFY(std::abs(rect.width() - (dragged.width() + 10)) < 0.01);
        } else if (tool == AnnotationTool::line) {
            // Tight around the segment, not the page.
            QVERIFY(rect.contains(dragged.adjusted(0.5, 0.5, -0.5, -0.5)));
            QVERIFY(dragged.adjusted(-3, -3, 3, 3).contains(rect));
        } else {
            QVERIFY(std::abs(rect.left() - dragged.left()) < 0.01 &&
                    std::abs(rect.top() - dragged.top()) < 0.01);
            QVERIFY(std::abs(rect.width() - dragged.width()) < 0.01);
            QVERIFY(std::abs(rect.height() - dragged.height()) < 0.01);
        }
        QCOMPARE(m_redactions, tool == AnnotationTool::redact ? 1 : 0);

        m_undo->undo();
        QVERIFY(annotations().empty());
        if (tool == AnnotationTool::form)
            QVERIFY(m_doc->fieldNames().isEmpty());
        m_undo->redo();
        QCOMPARE(annotations().size(), std::size_t(1));
        QVERIFY(annotations()[0].handle == list[0].handle); // the very same object
        QCOMPARE(m_redactions, tool == AnnotationTool::redact ? 1 : 0);
    }

    void escapeMidDragLeavesNothing_data() { clickWithoutDragLeavesNothing_data(); }
    void escapeMidDragLeavesNothing() {
        QFETCH(AnnotationTool, tool);
        showDocument(fixtures::makePdf({{plainPage()}}));
        m_tools->setTool(tool);
        m_tools->setActiveMarkupMode(MarkupAction::highlight);
        m_tools->setTextEditingModeEnabled(false);
        QTest::mousePress(viewport(), Qt::LeftButton, {}, at(0.2, 0.2));
        QTest::mouseMove(viewport(), at(0.4, 0.4));
        QTest::mouseMove(viewport(), at(0.5, 0.5));
        QTest::keyClick(m_view.get(), Qt::Key_Escape);
        QTest::mouseRelease(viewport(), Qt::LeftButton, {}, at(0.5, 0.5));
        QCoreApplication::processEvents();
        QVERIFY(annotations().empty());
        QVERIFY(m_doc->fieldNames().isEmpty());
        QVERIFY(!m_undo->canUndo());
        QCOMPARE(m_redactions, 0);
        QCOMPARE(m_tools->tool(), AnnotationTool::select);
        QVERIFY(!m_tools->activeMarkupMode());
    }

    // The toolbar may switch tools while the mouse is down: the gesture that began goes on to its release.
    void toolSwitchedMidDragFinishesTheGestureThatBegan_data() {
        QTest::addColumn<AnnotationTool>("switchTo");
        QTest::newRow("to the line tool") << AnnotationTool::line;
        QTest::newRow("to select") << AnnotationTool::select;
    }
    void toolSwitchedMidDragFinishesTheGestureThatBegan() {
        QFETCH(AnnotationTool, switchTo);
        showDocument(fixtures::makePdf({{plainPage()}}));
        m_tools->setTool(AnnotationTool::ink);
        QTest::mousePress(viewport(), Qt::LeftButton, {}, at(0.2, 0.2));
        QTest::mouseMove(viewport(), at(0.3, 0.3));
        m_tools->setTool(switchTo);
        QTest::mouseMove(viewport(), at(0.4, 0.3));
        QTest::mouseRelease(viewport(), Qt::LeftButton, {}, at(0.4, 0.3));
        QCoreApplication::processEvents();
        const auto list = annotations();
        QCOMPARE(list.size(), std::size_t(1));
        QCOMPARE(list[0].subtype, QString("Ink"));
        QCOMPARE(m_doc->annotationNumber(list[0].handle, "F"), 4.0);
        QVERIFY(m_view->currentAnnotation() == nullptr);
        m_undo->undo();
        QVERIFY(annotations().empty());
    }

    void escapeWithSelectChangesNoMode() {
        showDocument(fixtures::makePdf({{plainPage()}}));
        m_tools->setActiveMarkupMode(MarkupAction::underline);
        m_tools->setTextEditingModeEnabled(true);
        QTest::keyClick(m_view.get(), Qt::Key_Escape);
        QCOMPARE(m_tools->activeMarkupMode(), std::optional(MarkupAction::underline));
        QVERIFY(m_tools->isTextEditingModeEnabled());
        m_tools->setTool(AnnotationTool::ink);
        QTest::keyClick(m_view.get(), Qt::Key_Escape);
        QCOMPARE(m_tools->tool(), AnnotationTool::select);
        QVERIFY(!m_tools->activeMarkupMode());
        QVERIFY(!m_tools->isTextEditingModeEnabled());
    }

    void inkSmoothing() {
        const QList<QPointF> two{{0, 0}, {10, 0}};
        const QPainterPath line = InkAnnotation::smoothedPath(two);
        QCOMPARE(line.elementCount(), 2);
        QVERIFY(line.elementAt(1).isLineTo());
        QCOMPARE(QPointF(line.elementAt(1)), QPointF(10, 0));
        const QList<QPointF> three{{0, 0}, {10, 10}, {20, 0}};
        const QPainterPath curve = InkAnnotation::smoothedPath(three);
        QCOMPARE(curve.elementCount(), 5); // move, curve (3 elements), line
        QVERIFY(curve.elementAt(1).isCurveTo());
        QCOMPARE(QPointF(curve.elementAt(1)), QPointF(10, 10));
        QCOMPARE(QPointF(curve.elementAt(2)), QPointF(10, 10));
        QCOMPARE(QPointF(curve.elementAt(3)), QPointF(15, 5));
        QVERIFY(curve.elementAt(4).isLineTo());
        QCOMPARE(QPointF(curve.elementAt(4)), QPointF(20, 0));

        // One drag event makes a stroke of two points, drawn straight.
        showDocument(fixtures::makePdf({{plainPage()}}));
        m_tools->setTool(AnnotationTool::ink);
        QTest::mousePress(viewport(), Qt::LeftButton, {}, at(0.2, 0.2));
        QTest::mouseMove(viewport(), at(0.4, 0.3));
        const auto& ink = static_cast<const InkAnnotation&>(*m_view->currentAnnotation());
        QCOMPARE(ink.points().size(), 2);
        QTest::mouseRelease(viewport(), Qt::LeftButton, {}, at(0.4, 0.3));
    }

    void lineTakesTheToolsEndStyleAtItsEndOnly() {
        showDocument(fixtures::makePdf({{plainPage()}}));
        m_tools->setTool(AnnotationTool::line);
        m_tools->setLineEndStyle(LineEndStyle::closedArrow);
        QTest::mousePress(viewport(), Qt::LeftButton, {}, at(0.2, 0.2));
        QTest::mouseMove(viewport(), at(0.6, 0.2));
        const auto& line = static_cast<const LineAnnotation&>(*m_view->currentAnnotation());
        QCOMPARE(line.startLineStyle(), LineEndStyle::none);
        QCOMPARE(line.endLineStyle(), LineEndStyle::closedArrow);
        QTest::mouseRelease(viewport(), Qt::LeftButton, {}, at(0.6, 0.2));
        QVERIFY(annotations()[0].rect.height() < 2 * LineAnnotation::endingSize(1) + 2);
    }

    // What the view draws while the mouse is still down is what the page shows once the file's appearance
    // has been rendered.
    void livePictureIsThePageAfterwards_data() {
        QTest::addColumn<AnnotationTool>("tool");
        QTest::addColumn<QColor>("color");
        QTest::newRow("ink") << AnnotationTool::ink << QColor(30, 60, 200);
        QTest::newRow("ink, translucent") << AnnotationTool::ink << QColor(200, 30, 60, 120);
        QTest::newRow("rectangle") << AnnotationTool::rectangle << QColor(30, 150, 60);
        QTest::newRow("line") << AnnotationTool::line << QColor(120, 30, 160);
        QTest::newRow("redaction") << AnnotationTool::redact << QColor(30, 60, 200);
    }
    void livePictureIsThePageAfterwards() {
        QFETCH(AnnotationTool, tool);
        QFETCH(QColor, color);
        showDocument(fixtures::makePdf({{plainPage()}}));
        QVERIFY(QTest::qWaitFor([&] { return m_view->isRenderingIdle(); }, testsupport::hangGuardMs));
        m_tools->setTool(tool);
        m_tools->setColor(color);
        m_tools->setLineWidth(4);
        m_tools->setLineEndStyle(LineEndStyle::closedArrow);
        QTest::mousePress(viewport(), Qt::LeftButton, {}, at(0.2, 0.3));
        for (int i = 1; i <= 60; ++i) {
            const qreal t = i / 60.0;
            QTest::mouseMove(viewport(), at(0.2 + 0.6 * t, 0.3 + 0.1 * std::sin(t * 9)));
        }
        const QImage live = viewport()->grab().toImage();
        QTest::mouseRelease(viewport(), Qt::LeftButton, {}, at(0.8, 0.3 + 0.1 * std::sin(9.0)));
        QVERIFY(QTest::qWaitFor([&] { return m_view->isRenderingIdle(); }, testsupport::hangGuardMs));
        QTest::qWait(50);
        const QImage after = viewport()->grab().toImage();
        QCOMPARE(live.size(), after.size());
        int differing = 0, marked = 0;
        for (int y = 0; y < live.height(); ++y) {
            for (int x = 0; x < live.width(); ++x) {
                const QColor a = live.pixelColor(x, y), b = after.pixelColor(x, y);
                marked += qGray(b.rgb()) < 200;
                differing += std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                                       std::abs(a.blue() - b.blue())}) > 60;
            }
        }
        QVERIFY(marked > 300);
        QVERIFY2(differing < marked / 25, qPrintable(QStringLiteral("%1 of %2").arg(differing).arg(marked)));
    }

    // A document saved with a field "text_1" gets a form field of another name.
    void formFieldNameSkipsTheDocumentsOwn() {
        auto earlier = testdocs::open(fixtures::makeTextPdf(1));
        auto old = FormFieldPlacer::makeAnnotation(FormFieldMode::text, QRectF(72, 72, 100, 20), {});
        old->fieldName = "text_1";
        QVERIFY(writeNewAnnotation(*earlier, 0, *old).ok());
        showDocument(earlier->save().value());
        m_tools->setTool(AnnotationTool::form);
        drag(at(0.3, 0.3), at(0.6, 0.35));
        drag(at(0.3, 0.5), at(0.6, 0.55));
        const QStringList names = m_doc->fieldNames();
        QCOMPARE(names.size(), 3);
        QCOMPARE(names.count("text_1"), 1);
        QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), 3);
    }

    void noteMovesWithTheSelectToolAndUndoes() {
        showDocument(fixtures::makePdf({{plainPage()}}));
        auto note = std::make_shared<NoteAnnotation>();
        note->bounds = QRectF(100, 400, 120, 80);
        note->color = Qt::red;
        QVERIFY(m_view->addAnnotation(note, m_doc->page(0)).ok());
        QCoreApplication::processEvents();
        m_undo->removeAllActions();

        const QPoint grab = m_view->convertFromPage(QPointF(150, 440), 0).toPoint();
        drag(grab, grab); // let go where it started: nothing recorded
        QVERIFY(!m_undo->canUndo());
        drag(grab, grab + QPoint(60, 40));
        const QRectF moved = annotations()[0].rect;
        QVERIFY(std::abs(moved.width() - 120) < 0.01 && std::abs(moved.height() - 80) < 0.01);
        const QPointF shift = pagePoint(grab + QPoint(60, 40)) - pagePoint(grab);
        QVERIFY(QLineF(moved.topLeft(), QPointF(100, 400) + shift).length() < 0.01);
        QVERIFY(m_view->selectionsByLine().empty()); // the press did not start a text selection
        m_undo->undo();
        QCOMPARE(annotations()[0].rect, QRectF(100, 400, 120, 80));
        m_undo->redo();
        QCOMPARE(annotations()[0].rect, moved);

        // Esc during a move puts the note back.
        QTest::mousePress(viewport(), Qt::LeftButton, {},
                          m_view->convertFromPage(moved.center(), 0).toPoint());
        QTest::mouseMove(viewport(), m_view->convertFromPage(moved.center(), 0).toPoint() + QPoint(30, 30));
        QTest::keyClick(m_view.get(), Qt::Key_Escape);
        QCOMPARE(annotations()[0].rect, moved);
    }

    void pressCommitsOpenEditorsInOrder() {
        showDocument(fixtures::makePdf({{plainPage()}}));
        QStringList committed;
        m_view->setOpenEditor(AnnotatingPDFView::InlineEditor::textEdit, [&] { committed << "text edit"; });
        m_view->setOpenEditor(AnnotatingPDFView::InlineEditor::note, [&] { committed << "note"; });
        m_view->setOpenEditor(AnnotatingPDFView::InlineEditor::textBox, [&] { committed << "text box"; });
        QTest::mouseClick(viewport(), Qt::LeftButton, {}, at(0.5, 0.5));
        QCOMPARE(committed, QStringList({"text box", "note", "text edit"}));
        QTest::mouseClick(viewport(), Qt::LeftButton, {}, at(0.5, 0.5));
        QCOMPARE(committed.size(), 3); // committed editors are closed
    }

    void cursorsAndHotSpots_data() {
        QTest::addColumn<AnnotationTool>("tool");
        QTest::addColumn<int>("shape");
        QTest::addColumn<QPoint>("hotSpot");
        QTest::newRow("select") << AnnotationTool::select << int(Qt::ArrowCursor) << QPoint();
        QTest::newRow("rectangle") << AnnotationTool::rectangle << int(Qt::CrossCursor) << QPoint();
        QTest::newRow("form") << AnnotationTool::form << int(Qt::CrossCursor) << QPoint();
        QTest::newRow("ink") << AnnotationTool::ink << int(Qt::BitmapCursor) << QPoint(4, 4);
        QTest::newRow("text box") << AnnotationTool::textBox << int(Qt::BitmapCursor) << QPoint(10, 17);
        QTest::newRow("note") << AnnotationTool::note << int(Qt::BitmapCursor) << QPoint(4, 17);
        QTest::newRow("signature") << AnnotationTool::signature << int(Qt::BitmapCursor) << QPoint(4, 17);
    }
    void cursorsAndHotSpots() {
        QFETCH(AnnotationTool, tool);
        QFETCH(int, shape);
        QFETCH(QPoint, hotSpot);
        const QCursor c = AnnotatingPDFView::cursor(tool);
        QCOMPARE(int(c.shape()), shape);
        if (shape == Qt::BitmapCursor)
            QCOMPARE(c.hotSpot(), hotSpot);
    }

    void cursorFollowsTheToolWithoutAMove() {
        showDocument(fixtures::makePdf({{plainPage()}}));
        m_tools->setTool(AnnotationTool::rectangle);
        QCOMPARE(viewport()->cursor().shape(), Qt::CrossCursor);
        m_tools->setTool(AnnotationTool::ink);
        QCOMPARE(viewport()->cursor().hotSpot(), QPoint(4, 4));
        QTest::keyClick(m_view.get(), Qt::Key_Escape);
        QCOMPARE(viewport()->cursor().shape(), Qt::ArrowCursor);
    }

    // With the select tool the pointer is an I-beam over text only; blank paper shows the arrow.
    void selectToolShowsAnIBeamOverTextOnly() {
        showDocument(fixtures::makeTextPdf(1, "selectable"));
        m_view->setScaleFactor(1);
        m_tools->setTool(AnnotationTool::select);
        const QRectF word = m_doc->search(0, "selectable").value().at(0);
        const std::vector<std::pair<QPointF, Qt::CursorShape>> cases{
            {word.center(), Qt::IBeamCursor},
            {QPointF(300, 300), Qt::ArrowCursor},
            {QPointF(word.right() + 80, word.center().y()), Qt::ArrowCursor},
            {word.center(), Qt::IBeamCursor},
        };
        for (const auto& [point, shape] : cases) {
            QTest::mouseMove(viewport(), viewPoint(point));
            QCOMPARE(viewport()->cursor().shape(), shape);
        }
    }

    // Every drag tool on one page, saved: Zepla reading the file again and pdftoppm show each annotation.
    void savedFileShowsEveryAnnotationInOtherReaders_data() {
        QTest::addColumn<bool>("turnedPage");
        QTest::newRow("plain page") << false;
        QTest::newRow("rotated and cropped page") << true;
    }
    void savedFileShowsEveryAnnotationInOtherReaders() {
        QFETCH(bool, turnedPage);
        showDocument(fixtures::makePdf({{turnedPage ? rotatedCroppedPage() : plainPage()}}));
        m_tools->setLineWidth(3);
        m_tools->setColor(QColor(30, 60, 200));
        m_tools->setLineEndStyle(LineEndStyle::openArrow);
        const std::vector<std::pair<AnnotationTool, QRectF>> strokes{
            {AnnotationTool::ink, {0.1, 0.1, 0.3, 0.15}},
            {AnnotationTool::rectangle, {0.55, 0.1, 0.3, 0.15}},
            {AnnotationTool::oval, {0.1, 0.35, 0.3, 0.15}},
            {AnnotationTool::line, {0.55, 0.35, 0.3, 0.15}},
            {AnnotationTool::redact, {0.1, 0.6, 0.3, 0.15}},
            {AnnotationTool::form, {0.55, 0.6, 0.3, 0.15}}};
        for (const auto& [tool, area] : strokes) {
            m_tools->setTool(tool);
            drag(at(area.left(), area.top()), at(area.right(), area.bottom()), 8);
        }
        QCOMPARE(annotations().size(), strokes.size());
        const QString path =
            testdocs::saveTo(*m_doc, m_dir.filePath(QStringLiteral("drawn-%1.pdf").arg(turnedPage)));
        auto reopened = testdocs::open(m_doc->save().value());
        QCOMPARE(reopened->annotations(0).value().size(), strokes.size());

        QProcess pdftoppm;
        pdftoppm.start("pdftoppm", {"-png", "-r", "72", "-cropbox", "-singlefile", path, path});
        QVERIFY(pdftoppm.waitForFinished(60000));
        QCOMPARE(pdftoppm.exitCode(), 0);
        const QImage other(path + ".png");
        const QImage ours = reopened->render(0, 1).value();
        QCOMPARE(other.size(), ours.size());
        const pdf::PageGeometry geometry = reopened->geometry(0).value();
        const auto drawn = reopened->annotations(0).value();
        for (const pdf::AnnotationInfo& info : drawn) {
            const QRect area = geometry.pageToImage(1).mapRect(info.rect).toAlignedRect();
            QVERIFY2(inkPixels(ours, area) > 20, qPrintable(info.subtype));
            QVERIFY2(inkPixels(other, area) > 20, qPrintable(info.subtype));
            QVERIFY2(std::abs(inkPixels(ours, area) - inkPixels(other, area)) <
                         inkPixels(ours, area) / 5 + 30,
                     qPrintable(info.subtype));
        }
    }

    // Annotations without a rectangle or of an unknown kind neither stop the view nor the tools.
    void toolsWorkBesideMalformedAnnotations() {
        auto odd = testdocs::open(fixtures::makePdf({{plainPage()}}));
        using pdf::ObjectValue;
        QVERIFY(odd->createAnnotation(0, {{"Subtype", ObjectValue::name("Text")}}, {}).ok());
        QVERIFY(odd->createAnnotation(0,
                                      {{"Subtype", ObjectValue::name("Nonsense")},
                                       {"Rect", ObjectValue::numbers({0, 0, 700, 900})}},
                                      {})
                    .ok());
        showDocument(odd->save().value());
        m_tools->setTool(AnnotationTool::rectangle);
        drag(at(0.2, 0.2), at(0.5, 0.4));
        QCOMPARE(annotations().size(), std::size_t(3));
        m_tools->setTool(AnnotationTool::select);
        drag(at(0.3, 0.3), at(0.4, 0.4));
        QCOMPARE(annotations().size(), std::size_t(3));
        QVERIFY(QTest::qWaitFor([&] { return m_view->isRenderingIdle(); }, testsupport::hangGuardMs));
    }
};

QTEST_MAIN(TestAnnotatingPDFView)
#include "test_annotating_pdf_view.moc"
