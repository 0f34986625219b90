// Sticky notes in the annotating view, driven by real clicks and keys: placement centred on the click, the
// card editor and its commit rules, Esc, the double-click editor, notes found under page-sized
// annotations, the assistant's notes, and a retyped note marking the document edited.
#include "AnnotatingViewHarness.h"
#include "annotations/OutlineShapeAnnotation.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

using namespace zepla;
using namespace zepla::annotations;
using zepla::pdfview::AnnotatingPDFView;

namespace {

bool near(const QRectF& a, const QRectF& b, qreal tolerance = 0.01) {
    return std::abs(a.left() - b.left()) <= tolerance && std::abs(a.top() - b.top()) <= tolerance &&
           std::abs(a.width() - b.width()) <= tolerance && std::abs(a.height() - b.height()) <= tolerance;
}

} // namespace

class TestNoteTools : public AnnotatingViewHarness {
    Q_OBJECT

    // Places a note with the note tool at a page point; returns where the click landed in page space.
    QPointF placeNote(const QPointF& page) {
        m_tools->setTool(AnnotationTool::note);
        const QPoint click = viewPoint(page);
        QTest::mouseClick(viewport(), Qt::LeftButton, {}, click);
        return pagePoint(click);
    }

    void type(const QString& text) {
        QVERIFY(m_view->noteTextEditor());
        QTest::keyClicks(m_view->noteTextEditor(), text);
    }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(m_view->noteTextEditor(), key, modifiers);
        QCoreApplication::processEvents();
    }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void cleanup() { m_view.reset(); }

    void noteIsPlacedCentredOnTheClickAndKeepsTheTrimmedText() {
        showDocument(fixtures::makeTextPdf(1));
        m_view->setScaleFactor(1);
        const QPointF clicked = placeNote(QPointF(300, 400));
        QCOMPARE(annotations().size(), std::size_t(1));
        QVERIFY(near(annotations()[0].rect, QRectF(clicked - QPointF(60, 40), QSizeF(120, 80))));
        QVERIFY(near(annotations()[0].rect, QRectF(240, 360, 120, 80), 1));
        QVERIFY(m_view->noteTextEditor());
        QVERIFY(m_view->noteTextEditor()->toPlainText().isEmpty());
        // The editor covers the card at the view's zoom.
        const QRectF card =
            m_view->convertRectFromPage(QRectF(clicked.x() - 60, clicked.y() - 37, 117, 77), 0);
        QVERIFY(near(m_view->noteTextEditor()->geometry(), card, 1.5));

        type(QStringLiteral("  "));
        press(Qt::Key_Return, Qt::ShiftModifier);
        type(QStringLiteral(" Buy milk"));
        press(Qt::Key_Return, Qt::ShiftModifier);
        type(QStringLiteral("and bread  "));
        press(Qt::Key_Return);
        QVERIFY(!m_view->noteTextEditor());
        QCOMPARE(annotations()[0].contents, QStringLiteral("Buy milk\nand bread"));
        // The text is not undoable: one undo takes the note away.
        m_undo->undo();
        QVERIFY(annotations().empty());
        QVERIFY(!m_undo->canUndo());
    }

    void emptyNewNoteGoesAgainAndUndoesInTwoSteps_data() {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Esc") << true;
        QTest::newRow("Return on blank text") << false;
    }
    void emptyNewNoteGoesAgainAndUndoesInTwoSteps() {
        QFETCH(bool, escape);
        showDocument(fixtures::makeTextPdf(1));
        placeNote(QPointF(300, 400));
        QCoreApplication::processEvents();
        if (!escape) {
            type(QStringLiteral("   "));
            press(Qt::Key_Return, Qt::ShiftModifier);
        }
        press(escape ? Qt::Key_Escape : Qt::Key_Enter);
        QVERIFY(!m_view->noteTextEditor());
        QVERIFY(annotations().empty());
        QCOMPARE(m_tools->tool(), AnnotationTool::note); // Esc in the editor ends only the edit
        m_undo->undo();
        QCOMPARE(annotations().size(), std::size_t(1));
        QVERIFY(annotations()[0].contents.isEmpty());
        m_undo->undo();
        QVERIFY(annotations().empty());
    }

    // An existing note under a page-sized annotation: a double click opens its editor with the whole text
    // selected; blank text keeps the old words; new words replace them, marking the document edited
    // without an undo step.
    void doubleClickEditsAnExistingNote() {
        showDocument(fixtures::makeTextPdf(1));
        auto note = std::make_shared<NoteAnnotation>();
        note->bounds = QRectF(200, 300, 120, 80);
        note->contents = QStringLiteral("Old words");
        QVERIFY(m_view->addAnnotation(note, m_doc->page(0)).ok());
        auto cover = std::make_shared<RectangleAnnotation>();
        cover->bounds = QRectF(0, 0, 612, 792);
        cover->color = Qt::blue;
        QVERIFY(m_view->addAnnotation(cover, m_doc->page(0)).ok());
        QCoreApplication::processEvents();
        m_undo->removeAllActions();
        QSignalSpy edited(m_view.get(), &AnnotatingPDFView::editedWithoutUndo);

        const QPoint onNote = viewPoint(QPointF(260, 330));
        QTest::mouseDClick(viewport(), Qt::LeftButton, {}, onNote);
        QVERIFY(m_view->noteTextEditor());
        QCOMPARE(m_view->noteTextEditor()->textCursor().selectedText(), QStringLiteral("Old words"));
        press(Qt::Key_Delete);
        press(Qt::Key_Return);
        QCOMPARE(annotations()[0].contents, QStringLiteral("Old words"));
        QCOMPARE(edited.count(), 0);

        QTest::mouseDClick(viewport(), Qt::LeftButton, {}, onNote);
        type(QStringLiteral("New words"));
        // A press elsewhere commits the editor before it does anything else.
        QTest::mouseClick(viewport(), Qt::LeftButton, {}, at(0.9, 0.9));
        QVERIFY(!m_view->noteTextEditor());
        QCOMPARE(annotations()[0].contents, QStringLiteral("New words"));
        QCOMPARE(edited.count(), 1);
        QVERIFY(!m_undo->canUndo());
        QCOMPARE(annotations().size(), std::size_t(2)); // the note never moved and nothing was drawn
        QVERIFY(near(annotations()[0].rect, QRectF(200, 300, 120, 80)));
    }

    void programmaticNoteSitsInsideTheTopRightCorner() {
        showDocument(fixtures::makePdf({{fixtures::PageSpec{"Letter"}, fixtures::PageSpec{"Cropped"}}}));
        QVERIFY(m_view->addProgrammaticNote(QStringLiteral("  From the assistant "), 0).ok());
        QCoreApplication::processEvents();
        QCOMPARE(annotations().size(), std::size_t(1));
        QVERIFY(near(annotations()[0].rect, QRectF(472, 692, 120, 80)));
        QCOMPARE(annotations()[0].contents, QStringLiteral("  From the assistant "));
        QVERIFY(!m_view->noteTextEditor());
        m_undo->undo();
        QVERIFY(annotations().empty());
        QVERIFY(!m_view->addProgrammaticNote(QStringLiteral("x"), 7).ok());
    }

    // Only the glyphs a note shows are embedded: the note costs kilobytes, and another reader still draws
    // its words.
    void savedNoteEmbedsAFontSubset() {
        showDocument(fixtures::makeTextPdf(1));
        const qsizetype before = m_doc->save().value().size();
        QVERIFY(m_view->addProgrammaticNote(QStringLiteral("Subset me, please: 0123456789 ÆØÅ"), 0).ok());
        const QByteArray saved = m_doc->save().value();
        QVERIFY2(saved.size() - before < 20 * 1024, qPrintable(QString::number(saved.size() - before)));
        testdocs::requireTool("pdftoppm");
        QTemporaryDir dir;
        const QString path = testdocs::saveTo(*m_doc, dir.filePath("note.pdf"));
        QProcess render;
        render.start("pdftoppm", {"-r", "72", "-png", "-singlefile", "-x", "472", "-y", "0", "-W", "120",
                                  "-H", "100", path, dir.filePath("note")});
        QVERIFY(render.waitForFinished(20000) && render.exitCode() == 0);
        const QImage card(dir.filePath("note.png"));
        int dark = 0;
        for (int y = 30; y < 88; ++y) // inside the card, clear of its outline
            for (int x = 10; x < 100; ++x)
                dark += qGray(card.pixel(x, y)) < 100;
        QVERIFY2(dark > 40, qPrintable(QString::number(dark))); // the words, not an empty card
    }

    void programmaticNoteFollowsTheCropBox() {
        fixtures::PageSpec page{"Cropped"};
        page.cropBox = QRectF(40, 60, 500, 650);
        showDocument(fixtures::makePdf({{page}}));
        QVERIFY(m_view->addProgrammaticNote(QStringLiteral("x"), 0).ok());
        QVERIFY(near(annotations()[0].rect, QRectF(540 - 140, 710 - 100, 120, 80)));
    }
};

QTEST_MAIN(TestNoteTools)
#include "test_note_tools.moc"
