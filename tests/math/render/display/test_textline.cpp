// The text line under line displays: glyphs from the math font's character map or a fallback font, kerns,
// exact ink bounds and one glyph run per font and colour.
#include "TypesetTestSupport.h"

#include "display/FallbackFonts.h"
#include "display/MTTextLine.h"

#include <QTest>

using namespace zepla::math;
using namespace typesettest;

namespace {

MTAttributedString stringOf(const QString& text) {
    MTAttributedString string;
    string.append(text);
    string.setFont(defaultFont()->ctFont());
    return string;
}

qreal advanceOf(char32_t code) {
    const auto& font = *defaultFont()->ctFont();
    return font.advance(font.glyphForCodePoint(code));
}

} // namespace

class TestTextLine : public QObject {
    Q_OBJECT

private slots:
    void widthIsAdvancesAndKerns() {
        MTAttributedString string = stringOf("a");
        string.kernLastCharacter(3);
        string.kernLastCharacter(4);
        string.append(QStringLiteral("b"));
        const MTTextLine line(string);
        QCOMPARE(line.width(), advanceOf(U'a') + 4 + advanceOf(U'b'));
        QCOMPARE(line.glyphRuns().size(), std::size_t(1));
        QCOMPARE(line.glyphs().at(1).x, advanceOf(U'a') + 4);
    }

    // A kern after a character of two code points follows the whole character once.
    void kernFollowsTheWholeCharacter() {
        MTAttributedString string = stringOf(QString::fromUcs4(U"\U0001D465"));
        string.kernLastCharacter(5);
        string.append(QStringLiteral("b"));
        const MTTextLine line(string);
        QCOMPARE(line.width(), advanceOf(U'\U0001D465') + 5 + advanceOf(U'b'));
    }

    void inkBoundsAreTheExactGlyphExtents() {
        const auto& font = *defaultFont()->ctFont();
        const QRectF y = font.boundingRect(font.glyphForCodePoint(U'y'));
        const MTTextLine line(stringOf("ay"));
        const QRectF ink = line.inkBounds();
        QCOMPARE(ink.top(), y.top());
        QVERIFY(ink.top() < 0);
        QCOMPARE(ink.left() + ink.width(), advanceOf(U'a') + y.left() + y.width());
        QVERIFY(MTTextLine(stringOf(" ")).inkBounds().isNull());
    }

    void charactersTheMathFontLacksComeFromAFallback() {
        QVERIFY(!fallbackFontFaces().empty());
        const auto& math = *defaultFont()->ctFont();
        QCOMPARE(math.glyphForCodePoint(U'ж'), quint16(0));
        const MTTextLine line(stringOf(QStringLiteral("xжx")));
        QCOMPARE(line.glyphRuns().size(), std::size_t(3));
        const auto& cyrillic = line.glyphRuns().at(1);
        QVERIFY(cyrillic.font->face() != math.face());
        const quint32 cyrillicGlyph = line.glyphs(cyrillic).front().glyph;
        QVERIFY(cyrillicGlyph != 0);
        const qreal advance = cyrillic.font->advance(quint16(cyrillicGlyph));
        QVERIFY(advance > 5);
        QCOMPARE(line.width(), 2 * advanceOf(U'x') + advance);
        QVERIFY(line.inkBounds().width() > 2 * advanceOf(U'x'));
    }

    // A text font stands in at the size where its x-height is the math font's: the Cyrillic х is as tall
    // as the Latin x beside it.
    void fallbackTextIsScaledToTheMathXHeight() {
        const MTTextLine line(stringOf(QStringLiteral("xх")));
        QCOMPARE(line.glyphRuns().size(), std::size_t(2));
        const auto& latin = line.glyphRuns().at(0);
        const auto& cyrillic = line.glyphRuns().at(1);
        const QRectF latinInk = latin.font->boundingRect(quint16(line.glyphs(latin).front().glyph));
        const QRectF cyrillicInk = cyrillic.font->boundingRect(quint16(line.glyphs(cyrillic).front().glyph));
        QVERIFY(cyrillic.font->pointSize() < latin.font->pointSize());
        // y upward: a rectangle's top edge is its y plus its height.
        const qreal latinTop = latinInk.y() + latinInk.height();
        const qreal cyrillicTop = cyrillicInk.y() + cyrillicInk.height();
        QVERIFY(qAbs(cyrillicTop - latinTop) < 0.02 * latinTop);
    }

    // A math font without math-italic letters (Euler) borrows them from the default math font at its own
    // size before any text font.
    void lettersAMathFontLacksComeFromTheDefaultMathFont() {
        const auto euler = MTFontManager::manager()->eulerFont(20);
        const QString italicX = QString::fromUcs4(U"\U0001D465");
        QCOMPARE(euler->ctFont()->glyphForCodePoint(U'\U0001D465'), quint16(0));
        MTAttributedString string;
        string.append(italicX);
        string.setFont(euler->ctFont());
        const MTTextLine line(string);
        QCOMPARE(line.glyphRuns().size(), std::size_t(1));
        const auto& run = line.glyphRuns().front();
        QCOMPARE(run.font->face(), defaultFont()->ctFont()->face());
        QCOMPARE(run.font->pointSize(), 20.0);
        QVERIFY(line.glyphs(run).front().glyph != 0);
    }

    void oneRunPerColorRange() {
        MTAttributedString string = stringOf("a");
        string.append(QStringLiteral("bc"), QColor(Qt::red));
        string.append(QStringLiteral("d"));
        const MTTextLine line(string);
        QCOMPARE(line.glyphRuns().size(), std::size_t(3));
        QCOMPARE(line.glyphRuns().at(1).count, 2);
        QCOMPARE(line.glyphRuns().at(1).color, std::optional(QColor(Qt::red)));
        QVERIFY(!line.glyphRuns().at(0).color);
        string.setForegroundColor(Qt::blue);
        QCOMPARE(MTTextLine(string).glyphRuns().size(), std::size_t(1));
    }

    void colouredRunsDrawInTheirColours() {
        MTAttributedString string = stringOf("");
        string.append(QStringLiteral("MM"), QColor(Qt::red));
        string.append(QStringLiteral("MM"), QColor(Qt::blue));
        QImage image(120, 60, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        MTGraphicsContext context(painter);
        MTTextLine(string).draw(context, {5, -40});
        painter.end();
        const QImage left = image.copy(0, 0, 5 + int(2 * advanceOf(U'M')), 60);
        const QImage right = image.copy(6 + int(2 * advanceOf(U'M')), 0, 60, 60);
        QVERIFY(hasPixelOf(left, Qt::red));
        QVERIFY(!hasPixelOf(left, Qt::blue));
        QVERIFY(hasPixelOf(right, Qt::blue));
        QVERIFY(!hasPixelOf(right, Qt::red));
    }
};

QTEST_MAIN(TestTextLine)
#include "test_textline.moc"
