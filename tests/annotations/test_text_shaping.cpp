// Annotation text is shaped: kerning moves Latin glyphs, Arabic letters join, right-to-left runs are laid
// left to right in visual order, Devanagari vowel signs move before their consonant; lines break where
// Unicode allows. Saved, every reader extracts the text in logical order, and the embedded subsets and the
// text box's default appearance name their fonts as PDF expects.
#include "ExternalTool.h"
#include "PdfFixtures.h"
#include "TestDocuments.h"
#include "annotations/FreeTextAnnotation.h"
#include "annotations/NoteAnnotation.h"
#include "annotations/TextLayout.h"
#include "core/FontFiles.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace zepla;
using namespace zepla::annotations;

namespace {

QString fontFile(const char* family) {
    return platform::fontFileFor(QString::fromLatin1(family), 400);
}

// The glyphs of a line in visual order, left to right, with their x positions on the page.
struct Line {
    QList<quint32> glyphs;
    QList<qreal> x;
    QStringList texts;
};

Line lineOf(const QString& text, const QString& file, qreal width = 2000) {
    Line line;
    for (const TextRun& run : layoutText(text, file, 20, Qt::black, QRectF(0, 0, width, 100))) {
        for (qsizetype i = 0; i < run.glyphs.size(); ++i) {
            line.glyphs.append(run.glyphs[i]);
            line.x.append(run.origin.x() + run.positions[i].x());
        }
        line.texts.append(run.text);
    }
    return line;
}

// The glyph each character has by itself, in the order of the characters: what setting text one glyph per
// character gives.
QList<quint32> nominalGlyphs(const QString& text, const QString& file) {
    return QRawFont(file, 20).glyphIndexesForString(text);
}

} // namespace

class TestTextShaping : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_dir.isValid());
        testdocs::requireTool("pdftotext");
        testdocs::requireTool("mutool");
        for (const char* family :
             {"Noto Sans", "Noto Sans Arabic", "Noto Sans Hebrew", "Noto Sans Devanagari"})
            QVERIFY2(QRawFont(fontFile(family), 12).familyName() == QLatin1String(family), family);
    }

    // "AV" and "To" are kerned pairs: the second glyph starts before the first glyph's own advance ends.
    void latinPairsAreKerned() {
        const QString file = fontFile("Noto Sans");
        for (const QString& pair : {QStringLiteral("AV"), QStringLiteral("To")}) {
            const Line line = lineOf(pair, file);
            QCOMPARE(line.glyphs, nominalGlyphs(pair, file));
            const qreal advance =
                QRawFont(file, 20)
                    .advancesForGlyphIndexes({line.glyphs[0]}, QRawFont::UseDesignMetrics)[0]
                    .x();
            QVERIFY2(line.x[1] - line.x[0] < advance - 0.3, qPrintable(pair));
        }
    }

    // Each script's line differs from one glyph per character in logical order, and its run still says
    // what it shows in reading order.
    void scriptsAreShaped_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("family");
        QTest::addColumn<bool>("rightToLeft");
        QTest::newRow("Arabic: joined letters") << QStringLiteral("سلام عليكم") << "Noto Sans Arabic" << true;
        QTest::newRow("Hebrew: right to left") << QStringLiteral("שלום עולם") << "Noto Sans Hebrew" << true;
        QTest::newRow("Devanagari: vowel sign first")
            << QStringLiteral("हिन्दी") << "Noto Sans Devanagari" << false;
    }
    void scriptsAreShaped() {
        QFETCH(QString, text);
        QFETCH(QString, family);
        QFETCH(bool, rightToLeft);
        const QString file = fontFile(family.toLatin1().constData());
        const Line line = lineOf(text, file);
        QVERIFY(!line.glyphs.contains(0u));
        QVERIFY(line.glyphs != nominalGlyphs(text, file));
        QCOMPARE(line.texts.join(QString()), text);
        QVERIFY(std::is_sorted(line.x.begin(), line.x.end()));
        if (rightToLeft) {
            // The last letter stands leftmost.
            QList<quint32> reversed = nominalGlyphs(text, file);
            std::reverse(reversed.begin(), reversed.end());
            QCOMPARE(line.glyphs.size() == reversed.size(), family.contains(QLatin1String("Hebrew")));
            if (family.contains(QLatin1String("Hebrew")))
                QCOMPARE(line.glyphs, reversed);
        }
    }

    // A right-to-left word inside a left-to-right line keeps its place and reads right to left.
    void mixedDirectionsKeepTheirOrder() {
        const QString file = fontFile("Noto Sans");
        const Line line = lineOf(QStringLiteral("Total שלום today"), file);
        QCOMPARE(line.texts.join(QString()), QStringLiteral("Total שלום today"));
        QVERIFY(line.texts.contains(QStringLiteral("שלום")));
    }

    // Lines break at the opportunities Unicode gives, never inside a word that fits, spaces hanging.
    void linesBreakBetweenWords() {
        const QString file = fontFile("Noto Sans");
        const QString text = QStringLiteral("alpha beta-go on");
        const qreal width = naturalTextSize(QStringLiteral("alpha beta-"), file, 20).width() + 1;
        std::vector<std::pair<qreal, QString>> lines; // baseline and text
        for (const TextRun& run : layoutText(text, file, 20, Qt::black, QRectF(0, 0, width, 1000)))
            lines.emplace_back(run.origin.y(), run.text);
        QCOMPARE(lines.size(), std::size_t(2));
        QCOMPARE(lines[0].second, QStringLiteral("alpha beta-"));
        QCOMPARE(lines[1].second, QStringLiteral("go on"));
        QVERIFY(lines[1].first < lines[0].first);
    }

    // Saved in a text box set in Noto Serif, each line (the other scripts from fallback faces) comes back
    // from pdftotext in logical order; the subsets are named "ABCDEF+PostScriptName" and the default
    // appearance names the face the box is set in.
    void savedTextReadsInLogicalOrder() {
        const QStringList lines = {QStringLiteral("AVATAR office"), QStringLiteral("سلام عليكم"),
                                   QStringLiteral("שלום עולם"), QStringLiteral("हिन्दी"),
                                   QStringLiteral("हिन्दी क्षत्रिय धर्म")};
        auto doc = testdocs::open(fixtures::makePdf({{{QString()}}}));
        qreal y = 700;
        for (const QString& text : lines) {
            FreeTextAnnotation box;
            box.bounds = QRectF(72, y, 400, 40);
            box.contents = text;
            QFont serif(QStringLiteral("Noto Serif"));
            serif.setPointSizeF(16);
            box.font = serif;
            QVERIFY(writeNewAnnotation(*doc, 0, box).ok());
            y -= 80;
        }
        const QString path = testdocs::saveTo(*doc, m_dir.filePath(QStringLiteral("shaped.pdf")));
        // Poppler and MuPDF alike, each glyph reading as its part of the characters it was shaped from.
        const ToolRun poppler = runTool(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
        const ToolRun mupdf = runTool(QStringLiteral("mutool"),
                                      {QStringLiteral("draw"), QStringLiteral("-F"), QStringLiteral("txt"),
                                       QStringLiteral("-o"), QStringLiteral("-"), path});
        for (const ToolRun& run : {poppler, mupdf}) {
            QCOMPARE(run.exitCode, 0);
            // Poppler marks a right-to-left line's direction with embedding controls, which say nothing of
            // the characters.
            QString extracted = QString::fromUtf8(run.out);
            extracted.remove(QRegularExpression(QStringLiteral("[\\x{202A}-\\x{202E}]")));
            for (const QString& text : lines)
                QVERIFY2(extracted.contains(text), qPrintable(extracted));
            QVERIFY2(!extracted.contains(QChar(0xFFFD)), qPrintable(extracted));
        }

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString bytes = QString::fromLatin1(fixtures::searchable(file.readAll()));
        const QRegularExpression baseFont(QStringLiteral("/BaseFont\\s*/([^\\s/<>\\[\\]]+)"));
        int named = 0;
        for (const QRegularExpressionMatch& m : baseFont.globalMatch(bytes)) {
            if (m.captured(1) == QLatin1String("Helvetica"))
                continue; // the page's own font
            QVERIFY2(QRegularExpression(QStringLiteral("^[A-Z]{6}\\+[A-Za-z0-9-]+$"))
                         .match(m.captured(1))
                         .hasMatch(),
                     qPrintable(m.captured(1)));
            ++named;
        }
        QVERIFY(named >= 4);
        QVERIFY2(bytes.contains(QStringLiteral("/DA(/NotoSerif-Regular 16 Tf")) ||
                     bytes.contains(QStringLiteral("/DA (/NotoSerif-Regular 16 Tf")),
                 qPrintable(bytes.mid(bytes.indexOf(QStringLiteral("/DA")), 50)));
    }
};

QTEST_MAIN(TestTextShaping)
#include "test_text_shaping.moc"
