// In-place text editing in the annotating view, by real clicks and keys: the whole line in the editor, the
// old glyphs gone from the page's content (our extraction and pdftotext agree), nothing else on the page
// changed, the new text on the old baseline in the page's font or the closest installed face, one undo step
// that puts the content back exactly, Esc and empty commits leaving the page as it was.
#include "AnnotatingViewHarness.h"
#include "ExternalTool.h"
#include "annotations/TextLayout.h"
#include "core/FontFiles.h"
#include "pdf/FontSubset.h"

#include <QRawFont>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>

using namespace zepla;
using namespace zepla::annotations;
using zepla::pdfview::AnnotatingPDFView;

namespace {

const QString middleLine = QStringLiteral("The price is 100 dollars.");

// Three lines 14 points apart (baselines 700, 686 and 672) in Helvetica 12, a rule under the middle one and
// a grey square beside it; `background` fills the area behind the lines first.
QByteArray threeLines(const QByteArray& background = {}) {
    fixtures::PageSpec page;
    page.text =
        QStringLiteral("Above the edited line\n") + middleLine + QStringLiteral("\nBelow the edited line");
    page.drawing = background + " 0 0 0 RG 0.75 w 72 681 m 330 681 l S 0.5 g 340 680 20 20 re f 0 g";
    fixtures::DocSpec doc;
    doc.pages = {page};
    return fixtures::makePdf(doc);
}

// One line "Quarterly" set at (72, 700) in 12 points, a part of DejaVu Sans's program embedded (under the
// name Courier) as a TrueType font with its own widths.
QByteArray embeddedFontLine() {
    const QString file = platform::fontFileFor(QStringLiteral("DejaVu Sans"), 400);
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        qFatal("DejaVu Sans is needed (fonts-dejavu-core)");
    const QByteArray program = in.readAll();
    // Only the glyphs of "Quarterly" and "An": the page's program cannot show every text.
    const QRawFont whole(program, 1000);
    std::vector<quint32> kept;
    for (quint32 glyph : whole.glyphIndexesForString(QStringLiteral("QuarterlyAn")))
        kept.push_back(glyph);
    const QByteArray subset = pdf::subsetFont(file, kept);
    const QRawFont font(subset, 1000);
    QByteArray widths;
    for (char32_t c = 32; c <= 126; ++c) {
        const QList<quint32> glyph = font.glyphIndexesForString(QString::fromUcs4(&c, 1));
        widths += QByteArray::number(qRound(font.advancesForGlyphIndexes(glyph).value(0).x())) + ' ';
    }
    const QByteArray content = "BT /F1 12 Tf 72 700 Td (Quarterly) Tj ET";
    return fixtures::assemblePdf({
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /Font << /F1 4 0 R >> >>"
        " /Contents 7 0 R >>",
        "<< /Type /Font /Subtype /TrueType /BaseFont /Courier /FirstChar 32 /LastChar 126 /Widths [" +
            widths + "] /FontDescriptor 5 0 R /Encoding /WinAnsiEncoding >>",
        "<< /Type /FontDescriptor /FontName /Courier /Flags 32 /FontBBox [-1021 -463 1793 1232]"
        " /ItalicAngle 0 /Ascent 928 /Descent -236 /CapHeight 729 /StemV 80 /FontFile2 6 0 R >>",
        "<< /Length " + QByteArray::number(subset.size()) + " >>\nstream\n" + subset + "\nendstream",
        "<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n" + content + "\nendstream",
    });
}

// The pixels where two renders differ by more than a trace.
std::vector<QPoint> changedPixels(const QImage& before, const QImage& after) {
    std::vector<QPoint> changed;
    for (int y = 0; y < before.height(); ++y) {
        for (int x = 0; x < before.width(); ++x) {
            const QColor a = before.pixelColor(x, y), b = after.pixelColor(x, y);
            if (std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                    std::abs(a.blue() - b.blue()) >
                6)
                changed.emplace_back(x, y);
        }
    }
    return changed;
}

} // namespace

class TestTextEdit : public AnnotatingViewHarness {
    Q_OBJECT

    QTemporaryDir m_files;

    void openOn(const QPointF& pagePoint) {
        m_tools->setTextEditingModeEnabled(true);
        QTest::mouseClick(viewport(), Qt::LeftButton, {}, viewPoint(pagePoint));
        QVERIFY(m_view->textEditEditor());
    }

    void replaceWith(const QString& text) {
        auto* editor = m_view->textEditEditor();
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        // Key events carry Latin-1 letters only; other scripts are typed as an input method would.
        if (text.toLatin1() == text.toUtf8())
            QTest::keyClicks(editor, text);
        else
            editor->insertPlainText(text);
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents(); // closes the undo step
        QVERIFY(!m_view->textEditEditor());
    }

    // The saved file's text as poppler reads it.
    QString pdftotext() {
        const QString path = testdocs::saveTo(*m_doc, m_files.filePath(QStringLiteral("edited.pdf")));
        // The rewritten page content is sound PDF, as qpdf reads it.
        const ToolRun check = runTool(QStringLiteral("qpdf"), {QStringLiteral("--check"), path});
        if (check.exitCode != 0 || check.out.contains("WARNING"))
            qFatal("qpdf --check: %s", check.out.constData());
        const ToolRun run = runTool(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
        if (run.exitCode != 0)
            qFatal("pdftotext failed");
        return QString::fromUtf8(run.out);
    }

    // The name of every font the saved file embeds as a subset, without its tag.
    QStringList embeddedSubsets() {
        const QString bytes = QString::fromLatin1(fixtures::searchable(m_doc->save().value()));
        QStringList names;
        static const QRegularExpression subset(QStringLiteral("/BaseFont\\s*/[A-Z]{6}\\+([A-Za-z0-9-]+)"));
        for (const QRegularExpressionMatch& m : subset.globalMatch(bytes))
            names.append(m.captured(1));
        names.removeDuplicates(); // the font and its descendant carry the same name
        return names;
    }

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_files.isValid());
    }
    void cleanup() { m_view.reset(); }

    void fallbackFontFollowsTheLineHeight_data() {
        QTest::addColumn<qreal>("height");
        QTest::addColumn<qreal>("size");
        QTest::newRow("12 high") << 12.0 << 9.6;
        QTest::newRow("100 high") << 100.0 << 72.0;
        QTest::newRow("5 high") << 5.0 << 9.0;
    }
    void fallbackFontFollowsTheLineHeight() {
        QFETCH(qreal, height);
        QFETCH(qreal, size);
        QCOMPARE(AnnotatingPDFView::fallbackFont(height).pointSizeF(), size);
    }

    void textColourStandsOut_data() {
        QTest::addColumn<QColor>("background");
        QTest::addColumn<QColor>("text");
        QTest::newRow("white page") << QColor(Qt::white) << QColor(Qt::black);
        QTest::newRow("dark blue") << QColor(20, 30, 90) << QColor(Qt::white);
        QTest::newRow("luminance exactly 0.5") << QColor::fromRgbF(0.5, 0.5, 0.5) << QColor(Qt::black);
    }
    void textColourStandsOut() {
        QFETCH(QColor, background);
        QFETCH(QColor, text);
        QCOMPARE(AnnotatingPDFView::contrastingTextColor(background), text);
    }

    // The samples come from the page's own coordinates: a media box that does not start at the origin
    // still samples the area asked for.
    void backgroundIsSampledWhereTheAreaIs() {
        QImage page(612, 792, QImage::Format_RGB32);
        page.fill(Qt::white);
        const QRectF mediaBox(100, 200, 612, 792);
        const QRectF area(300, 700, 100, 30); // pixel columns 200..300, rows 262..292
        for (int y = 262; y < 292; ++y)
            for (int x = 200; x < 300; ++x)
                page.setPixelColor(x, y, QColor(0, 0, 136));
        QCOMPARE(AnnotatingPDFView::sampleBackgroundColor(area, page, mediaBox),
                 QColor::fromRgbF(0, 0, 8 / 15.0f));
        QCOMPARE(AnnotatingPDFView::sampleBackgroundColor(area, QImage(), mediaBox), QColor(Qt::white));
    }

    // The editor shows the whole line on one row, however narrow the line's box is at this zoom.
    void editorShowsTheWholeLine() {
        showDocument(threeLines());
        openOn(QPointF(100, 689));
        auto* editor = m_view->textEditEditor();
        QCOMPARE(editor->toPlainText(), middleLine);
        QCOMPARE(editor->textCursor().selectedText(), middleLine);
        QCOMPARE(editor->lineWrapMode(), QTextEdit::NoWrap);
        QVERIFY(editor->width() >= QFontMetricsF(editor->font()).horizontalAdvance(middleLine));
        QCOMPARE(editor->horizontalScrollBar()->maximum(), 0);
        QVERIFY(annotations().empty()); // nothing is changed before the commit
    }

    // On a turned page the line runs down the screen while the editor runs across it: the editor stays
    // inside the window whatever the page's turn.
    void editorStaysInViewOnTurnedPages_data() {
        QTest::addColumn<int>("rotate");
        QTest::newRow("upright") << 0;
        QTest::newRow("turned 90") << 90;
        QTest::newRow("turned 180") << 180;
        QTest::newRow("turned 270") << 270;
    }
    void editorStaysInViewOnTurnedPages() {
        QFETCH(int, rotate);
        fixtures::PageSpec page;
        page.text = QStringLiteral("A line long enough to reach well past the side of a window when "
                                   "it is laid out across it");
        page.rotate = rotate;
        fixtures::DocSpec doc;
        doc.pages = {page};
        showDocument(fixtures::makePdf(doc), QSize(500, 700));
        openOn(QPointF(80, 704));
        auto* editor = m_view->textEditEditor();
        QCOMPARE(editor->toPlainText(), page.text);
        QVERIFY2(viewport()->rect().contains(editor->geometry()),
                 qPrintable(QStringLiteral("editor %1,%2 %3x%4 in %5x%6")
                                .arg(editor->x())
                                .arg(editor->y())
                                .arg(editor->width())
                                .arg(editor->height())
                                .arg(viewport()->width())
                                .arg(viewport()->height())));
    }

    // The old words leave the file: every reader extracts only the new ones, and nothing else on the page
    // moves. Undo puts the very same content back; redo takes it out again.
    void editReplacesTheLineAndNothingElse() {
        showDocument(threeLines());
        const auto geometry = m_doc->geometry(0).value();
        const QImage before = m_doc->render(0, 2).value();
        const QString textBefore = m_doc->pageText(0).value();
        const QRectF oldLine = m_doc->search(0, middleLine).value().at(0);
        openOn(QPointF(100, 689));
        replaceWith(QStringLiteral("The price is 250 euros."));

        QVERIFY(m_doc->search(0, QStringLiteral("100 dollars")).value().empty());
        const QString ours = m_doc->pageText(0).value();
        QVERIFY2(ours.count(QStringLiteral("The price is 250 euros.")) == 1, qPrintable(ours));
        const QString extracted = pdftotext();
        QVERIFY2(!extracted.contains(QStringLiteral("100")) && !extracted.contains(QStringLiteral("dollars")),
                 qPrintable(extracted));
        for (const char* kept : {"Above the edited line", "The price is 250 euros.", "Below the edited line"})
            QVERIFY2(extracted.contains(QLatin1String(kept)), qPrintable(extracted));
        // The new words are page content, not an annotation, and no cover is laid on a white page.
        QVERIFY(annotations().empty());
        QVERIFY(!fixtures::inflatedStreams(m_doc->save().value()).contains("h\nf"));

        // Changed pixels lie only where the old line or the new text stands (one pixel of smoothing).
        const QImage after = m_doc->render(0, 2).value();
        const QRectF edited =
            geometry.pageToImage(2)
                .mapRect(oldLine.united(m_doc->search(0, QStringLiteral("250 euros.")).value().at(0)))
                .adjusted(-1, -1, 1, 1);
        const auto changed = changedPixels(before, after);
        QVERIFY(!changed.empty());
        for (const QPoint& p : changed)
            QVERIFY2(edited.contains(p),
                     qPrintable(QStringLiteral("pixel %1,%2 changed").arg(p.x()).arg(p.y())));
        // The new words sit on the old baseline, where the old line started.
        const QRectF newLine = m_doc->search(0, QStringLiteral("The price")).value().at(0);
        QVERIFY(std::abs(newLine.left() - oldLine.left()) < 0.5);
        QVERIFY(std::abs(newLine.top() - oldLine.top()) < 1.5 &&
                std::abs(newLine.bottom() - oldLine.bottom()) < 1.5);

        m_undo->undo();
        QCOMPARE(m_doc->pageText(0).value(), textBefore);
        QCOMPARE(m_doc->render(0, 2).value(), before);
        m_undo->redo();
        QVERIFY(m_doc->search(0, QStringLiteral("100 dollars")).value().empty());
        QCOMPARE(m_doc->render(0, 2).value(), after);
        m_undo->undo();
        QCOMPARE(m_doc->render(0, 2).value(), before);
        QVERIFY(!m_undo->canUndo());
        // What undo put back is what gets saved.
        QVERIFY(pdftotext().contains(middleLine));
    }

    // Ligatures and kerning shape the new words, and every reader still reads them letter for letter.
    void shapedReplacementReadsBackLetterForLetter() {
        showDocument(threeLines());
        openOn(QPointF(100, 689));
        const QString text = QStringLiteral("An official offer to fly, AVAWAY");
        replaceWith(text);
        QVERIFY2(m_doc->pageText(0).value().contains(text), qPrintable(m_doc->pageText(0).value()));
        QVERIFY2(pdftotext().contains(text), qPrintable(pdftotext()));
        // The face does join letters here, or the test would prove nothing.
        const QString face = platform::closestFontFile(QStringLiteral("Helvetica"),
                                                       platform::GenericFamily::sans, false, false);
        int glyphs = 0;
        for (const TextRun& run : layoutText(text, face, 12, Qt::black, QRectF(0, 0, 1000, 100)))
            glyphs += int(run.glyphs.size());
        QVERIFY(glyphs < text.size());
    }

    // The page's own font program is used when it has every glyph; the closest installed face otherwise.
    void replacementFont_data() {
        QTest::addColumn<QByteArray>("pdf");
        QTest::addColumn<QPointF>("click");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("face");
        using platform::GenericFamily;
        const QString sans =
            platform::closestFontFile(QStringLiteral("Helvetica"), GenericFamily::sans, false, false);
        const QString mono =
            platform::closestFontFile(QStringLiteral("Courier"), GenericFamily::mono, false, false);
        // Named as the page names it, whatever the program's own name.
        QTest::newRow("embedded program")
            << embeddedFontLine() << QPointF(90, 703) << QStringLiteral("Annual") << QByteArray("Courier");
        // The program is DejaVu Sans under the name Courier: the face standing in for it is a mono one.
        QTest::newRow("embedded program lacks a glyph")
            << embeddedFontLine() << QPointF(90, 703) << QStringLiteral("Annual X")
            << pdf::postScriptName(mono);
        QTest::newRow("not embedded: closest sans face")
            << threeLines() << QPointF(100, 689) << QStringLiteral("Annual") << pdf::postScriptName(sans);
    }
    void replacementFont() {
        QFETCH(QByteArray, pdf);
        QFETCH(QPointF, click);
        QFETCH(QString, text);
        QFETCH(QByteArray, face);
        showDocument(pdf);
        openOn(click);
        replaceWith(text);
        QCOMPARE(embeddedSubsets(), QStringList{QString::fromLatin1(face)});
    }

    // On a coloured background the line's glyph boxes are covered in that colour, and nothing more.
    void colouredBackgroundIsCoveredOverTheLineOnly() {
        showDocument(threeLines("0 0 0.55 rg 60 660 300 60 re f"));
        openOn(QPointF(100, 689));
        replaceWith(QStringLiteral("New"));
        QVERIFY(annotations().empty());
        // The cover is filled in the sampled background colour, over the old glyph boxes only.
        const QByteArray content = fixtures::inflatedStreams(m_doc->save().value());
        QVERIFY(content.contains("0 0 0.533 rg"));
        QVERIFY(content.contains("h\nf"));
        // Where the old words stood beyond the new ones the cover's colour shows (136 of 255 blue), beside
        // the line the page's own (140).
        const QImage page = m_doc->render(0, 1).value();
        const QTransform toImage = m_doc->geometry(0).value().pageToImage(1);
        QVERIFY(std::abs(page.pixelColor(toImage.map(QPointF(180, 689)).toPoint()).blue() - 136) <= 1);
        QVERIFY(std::abs(page.pixelColor(toImage.map(QPointF(250, 689)).toPoint()).blue() - 140) <= 1);
        m_undo->undo();
        QVERIFY(!fixtures::inflatedStreams(m_doc->save().value()).contains("0 0 0.533 rg"));
    }

    void escapeAndEmptyCommitLeaveNothing_data() {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Esc") << true;
        QTest::newRow("empty commit") << false;
    }
    void escapeAndEmptyCommitLeaveNothing() {
        QFETCH(bool, escape);
        showDocument(threeLines());
        const QImage before = m_doc->render(0, 1).value();
        openOn(QPointF(100, 689));
        if (!escape)
            QTest::keyClick(m_view->textEditEditor(), Qt::Key_Delete);
        QTest::keyClick(m_view->textEditEditor(), escape ? Qt::Key_Escape : Qt::Key_Return);
        QCoreApplication::processEvents();
        QVERIFY(!m_view->textEditEditor());
        QVERIFY(annotations().empty());
        QCOMPARE(m_doc->render(0, 1).value(), before);
        QVERIFY(!m_undo->canUndo());
        QVERIFY(m_tools->isTextEditingModeEnabled());
    }

    void clickAwayFromTextStartsNothing() {
        showDocument(threeLines());
        m_tools->setTextEditingModeEnabled(true);
        QTest::mouseClick(viewport(), Qt::LeftButton, {}, viewPoint(QPointF(300, 200)));
        QVERIFY(!m_view->textEditEditor());
        QVERIFY(annotations().empty());
    }
};

QTEST_MAIN(TestTextEdit)
#include "test_text_edit.moc"
