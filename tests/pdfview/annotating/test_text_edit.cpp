// In-place text editing in the annotating view, by real clicks and keys: the line under the click, the
// page's font, the cover geometry and colour, one undo step for cover and text, Esc and empty commits
// leaving the page as it was.
#include "AnnotatingViewHarness.h"
#include "annotations/FreeTextAnnotation.h"

using namespace zepla;
using namespace zepla::annotations;
using zepla::pdfview::AnnotatingPDFView;

class TestTextEdit : public AnnotatingViewHarness {
    Q_OBJECT

    // The fixture's line "Page 1 Quarterly" in Helvetica 12 at (72, 700).
    void openOnTheLine() {
        m_tools->setTextEditingModeEnabled(true);
        QTest::mouseClick(viewport(), Qt::LeftButton, {}, viewPoint(QPointF(90, 704)));
        QVERIFY(m_view->textEditEditor());
    }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
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

    void coverGeometry() {
        const QRectF cover = AnnotatingPDFView::coverRect(QRectF(100, 500, 200, 12), 14.3);
        QVERIFY(std::abs(cover.left() - 98) < 1e-9 && std::abs(cover.top() - 492.85) < 1e-9);
        QVERIFY(std::abs(cover.width() - 204) < 1e-9 && std::abs(cover.height() - 26.3) < 1e-9);
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

    void lineIsEditedInItsOwnFontAndUndoneInOneStep() {
        showDocument(fixtures::makeTextPdf(1, QStringLiteral("Quarterly")));
        openOnTheLine();
        auto* editor = m_view->textEditEditor();
        QCOMPARE(editor->toPlainText().trimmed(), QStringLiteral("Page 1 Quarterly"));
        QCOMPARE(editor->textCursor().selectedText().trimmed(), QStringLiteral("Page 1 Quarterly"));
        QVERIFY(editor->width() >= 80);
        const auto font =
            AnnotatingPDFView::originalFont(QStringLiteral("Page 1"), m_doc->structuredText(0).value());
        QVERIFY(font);
        QCOMPARE(font->family(), QStringLiteral("Helvetica"));
        QCOMPARE(font->pointSizeF(), 12.0);
        QCOMPARE(annotations().size(), std::size_t(1)); // the cover, already hiding the old words
        QTest::keyClicks(editor, QStringLiteral("Annual"));
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();
        QVERIFY(!m_view->textEditEditor());
        const auto list = annotations();
        QCOMPARE(list.size(), std::size_t(2));
        QCOMPARE(list[0].subtype, QStringLiteral("Square"));
        QCOMPARE(list[1].subtype, QStringLiteral("FreeText"));
        QCOMPARE(list[1].contents, QStringLiteral("Annual"));
        QCOMPARE(list[0].rect, list[1].rect);
        // The cover is filled with the white page, with no border.
        QCOMPARE(m_doc->annotationNumberArrays(list[0].handle, "IC"),
                 (std::vector<std::vector<double>>{{1, 1, 1}}));
        QCOMPARE(m_doc->annotationNumber(list[0].handle, "BS/W"), 0.0);
        m_undo->undo();
        QVERIFY(annotations().empty());
        m_undo->redo();
        QCOMPARE(annotations().size(), std::size_t(2));
        m_undo->undo();
        QVERIFY(annotations().empty());
    }

    // Text longer than the old line is not cut off: the replacement grows to the right, the cover stays.
    void longerReplacementShowsEveryWord() {
        showDocument(fixtures::makeTextPdf(1, QStringLiteral("Quarterly")));
        openOnTheLine();
        const QString longer = QStringLiteral("Page 1 Quarterly report of the northern region, revised");
        QTest::keyClicks(m_view->textEditEditor(), longer);
        QTest::keyClick(m_view->textEditEditor(), Qt::Key_Return);
        QCoreApplication::processEvents();
        const auto list = annotations();
        QCOMPARE(list.size(), std::size_t(2));
        const QRectF cover = list[0].rect, text = list[1].rect;
        QVERIFY(text.width() > cover.width() + 100);
        QCOMPARE(text.left(), cover.left());
        QCOMPARE(text.bottom(), cover.bottom()); // the top edge, page space running upwards
        FreeTextAnnotation shown;
        shown.bounds = text;
        shown.contents = longer;
        shown.font =
            AnnotatingPDFView::originalFont(QStringLiteral("Page 1"), m_doc->structuredText(0).value());
        int glyphs = 0;
        const Appearance appearance = shown.appearance();
        for (const DrawOp& op : appearance.ops())
            glyphs += op.kind == DrawOp::Kind::Text ? int(op.text.glyphs.size()) : 0;
        QCOMPARE(glyphs, int(longer.size()));
    }

    void escapeAndEmptyCommitLeaveNothing_data() {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Esc") << true;
        QTest::newRow("empty commit") << false;
    }
    void escapeAndEmptyCommitLeaveNothing() {
        QFETCH(bool, escape);
        showDocument(fixtures::makeTextPdf(1, QStringLiteral("Quarterly")));
        openOnTheLine();
        if (!escape)
            QTest::keyClick(m_view->textEditEditor(), Qt::Key_Delete);
        QTest::keyClick(m_view->textEditEditor(), escape ? Qt::Key_Escape : Qt::Key_Return);
        QCoreApplication::processEvents();
        QVERIFY(!m_view->textEditEditor());
        QVERIFY(annotations().empty());
        QVERIFY(!m_undo->canUndo());
        QVERIFY(m_tools->isTextEditingModeEnabled());
    }

    void clickAwayFromTextStartsNothing() {
        showDocument(fixtures::makeTextPdf(1, QStringLiteral("Quarterly")));
        m_tools->setTextEditingModeEnabled(true);
        QTest::mouseClick(viewport(), Qt::LeftButton, {}, viewPoint(QPointF(300, 200)));
        QVERIFY(!m_view->textEditEditor());
        QVERIFY(annotations().empty());
    }
};

QTEST_MAIN(TestTextEdit)
#include "test_text_edit.moc"
