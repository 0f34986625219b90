// Editing one line of page text changes that line and nothing else, whatever the page's content looks like:
// for every page structure below, on upright, turned and cropped pages, MuPDF's structured text after the
// edit (in the open document and in the saved file) holds every glyph off the line with the same character,
// font, size and origin, and no new glyph but the new words on the line's baseline; the old words are gone
// and the new ones extract in poppler too.
#include "AnnotatingViewHarness.h"
#include "ExternalTool.h"
#include "core/FontFiles.h"
#include "pdf/FontSubset.h"

#include <QRawFont>
#include <QTemporaryDir>

using namespace zepla;

namespace {

const QString newWords = QStringLiteral("Zebra quartz");

QByteArray streamObject(const QByteArray& dictionary, const QByteArray& data) {
    return "<< " + dictionary + " /Length " + QByteArray::number(data.size()) + " >>\nstream\n" + data +
           "\nendstream";
}

// A part of DejaVu Sans (printable ASCII) as an embedded TrueType font with its widths: a face whose glyph
// boxes, ascent to descent, are taller than the 12.6-point leading of 11-point type.
QList<QByteArray> tallFont() {
    const QString file = platform::fontFileFor(QStringLiteral("DejaVu Sans"), 400);
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        qFatal("DejaVu Sans is needed (fonts-dejavu-core)");
    const QRawFont whole(in.readAll(), 1000);
    QString ascii;
    for (char c = 32; c < 127; ++c)
        ascii += QLatin1Char(c);
    std::vector<quint32> kept;
    for (quint32 glyph : whole.glyphIndexesForString(ascii))
        kept.push_back(glyph);
    const QByteArray subset = pdf::subsetFont(file, kept);
    const QRawFont font(subset, 1000);
    QByteArray widths;
    for (QChar c : ascii)
        widths += QByteArray::number(
                      qRound(font.advancesForGlyphIndexes(font.glyphIndexesForString(c)).value(0).x())) +
                  ' ';
    return {
        "<< /Type /Font /Subtype /TrueType /BaseFont /ABCDEF+DejaVuSans /FirstChar 32 /LastChar 126 /Widths "
        "[" +
            widths + "] /FontDescriptor 7 0 R /Encoding /WinAnsiEncoding >>",
        "<< /Type /FontDescriptor /FontName /ABCDEF+DejaVuSans /Flags 32 /FontBBox [-1021 -463 1793 1232]"
        " /ItalicAngle 0 /Ascent 928 /Descent -236 /CapHeight 729 /StemV 80 /FontFile2 8 0 R >>",
        streamObject({}, subset),
    };
}

// One page drawing `content` with Helvetica as /F1, the tall face as /F2, a Japanese face written
// vertically (not embedded, text in UTF-16) as /F3, and two forms: /Fm0 shows two lines from its origin and
// draws /Fm1 (one line) 50 points below them.
QByteArray pageWith(const QByteArray& content, int rotate, const QByteArray& cropBox) {
    static const QList<QByteArray> tall = tallFont();
    const QByteArray font = "<< /Font << /F1 5 0 R >> ";
    return fixtures::assemblePdf(
        QList<QByteArray>{
            "<< /Type /Catalog /Pages 2 0 R >>",
            "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
            "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Rotate " + QByteArray::number(rotate) +
                (cropBox.isEmpty() ? QByteArray() : " /CropBox " + cropBox) +
                " /Resources << /Font << /F1 5 0 R /F2 6 0 R /F3 11 0 R >> /XObject << /Fm0 9 0 R >>"
                " >> /Contents 4 0 R >>",
            streamObject({}, content),
            "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica"
            " /Encoding /WinAnsiEncoding >>",
        } +
        tall +
        QList<QByteArray>{
            streamObject("/Type /XObject /Subtype /Form /BBox [-10 -100 300 30] /Resources " + font +
                             "/XObject << /Fm1 10 0 R >> >>",
                         "BT /F1 12 Tf 0 0 Td (Form line one) Tj 0 -16 Td (Form line two) "
                         "Tj ET q 1 0 0 1 0 -50 cm /Fm1 Do Q"),
            streamObject("/Type /XObject /Subtype /Form /BBox [-10 -10 300 30] /Resources " + font + ">>",
                         "BT /F1 11 Tf 0 0 Td (Nested form line) Tj ET"),
            "<< /Type /Font /Subtype /Type0 /BaseFont /Mincho /Encoding /UniJIS-UTF16-V /DescendantFonts [12 "
            "0 R] >>",
            "<< /Type /Font /Subtype /CIDFontType0 /BaseFont /Mincho /CIDSystemInfo"
            " << /Registry (Adobe) /Ordering (Japan1) /Supplement 6 >> /FontDescriptor 13 0 R >>",
            "<< /Type /FontDescriptor /FontName /Mincho /Flags 6 /FontBBox [-200 -200 1200 1200]"
            " /ItalicAngle 0 /Ascent 1000 /Descent -200 /StemV 80 >>",
        });
}

QByteArray utf16(const QString& text) {
    QByteArray hex;
    for (QChar c : text)
        hex += QByteArray::number(c.unicode(), 16).rightJustified(4, '0');
    return '<' + hex + '>';
}

// The page structures, each with a point on the line to edit and that line's text.
struct Structure {
    const char* name;
    QByteArray content;
    QPointF click;
    QString line;
    QByteArray cropBox;
};

QList<Structure> structures() {
    return {
        {"text objects with their own moves and sizes",
         "BT /F1 14 Tf 72 400 Td (Edited line here) Tj ET BT /F1 12 Tf 200 40 Td (bottom edge) Tj ET "
         "BT /F1 10 Tf 1 0 0 1 300 600 Tm (top right words) Tj ET "
         "BT /F1 9 Tf 72 380 TD (below with TD) Tj T* (and T star) Tj ET",
         {100, 404},
         QStringLiteral("Edited line here"),
         {}},
        // Baselines 12.6 points apart, each line a text object of its own, as LibreOffice writes them.
        {"tight leading with tall glyph boxes",
         "BT /F2 11 Tf 72 700 Td (Body line number one, the first.) Tj ET "
         "BT /F2 11 Tf 72 687.4 Td (Body line number two, edited.) Tj ET "
         "BT /F2 11 Tf 72 674.8 Td (Body line number three, kept.) Tj ET "
         "BT /F2 11 Tf 72 662.2 Td (Body line number four, kept.) Tj ET",
         {120, 690},
         QStringLiteral("Body line number two, edited."),
         {}},
        {"text outside an offset crop box",
         "BT /F1 12 Tf 120 650 Td (Visible edited line) Tj ET BT /F1 12 Tf 20 40 Td (hidden below the crop) "
         "Tj "
         "ET BT /F1 12 Tf 40 720 Td (hidden left of the crop) Tj ET BT /F1 12 Tf 120 600 Td (Visible kept "
         "line) "
         "Tj ET",
         {150, 654},
         QStringLiteral("Visible edited line"),
         "[100 100 500 700]"},
        {"kerned TJ arrays, one across two columns",
         "BT /F1 12 Tf 72 500 Td [(W) 80 (ave) -20 (s of kerned) 250 (text)] TJ 0 -16 Td [(Next) -120 "
         "(line)] TJ "
         "ET BT /F1 12 Tf 72 450 Td [(Left column words) -18000 (Right column) 40 (words)] TJ ET",
         {100, 454},
         QStringLiteral("Left column words"),
         {}},
        {"a line in a form drawn twice",
         "q 1 0 0 1 72 650 cm /Fm0 Do Q q 1 0 0 1 300 300 cm /Fm0 Do Q "
         "BT /F1 12 Tf 72 100 Td (Page text after the forms) Tj ET",
         {90, 654},
         QStringLiteral("Form line one"),
         {}},
        {"a line in a form inside a form",
         "q 1 0 0 1 72 650 cm /Fm0 Do Q BT /F1 12 Tf 72 100 Td (Page text after the forms) Tj ET",
         {90, 603},
         QStringLiteral("Nested form line"),
         {}},
        {"quote operators",
         "BT /F1 12 Tf 16 TL 72 700 Td (First quoted line) Tj (Second quoted line) ' 2 0.5 (Third spaced "
         "line) \" "
         "(Fourth quoted line) ' ET",
         {100, 688},
         QStringLiteral("Second quoted line"),
         {}},
        {"a line set by a double quote",
         "BT /F1 12 Tf 16 TL 72 700 Td (First quoted line) Tj 3 1 (Second spaced line) \" (Third quoted "
         "line) ' "
         "ET",
         {100, 688},
         QStringLiteral("Second spaced line"),
         {}},
        // The text after the line in the same text object is placed by the pen's move over the line.
        {"scaling, spacing and rise",
         "BT /F1 12 Tf 130 Tz 0.6 Tc 2.5 Tw 72 650 Td (Scaled and spaced words) Tj 30 Ts (raised tail) Tj "
         "-30 Ts "
         "(sunk tail) Tj 0 Ts 0 -60 Td (Following line) Tj ET",
         {100, 654},
         QStringLiteral("Scaled and spaced words"),
         {}},
        {"nested saves, scaling and a turned text matrix",
         "q 1 0 0 1 50 50 cm q 2 0 0 2 0 0 cm BT /F1 8 Tf 30 300 Td (Scaled up line) Tj ET Q "
         "BT /F1 12 Tf 30 500 Td (Translated line) Tj ET Q "
         "BT /F1 12 Tf 0.866 0.5 -0.5 0.866 300 200 Tm (Slanted text) Tj ET",
         {130, 655},
         QStringLiteral("Scaled up line"),
         {}},
        // Columns read top to bottom, 30 points apart.
        {"vertical writing",
         "BT /F3 14 Tf 400 780 Td " + utf16("日本語の縦書き一行目") + " Tj ET BT /F3 14 Tf 370 780 Td " +
             utf16("二行目を編集します") + " Tj ET BT /F3 14 Tf 340 780 Td " + utf16("三行目はそのまま") +
             " Tj ET BT /F1 12 Tf 72 100 Td (Horizontal text kept) Tj ET",
         {370, 720},
         QStringLiteral("二行目を編集します"),
         {}},
    };
}

struct Glyph {
    char32_t character;
    QString font;
    float size;
    QPointF origin;
};

std::vector<Glyph> glyphsOf(const std::vector<pdf::TextChar>& chars) {
    std::vector<Glyph> glyphs;
    for (const pdf::TextChar& c : chars) {
        if (!QChar::isSpace(c.character))
            glyphs.push_back({c.character, c.fontName, c.fontSize, c.origin});
    }
    return glyphs;
}

bool same(const Glyph& a, const Glyph& b) {
    return a.character == b.character && a.font == b.font && std::abs(a.size - b.size) < 0.01 &&
           QLineF(a.origin, b.origin).length() < 0.01;
}

QString describe(const Glyph& g) {
    return QStringLiteral("'%1' (%2 %3) at %4, %5")
        .arg(QString::fromUcs4(&g.character, 1), g.font)
        .arg(g.size)
        .arg(g.origin.x())
        .arg(g.origin.y());
}

} // namespace

class TestLineEditKeepsThePage : public AnnotatingViewHarness {
    Q_OBJECT

    QTemporaryDir m_files;

    // Nothing off the edited line moved, changed or went away; nothing new but the new words on its
    // baseline; none of the old line's glyphs is left.
    static void checkInvariant(const pdf::StructuredText& before, const pdf::TextLine& edited,
                               const pdf::StructuredText& after, const char* which) {
        std::vector<Glyph> offLine;
        std::vector<Glyph> onLine = glyphsOf(edited.chars);
        std::vector<pdf::TextChar> afterChars;
        for (const pdf::TextBlock& block : before.blocks) {
            for (const pdf::TextLine& line : block.lines) {
                if (&line != &edited)
                    for (const Glyph& g : glyphsOf(line.chars))
                        offLine.push_back(g);
            }
        }
        for (const pdf::TextBlock& block : after.blocks) {
            for (const pdf::TextLine& line : block.lines)
                afterChars.insert(afterChars.end(), line.chars.begin(), line.chars.end());
        }
        std::vector<Glyph> remaining = glyphsOf(afterChars);
        for (const Glyph& g : offLine) {
            const auto found =
                std::find_if(remaining.begin(), remaining.end(), [&](const Glyph& a) { return same(a, g); });
            QVERIFY2(found != remaining.end(),
                     qPrintable(QStringLiteral("%1: %2 moved or went").arg(which, describe(g))));
            remaining.erase(found);
        }
        for (const Glyph& old : onLine) {
            QVERIFY2(std::none_of(remaining.begin(), remaining.end(),
                                  [&](const Glyph& a) { return same(a, old); }),
                     qPrintable(QStringLiteral("%1: %2 of the old line is left").arg(which, describe(old))));
        }
        // What is new is the new words, on the old line's baseline.
        QString added;
        const QLineF baseline(onLine.front().origin, onLine.back().origin);
        for (const Glyph& g : remaining) {
            added += QString::fromUcs4(&g.character, 1);
            const QPointF d = g.origin - baseline.p1();
            const double across = (d.x() * baseline.dy() - d.y() * baseline.dx()) / baseline.length();
            QVERIFY2(std::abs(across) < 0.5,
                     qPrintable(QStringLiteral("%1: %2 is off the line").arg(which, describe(g))));
        }
        QCOMPARE(added, QString(newWords).remove(QLatin1Char(' ')));
    }

    static QString popplerText(const QString& path) {
        const ToolRun run = runTool(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
        if (run.exitCode != 0)
            qFatal("pdftotext failed on %s", qPrintable(path));
        return QString::fromUtf8(run.out);
    }

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_files.isValid());
        testdocs::requireTool(QStringLiteral("pdftotext"));
    }
    void cleanup() { m_view.reset(); }

    void onlyTheLineChanges_data() {
        QTest::addColumn<QByteArray>("pdf");
        QTest::addColumn<QPointF>("click");
        QTest::addColumn<QString>("line");
        for (const Structure& s : structures()) {
            for (int rotate : {0, 90, 180, 270}) {
                QTest::addRow("%s, turned %d", s.name, rotate)
                    << pageWith(s.content, rotate, s.cropBox) << s.click << s.line;
            }
            if (s.cropBox.isEmpty()) {
                QTest::addRow("%s, cropped", s.name)
                    << pageWith(s.content, 90, "[40 30 590 770]") << s.click << s.line;
            }
        }
    }
    void onlyTheLineChanges() {
        QFETCH(QByteArray, pdf);
        QFETCH(QPointF, click);
        QFETCH(QString, line);
        showDocument(pdf);
        const pdf::StructuredText before = m_doc->structuredText(0).value();
        const pdf::TextLine* edited = nullptr;
        for (const pdf::TextBlock& block : before.blocks) {
            for (const pdf::TextLine& l : block.lines) {
                if (l.box.contains(click))
                    edited = &l;
            }
        }
        QVERIFY2(edited && edited->text().trimmed() == line,
                 qPrintable(edited ? edited->text() : QStringLiteral("no line under the click")));

        m_tools->setTextEditingModeEnabled(true);
        QTest::mouseClick(viewport(), Qt::LeftButton, {}, viewPoint(click));
        auto* editor = m_view->textEditEditor();
        QVERIFY(editor);
        QCOMPARE(editor->toPlainText().trimmed(), line);
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(editor, newWords);
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();
        QVERIFY(!m_view->textEditEditor());

        checkInvariant(before, *edited, m_doc->structuredText(0).value(), "open");
        if (QTest::currentTestFailed())
            return;
        const auto saved = testdocs::open(m_doc->save().value());
        checkInvariant(before, *edited, saved->structuredText(0).value(), "saved");
        // Poppler reads the new words, and the old line once less (a form drawn twice keeps it once).
        const QString original =
            popplerText(writeTestBytes(m_files.filePath(QStringLiteral("original.pdf")), pdf));
        const QString extracted =
            popplerText(testdocs::saveTo(*m_doc, m_files.filePath(QStringLiteral("edited.pdf"))));
        QVERIFY2(extracted.contains(newWords) && extracted.count(line) == original.count(line) - 1,
                 qPrintable(extracted));
    }
};

QTEST_MAIN(TestLineEditKeepsThePage)
#include "test_line_edit_keeps_the_page.moc"
