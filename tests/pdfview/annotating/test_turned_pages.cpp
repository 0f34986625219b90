// The annotating view on pages shown turned: a drag across two words selects just them and marks them up
// once, with the markup's corners in reading order; a text box reads upright (tesseract reads it back from
// poppler's render); a note shows as wide as on an unturned page, centred on the click, and the eraser
// finds it where it shows.
#include "AnnotatingViewHarness.h"
#include "ExternalTool.h"
#include "pdf/PageTurn.h"

#include <QTemporaryDir>

using namespace zepla;
using namespace zepla::annotations;

namespace {

constexpr qreal lineGap = 20;

// A Letter page turned by `rotation` with three lines of text that read upright to the viewer.
QByteArray turnedTextPage(int rotation) {
    const QRectF media(0, 0, 612, 792);
    const QRectF upright = pdf::uprightRect(media, rotation);
    const QTransform turn = pdf::uprightToPage(rotation);
    QByteArray content;
    const char* lines[] = {"alpha beta gamma delta", "epsilon zeta theta iota", "kappa lambda sigma omega"};
    for (int i = 0; i < 3; ++i) {
        const QPointF origin = turn.map(QPointF(upright.left() + 72, upright.bottom() - 100 - lineGap * i));
        content += "BT /F1 14 Tf " + QByteArray::number(turn.m11()) + ' ' + QByteArray::number(turn.m12()) +
                   ' ' + QByteArray::number(turn.m21()) + ' ' + QByteArray::number(turn.m22()) + ' ' +
                   QByteArray::number(origin.x()) + ' ' + QByteArray::number(origin.y()) + " Tm (" +
                   lines[i] + ") Tj ET ";
    }
    fixtures::PageSpec page{QString()};
    page.rotate = rotation;
    page.drawing = content;
    return fixtures::makePdf({{page}});
}

QByteArray blankTurnedPage(int rotation) {
    fixtures::PageSpec page{QString()};
    page.rotate = rotation;
    return fixtures::makePdf({{page}});
}

} // namespace

class TestTurnedPages : public AnnotatingViewHarness {
    Q_OBJECT

    QTemporaryDir m_dir;

    // The middle of a word's left or right edge, in the view.
    QPoint wordEdge(const QString& word, bool right) {
        const QRectF box = m_doc->search(0, word).value().at(0);
        const QRectF shown =
            QRectF(m_view->convertFromPage(box.topLeft(), 0), m_view->convertFromPage(box.bottomRight(), 0))
                .normalized();
        return QPointF(right ? shown.right() - 1 : shown.left() + 1, shown.center().y()).toPoint();
    }

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_dir.isValid());
    }
    void cleanup() { m_view.reset(); }

    void dragAcrossTwoWordsMarksThemOnce_data() {
        QTest::addColumn<int>("rotation");
        for (int rotation : {0, 90, 180, 270})
            QTest::newRow(qPrintable(QString::number(rotation))) << rotation;
    }
    void dragAcrossTwoWordsMarksThemOnce() {
        QFETCH(int, rotation);
        showDocument(turnedTextPage(rotation));
        m_view->setScaleFactor(1);
        m_tools->setTool(AnnotationTool::select);
        drag(wordEdge("beta", false), wordEdge("gamma", true));
        QCOMPARE(m_view->selectionsByLine().size(), std::size_t(1));
        QCOMPARE(m_view->selectedText(), QString("beta gamma"));

        QVERIFY(m_view->applyMarkup(MarkupAction::highlight));
        const auto list = annotations();
        QCOMPARE(list.size(), std::size_t(1));
        QCOMPARE(list[0].subtype, QString("Highlight"));
        // The first corner is the line's upper left as it reads, the second its upper right.
        const auto quad = m_doc->annotationNumberArrays(list[0].handle, "QuadPoints").at(0);
        QCOMPARE(quad.size(), std::size_t(8));
        const QPointF upperLeft = m_view->convertFromPage(QPointF(quad[0], quad[1]), 0);
        const QPointF upperRight = m_view->convertFromPage(QPointF(quad[2], quad[3]), 0);
        const QPointF lowerLeft = m_view->convertFromPage(QPointF(quad[4], quad[5]), 0);
        QVERIFY(upperRight.x() - upperLeft.x() > 40);
        QVERIFY(std::abs(upperRight.y() - upperLeft.y()) < 0.5);
        QVERIFY(lowerLeft.y() - upperLeft.y() > 8);
        QVERIFY(std::abs(lowerLeft.x() - upperLeft.x()) < 0.5);
    }

    void textBoxReadsUprightToOcr() {
        showDocument(blankTurnedPage(90));
        m_view->setScaleFactor(1);
        m_tools->setTool(AnnotationTool::textBox);
        m_tools->setFontSize(24);
        QTest::mouseClick(viewport(), Qt::LeftButton, {}, at(0.1, 0.3));
        QVERIFY(m_view->inlineTextEditor());
        QTest::keyClicks(m_view->inlineTextEditor(), QStringLiteral("Upright words"));
        QTest::keyClick(m_view->inlineTextEditor(), Qt::Key_Return);
        QCoreApplication::processEvents();
        const auto list = annotations();
        QCOMPARE(list.size(), std::size_t(1));
        // 220 wide as the reader sees it: tall in the page's own space.
        QVERIFY(list[0].rect.height() > 200 && list[0].rect.width() < 60);

        const QString path = testdocs::saveTo(*m_doc, m_dir.filePath("turned-box.pdf"));
        QCOMPARE(runTool("pdftoppm", {"-png", "-r", "200", "-singlefile", path, path}).exitCode, 0);
        const ToolRun ocr = runTool("tesseract", {path + ".png", "stdout"});
        QCOMPARE(ocr.exitCode, 0);
        QVERIFY2(ocr.out.contains("Upright words"), ocr.out.constData());
    }

    void noteShowsUprightWhereClickedAndIsErasedThere_data() { dragAcrossTwoWordsMarksThemOnce_data(); }
    void noteShowsUprightWhereClickedAndIsErasedThere() {
        QFETCH(int, rotation);
        showDocument(blankTurnedPage(rotation));
        m_view->setScaleFactor(1);
        m_tools->setTool(AnnotationTool::note);
        const QPoint click = at(0.5, 0.4);
        QTest::mouseClick(viewport(), Qt::LeftButton, {}, click);
        QTest::keyClicks(m_view->noteTextEditor(), QStringLiteral("Upright note"));
        QTest::keyClick(m_view->noteTextEditor(), Qt::Key_Return);
        QCoreApplication::processEvents();
        auto list = annotations();
        QCOMPARE(list.size(), std::size_t(1));
        const QRectF shown = QRectF(m_view->convertFromPage(list[0].rect.topLeft(), 0),
                                    m_view->convertFromPage(list[0].rect.bottomRight(), 0))
                                 .normalized();
        QVERIFY2(std::abs(shown.width() - 120) < 1 && std::abs(shown.height() - 80) < 1,
                 qPrintable(QString("%1 x %2").arg(shown.width()).arg(shown.height())));
        QVERIFY(QLineF(shown.center(), click).length() < 2);

        m_tools->setTool(AnnotationTool::eraser);
        m_tools->setEraserSize(4);
        // Inside the shown card, away from where the unturned rectangle would lie.
        QTest::mouseClick(viewport(), Qt::LeftButton, {}, (shown.topLeft() + QPointF(110, 10)).toPoint());
        QCoreApplication::processEvents();
        QVERIFY(annotations().empty());
    }
};

QTEST_MAIN(TestTurnedPages)
#include "test_turned_pages.moc"
