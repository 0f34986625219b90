// The annotating view on pages shown turned, with text upright to the reader or running along the page (down
// or up the screen), on whole and on cropped pages: a double click selects the word under the pointer, a
// drag across two words selects just them and marks them up once, with the markup's corners in the line's
// reading order and its quadrilateral over exactly those words as poppler and MuPDF find them in the saved
// file; a text box reads upright (tesseract reads it back from poppler's render); a note shows as wide as on
// an unturned page, centred on the click, and the eraser finds it where it shows.
#include "AnnotatingViewHarness.h"
#include "ExternalTool.h"
#include "pdf/PageTurn.h"

#include <QRegularExpression>
#include <QTemporaryDir>

using namespace zepla;
using namespace zepla::annotations;

namespace {

constexpr qreal lineGap = 20;

const char* const pageLines[] = {"alpha beta gamma delta", "epsilon zeta theta iota",
                                 "kappa lambda sigma omega"};

// A Letter page turned by `rotation` with three lines of text that read upright to the viewer, or that run
// along the page's x axis whatever the turn (`alongPage`), shown through `cropBox` when it is not null.
QByteArray turnedTextPage(int rotation, bool alongPage = false, const QRectF& cropBox = {}) {
    const QRectF media(0, 0, 612, 792);
    const int textTurn = alongPage ? 0 : rotation;
    const QRectF upright = pdf::uprightRect(media, textTurn);
    const QTransform turn = pdf::uprightToPage(textTurn);
    QByteArray content;
    const char* const* lines = pageLines;
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
    page.cropBox = cropBox;
    return fixtures::makePdf({{page}});
}

// The words of a page as a reader finds them, in its top-down space of the shown page.
using WordBoxes = std::vector<std::pair<QString, QRectF>>;

WordBoxes popplerWords(const QString& path) {
    const ToolRun run = runTool("pdftotext", {"-cropbox", "-bbox", path, "-"});
    if (run.exitCode != 0)
        qFatal("pdftotext failed");
    WordBoxes words;
    const QRegularExpression word(QStringLiteral(
        "<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)<"));
    for (auto m = word.globalMatch(QString::fromUtf8(run.out)); m.hasNext();) {
        const auto w = m.next();
        words.emplace_back(w.captured(5),
                           QRectF(QPointF(w.captured(1).toDouble(), w.captured(2).toDouble()),
                                  QPointF(w.captured(3).toDouble(), w.captured(4).toDouble())));
    }
    return words;
}

// MuPDF's characters, gathered into words at the spaces of each line.
WordBoxes mupdfWords(const QString& path) {
    const ToolRun run = runTool("mutool", {"draw", "-F", "stext", "-o", "-", path});
    if (run.exitCode != 0)
        qFatal("mutool failed");
    WordBoxes words;
    const QRegularExpression item(QStringLiteral("<line |<char quad=\"([-\\d. ]+)\"[^>]* c=\"([^\"]*)\""));
    bool open = false;
    for (auto m = item.globalMatch(QString::fromUtf8(run.out)); m.hasNext();) {
        const auto c = m.next();
        if (c.captured(1).isEmpty() || c.captured(2) == " ") {
            open = false;
            continue;
        }
        const QStringList n = c.captured(1).split(' ');
        QRectF box;
        for (int i = 0; i + 1 < n.size(); i += 2)
            box = box.united(QRectF(QPointF(n[i].toDouble(), n[i + 1].toDouble()), QSizeF(0.001, 0.001)));
        if (!open)
            words.emplace_back(QString(), QRectF());
        words.back().first += c.captured(2);
        words.back().second = words.back().second.isNull() ? box : words.back().second.united(box);
        open = true;
    }
    return words;
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

    // A point just inside a word at its start or its end along the line, which reads the way `direction`
    // (page space) points; in the view.
    QPoint wordEdge(const QString& word, bool end, const QPointF& direction = QPointF(1, 0)) {
        const QRectF box = m_doc->search(0, word).value().at(0);
        const qreal half =
            std::abs(direction.x()) * box.width() / 2 + std::abs(direction.y()) * box.height() / 2;
        return m_view->convertFromPage(box.center() + direction * (end ? half - 1 : 1 - half), 0).toPoint();
    }

    // Shows the page of the test's row, ready for selecting; returns the way its lines read.
    QPointF showPageKind() {
        QFETCH(int, rotation);
        QFETCH(bool, alongPage);
        QFETCH(QRectF, cropBox);
        showDocument(turnedTextPage(rotation, alongPage, cropBox));
        m_view->setScaleFactor(1);
        m_tools->setTool(AnnotationTool::select);
        return alongPage ? QPointF(1, 0) : pdf::uprightToPage(rotation).map(QPointF(1, 0));
    }

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_dir.isValid());
    }
    void cleanup() { m_view.reset(); }

    void pageKinds_data() {
        QTest::addColumn<int>("rotation");
        QTest::addColumn<bool>("alongPage");
        QTest::addColumn<QRectF>("cropBox");
        for (int rotation : {0, 90, 180, 270}) {
            for (bool alongPage : {false, true}) {
                if (rotation == 0 && alongPage)
                    continue;
                const QString name = QString("%1 %2").arg(rotation).arg(alongPage ? "along page" : "upright");
                QTest::newRow(qPrintable(name)) << rotation << alongPage << QRectF();
                QTest::newRow(qPrintable(name + " cropped"))
                    << rotation << alongPage << QRectF(40, 60, 500, 680);
            }
        }
    }

    void doubleClickSelectsTheWordUnderThePointer_data() { pageKinds_data(); }
    void doubleClickSelectsTheWordUnderThePointer() {
        const QPointF reading = showPageKind();
        for (const QString& word : QString(pageLines[1]).split(' ')) {
            const QPoint middle = (wordEdge(word, false, reading) + wordEdge(word, true, reading)) / 2;
            QTest::mouseDClick(viewport(), Qt::LeftButton, {}, middle);
            QCOMPARE(m_view->selectedText(), word);
        }
    }

    void dragAcrossTwoWordsMarksExactlyThem_data() { pageKinds_data(); }
    void dragAcrossTwoWordsMarksExactlyThem() {
        const QPointF reading = showPageKind();
        drag(wordEdge("zeta", false, reading), wordEdge("theta", true, reading));
        QCOMPARE(m_view->selectionsByLine().size(), std::size_t(1));
        QCOMPARE(m_view->selectedText(), QString("zeta theta"));

        QVERIFY(m_view->applyMarkup(MarkupAction::underline));
        const auto list = annotations();
        QCOMPARE(list.size(), std::size_t(1));
        QCOMPARE(list[0].subtype, QString("Underline"));
        const auto quad = m_doc->annotationNumberArrays(list[0].handle, "QuadPoints").at(0);
        QCOMPARE(quad.size(), std::size_t(8));
        // In the top-down space of the shown page, where both readers give their word boxes.
        const QTransform shown = m_doc->geometry(0).value().pageToImage(1);
        const QPointF upperLeft = shown.map(QPointF(quad[0], quad[1]));
        const QPointF upperRight = shown.map(QPointF(quad[2], quad[3]));
        const QPointF lowerLeft = shown.map(QPointF(quad[4], quad[5]));
        const QRectF marked = QRectF(upperLeft, upperRight).united(QRectF(upperLeft, lowerLeft)).normalized();

        const QString path = testdocs::saveTo(*m_doc, m_dir.filePath("marked.pdf"));
        for (const WordBoxes& words : {popplerWords(path), mupdfWords(path)}) {
            QCOMPARE(words.size(), std::size_t(12));
            QRectF selected;
            QLineF wordToWord;
            for (const auto& [word, box] : words) {
                const bool inside = marked.contains(box.center());
                QVERIFY2(inside == (word == "zeta" || word == "theta"), qPrintable(word));
                if (word == "zeta")
                    wordToWord.setP1(box.center());
                if (word == "theta")
                    wordToWord.setP2(box.center());
                if (inside)
                    selected = selected.united(box);
            }
            // The quadrilateral spans the two words along the line (the readers differ in the height they
            // give a word, not in its extent along the line), and its corners come in reading order: the
            // first two along the line, the third a quarter turn clockwise from it, below the line as it
            // reads.
            const bool horizontal = std::abs(wordToWord.dx()) > std::abs(wordToWord.dy());
            const auto along = [&](const QRectF& r) {
                return horizontal ? std::pair(r.left(), r.right()) : std::pair(r.top(), r.bottom());
            };
            QVERIFY2(std::abs(along(marked).first - along(selected).first) < 1.5 &&
                         std::abs(along(marked).second - along(selected).second) < 1.5,
                     qPrintable(QString("marked %1..%2, words %3..%4")
                                    .arg(along(marked).first)
                                    .arg(along(marked).second)
                                    .arg(along(selected).first)
                                    .arg(along(selected).second)));
            const QLineF top(upperLeft, upperRight);
            QVERIFY(std::abs(std::remainder(top.angleTo(wordToWord), 360.0)) < 1);
            QVERIFY(std::abs(top.angleTo(QLineF(upperLeft, lowerLeft)) - 270) < 1);
        }
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

    void noteShowsUprightWhereClickedAndIsErasedThere_data() {
        QTest::addColumn<int>("rotation");
        for (int rotation : {0, 90, 180, 270})
            QTest::newRow(qPrintable(QString::number(rotation))) << rotation;
    }
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
