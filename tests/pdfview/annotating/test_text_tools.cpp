// Text markup and text boxes in the annotating view, driven by real drags, clicks and keys: one markup per
// selected line undone in one step, QuadPoints and a multiplying highlight other readers show, the sticky
// mode; the text box's geometry, growth, key table, zoom and commit rules.
#include "AnnotatingViewHarness.h"
#include "pdfview/coordinator/PDFViewCoordinator.h"

#include <QProcess>
#include <QTemporaryDir>

using namespace zepla;
using namespace zepla::annotations;
using zepla::pdfview::AnnotatingPDFView;

namespace {

const QString threeLines = QStringLiteral("First line of text\nSecond line of text\nThird line of text");

int pixelsNear(const QImage& image, const QRect& area, const QColor& color, int tolerance = 40) {
    int count = 0;
    const QRect clipped = area.intersected(image.rect());
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        for (int x = clipped.left(); x <= clipped.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            count += std::abs(c.red() - color.red()) + std::abs(c.green() - color.green()) +
                         std::abs(c.blue() - color.blue()) <
                     tolerance;
        }
    }
    return count;
}

} // namespace

class TestTextTools : public AnnotatingViewHarness {
    Q_OBJECT

    QTemporaryDir m_dir;

    // Selects from the start of the first line to the end of the third with the select tool.
    void selectThreeLines() { drag(viewPoint(QPointF(70, 704)), viewPoint(QPointF(250, 675))); }

    void openBox(const QPointF& page) {
        m_tools->setTool(AnnotationTool::textBox);
        QTest::mouseClick(viewport(), Qt::LeftButton, {}, viewPoint(page));
        QVERIFY(m_view->inlineTextEditor());
    }

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_dir.isValid());
        testdocs::requireTool("pdftoppm");
    }
    void cleanup() { m_view.reset(); }

    void threeLineSelectionGivesThreeMarkupsUndoneTogether_data() {
        QTest::addColumn<MarkupAction>("action");
        for (MarkupAction action : EnumCases<MarkupAction>::all)
            QTest::newRow(qPrintable(rawValue(action))) << action;
    }
    void threeLineSelectionGivesThreeMarkupsUndoneTogether() {
        QFETCH(MarkupAction, action);
        showDocument(fixtures::makePdf({{fixtures::PageSpec{threeLines}}}));
        pdfview::PDFViewCoordinator coordinator;
        coordinator.setPdfView(m_view.get());
        QVERIFY(!coordinator.applyMarkup(action)); // nothing selected
        selectThreeLines();
        QCOMPARE(m_view->selectionsByLine().size(), std::size_t(3));
        m_tools->setColor(QColor(40, 200, 90));
        QVERIFY(coordinator.applyMarkup(action));
        QVERIFY(m_view->selectionsByLine().empty());
        QCoreApplication::processEvents();
        const auto list = annotations();
        QCOMPARE(list.size(), std::size_t(3));
        for (const auto& markup : list) {
            QCOMPARE(markup.subtype, subtype(action));
            const auto quads = m_doc->annotationNumberArrays(markup.handle, "QuadPoints");
            QCOMPARE(quads.size(), std::size_t(1));
            QCOMPARE(quads[0].size(), std::size_t(8));
            // Upper left corner, then lower right, of the line's box.
            QCOMPARE(quads[0][0], markup.rect.left());
            QCOMPARE(quads[0][1], markup.rect.bottom());
            QCOMPARE(quads[0][6], markup.rect.right());
            QCOMPARE(quads[0][7], markup.rect.top());
            const auto color = m_doc->annotationNumberArrays(markup.handle, "C");
            QVERIFY(std::abs(color[0][1] - 200 / 255.0) < 0.01);
        }
        m_undo->undo();
        QVERIFY(annotations().empty());
        m_undo->redo();
        QCOMPARE(annotations().size(), std::size_t(3));
    }

    // Another reader draws the highlight under the text: the words stay dark, the space between them
    // takes the colour.
    void savedHighlightMultipliesInOtherReaders() {
        showDocument(fixtures::makePdf({{fixtures::PageSpec{threeLines}}}));
        selectThreeLines();
        m_tools->setColor(QColor(255, 220, 0));
        QVERIFY(m_view->applyMarkup(MarkupAction::highlight));
        const QString pdf = testdocs::saveTo(*m_doc, m_dir.filePath("highlight.pdf"));
        QProcess render;
        render.start("pdftoppm", {"-r", "72", "-png", "-singlefile", pdf, m_dir.filePath("highlight")});
        QVERIFY(render.waitForFinished(20000) && render.exitCode() == 0);
        const QImage image(m_dir.filePath("highlight.png"));
        QVERIFY(!image.isNull());
        // The first line's band: y from 792 - 710 to 792 - 698 in pixels at 72 dpi.
        const QRect band(72, 792 - 712, 90, 14);
        QVERIFY(pixelsNear(image, band, QColor(255, 220, 0)) > 200);
        QVERIFY(pixelsNear(image, band, QColor(0, 0, 0), 120) > 30);
    }

    void stickyModeMarksUpOnReleaseWithTheSelectToolOnly() {
        showDocument(fixtures::makePdf({{fixtures::PageSpec{threeLines}}}));
        m_tools->setActiveMarkupMode(MarkupAction::underline);
        m_tools->setTool(AnnotationTool::ink);
        drag(viewPoint(QPointF(70, 704)), viewPoint(QPointF(250, 704)));
        QCOMPARE(annotations().size(), std::size_t(1));
        QCOMPARE(annotations()[0].subtype, QStringLiteral("Ink"));
        m_tools->setTool(AnnotationTool::select);
        drag(viewPoint(QPointF(70, 704)), viewPoint(QPointF(250, 689)));
        const auto list = annotations();
        QCOMPARE(list.size(), std::size_t(3));
        QCOMPARE(list[1].subtype, QStringLiteral("Underline"));
        QCOMPARE(list[2].subtype, QStringLiteral("Underline"));
        QVERIFY(m_view->selectionsByLine().empty());
        // A release without a selection marks up nothing.
        QTest::mouseClick(viewport(), Qt::LeftButton, {}, at(0.5, 0.9));
        QCOMPARE(annotations().size(), std::size_t(3));
    }

    void boxHangsFromTheClickAndGrowsAtTheBottom() {
        showDocument(fixtures::makeTextPdf(1));
        m_view->setScaleFactor(1);
        const QPoint click = viewPoint(QPointF(100, 600));
        m_tools->setTool(AnnotationTool::textBox);
        QTest::mouseClick(viewport(), Qt::LeftButton, {}, click);
        auto* editor = m_view->inlineTextEditor();
        QVERIFY(editor);
        const QRect first = editor->geometry();
        QCOMPARE(first.topLeft(), click);
        QCOMPARE(first.width(), 220);
        QVERIFY(std::abs(first.height() - (editor->lineHeight() + 8)) <= 1);
        QCOMPARE(m_view->inlineTextEditorHandles().size(), std::size_t(8));
        const QPoint corner = first.topLeft() + QPoint(first.width(), first.height());
        QVERIFY((m_view->inlineTextEditorHandles()[7]->geometry().center() - corner).manhattanLength() <= 2);

        QTest::keyClicks(editor, QStringLiteral("a few words that wrap onto a second line of the box"));
        const QRect grown = editor->geometry();
        QCOMPARE(grown.top(), first.top());
        QVERIFY(grown.height() > first.height() + editor->lineHeight() / 2);
        QVERIFY(std::abs(m_view->inlineTextEditorHandles()[7]->geometry().center().y() - grown.bottom()) <=
                1);
        editor->selectAll();
        QTest::keyClick(editor, Qt::Key_Backspace);
        QCOMPARE(editor->geometry(), first);
    }

    void keyTable_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("commits");
        QTest::addColumn<bool>("stillOpen");
        QTest::newRow("Return") << int(Qt::Key_Return) << 0 << true << false;
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << true << false;
        QTest::newRow("Alt+Return") << int(Qt::Key_Return) << int(Qt::AltModifier) << true << false;
        QTest::newRow("Shift+Return") << int(Qt::Key_Return) << int(Qt::ShiftModifier) << false << true;
        QTest::newRow("Esc") << int(Qt::Key_Escape) << 0 << false << false;
    }
    void keyTable() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, commits);
        QFETCH(bool, stillOpen);
        showDocument(fixtures::makeTextPdf(1));
        openBox(QPointF(100, 600));
        QTest::keyClicks(m_view->inlineTextEditor(), QStringLiteral("  Hello  "));
        QTest::keyClick(m_view->inlineTextEditor(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCoreApplication::processEvents();
        QCOMPARE(bool(m_view->inlineTextEditor()), stillOpen);
        if (stillOpen) {
            QVERIFY(m_view->inlineTextEditor()->toPlainText().contains('\n'));
            return;
        }
        QCOMPARE(annotations().size(), std::size_t(commits ? 1 : 0));
        QCOMPARE(m_undo->canUndo(), commits);
        QCOMPARE(m_tools->tool(), AnnotationTool::textBox);
        if (commits) {
            QCOMPARE(annotations()[0].subtype, QStringLiteral("FreeText"));
            QCOMPARE(annotations()[0].contents, QStringLiteral("Hello"));
        }
    }

    void blankBoxLeavesNothing() {
        showDocument(fixtures::makeTextPdf(1));
        openBox(QPointF(100, 600));
        QTest::keyClicks(m_view->inlineTextEditor(), QStringLiteral("   "));
        QTest::keyClick(m_view->inlineTextEditor(), Qt::Key_Return, Qt::ShiftModifier);
        QTest::keyClick(m_view->inlineTextEditor(), Qt::Key_Return);
        QVERIFY(annotations().empty());
        QVERIFY(!m_undo->canUndo());
    }

    // At 200 % the box is 110 page points wide and its text keeps the tool's size; the colour is the one
    // chosen while the box was open; a click elsewhere commits and opens the next box.
    void commitAtZoomTakesTheColourOfThatMoment() {
        showDocument(fixtures::makeTextPdf(1));
        m_view->setScaleFactor(2);
        m_tools->setFontSize(20);
        m_tools->setColor(Qt::blue);
        openBox(QPointF(100, 600));
        const QFont shown = m_view->inlineTextEditor()->font();
        QVERIFY(std::abs(QFontInfo(shown).pixelSize() - 40) <= 1);
        QTest::keyClicks(m_view->inlineTextEditor(), QStringLiteral("WWWW"));
        m_tools->setColor(QColor(230, 0, 0));
        QTest::mouseClick(viewport(), Qt::LeftButton, {}, viewPoint(QPointF(100, 500)));
        QVERIFY(m_view->inlineTextEditor()); // the second box
        QCOMPARE(annotations().size(), std::size_t(1));
        const QRectF bounds = annotations()[0].rect;
        QVERIFY(std::abs(bounds.width() - 110) < 0.6);
        QVERIFY(std::abs(bounds.top() + bounds.height() - 600) < 0.6);
        const QImage page = m_doc->render(0, 1).value();
        const QRect box =
            QRectF(bounds.left(), 792 - bounds.bottom(), bounds.width(), bounds.height()).toRect();
        QVERIFY(pixelsNear(page, box, QColor(230, 0, 0), 60) > 40);
        QCOMPARE(pixelsNear(page, box, QColor(0, 0, 255), 60), 0);
        m_undo->undo();
        QVERIFY(annotations().empty());
        m_undo->redo();
        QCOMPARE(annotations().size(), std::size_t(1));
    }

    // Pasted pages of text, emoji and right-to-left words come through whole.
    void largeAndMixedTextCommits() {
        showDocument(fixtures::makeTextPdf(1));
        openBox(QPointF(100, 700));
        QString text = QStringLiteral("שלום עולם 😀 مرحبا ");
        while (text.size() < 100 * 1024)
            text += QStringLiteral("Lorem ipsum dolor sit amet, consectetur adipiscing elit. ");
        m_view->inlineTextEditor()->insertPlainText(text);
        QTest::keyClick(m_view->inlineTextEditor(), Qt::Key_Return);
        QCOMPARE(annotations().size(), std::size_t(1));
        QCOMPARE(annotations()[0].contents, text.trimmed());
        QVERIFY(m_doc->render(0, 1));
    }
};

QTEST_MAIN(TestTextTools)
#include "test_text_tools.moc"
