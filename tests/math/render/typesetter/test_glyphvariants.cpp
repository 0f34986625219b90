// Size variants and glyph assemblies: the assembly layout for a height (extenders added, joints opened
// evenly, endings for parts that cannot grow), the variant chosen for a height, delimiters centred on the
// math axis and \left...\right groups sized by TeX's delimiter rule.
#include "TypesetTestSupport.h"

#include "display/MTGlyphDisplay.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace zepla::math;
using namespace typesettest;

namespace {

// Pieces chosen so that each joint and each extender adds known amounts: a bottom and a top joined with an
// overlap of 4 (may open by 3), or 3 around an extender of 6 (may open by 2).
QList<GlyphPart> synthetic(bool withExtender) {
    QList<GlyphPart> parts{{1, 10, 0, 4, false}};
    if (withExtender)
        parts.append(GlyphPart{2, 6, 3, 3, true});
    parts.append(GlyphPart{3, 10, 4, 0, false});
    return parts;
}

MTTypesetter typesetter(MTLineStyle style = MTLineStyle::display) {
    return MTTypesetter(defaultFont(), style, false, false);
}

qreal heightOf(const MTDisplay& display) {
    return display.ascent() + display.descent();
}

} // namespace

class TestGlyphVariants : public QObject {
    Q_OBJECT

private slots:
    void assemblyLayout_data() {
        QTest::addColumn<bool>("withExtender");
        QTest::addColumn<qreal>("height");
        QTest::addColumn<qreal>("expectedHeight");
        QTest::addColumn<QList<qreal>>("offsets");
        QTest::newRow("pieces already taller") << true << 5.0 << 16.0 << QList<qreal>{0, 6};
        QTest::newRow("joint opened") << true << 18.0 << 18.0 << QList<qreal>{0, 8};
        QTest::newRow("one extender, tight") << true << 19.5 << 20.0 << QList<qreal>{0, 7, 10};
        QTest::newRow("two extenders, opened") << true << 26.0 << 26.0 << QList<qreal>{0, 8, 12, 16};
        QTest::newRow("no extender: loosest") << false << 100.0 << 19.0 << QList<qreal>{0, 9};
        QTest::newRow("height zero") << true << 0.0 << 16.0 << QList<qreal>{0, 6};
        QTest::newRow("negative height") << true << -5.0 << 16.0 << QList<qreal>{0, 6};
        QTest::newRow("not a number")
            << true << std::numeric_limits<qreal>::quiet_NaN() << 16.0 << QList<qreal>{0, 6};
    }

    void assemblyLayout() {
        QFETCH(bool, withExtender);
        QFETCH(qreal, height);
        QFETCH(qreal, expectedHeight);
        QFETCH(QList<qreal>, offsets);
        const auto assembly = MTTypesetter::constructGlyphWithParts(synthetic(withExtender), height, 1);
        QCOMPARE(assembly.height, expectedHeight);
        QCOMPARE(QList<qreal>(assembly.offsets.begin(), assembly.offsets.end()), offsets);
        QCOMPARE(assembly.glyphs.front(), quint16(1));
        QCOMPARE(assembly.glyphs.back(), quint16(3));
    }

    // The first number of extenders that can reach the height is used, however many it takes: 196 extenders
    // reach 999, 197 reach 1004.
    void tallAssemblyUsesTheFewestExtenders() {
        const auto assembly = MTTypesetter::constructGlyphWithParts(synthetic(true), 1000, 1);
        QCOMPARE(assembly.glyphs.size(), std::size_t(197 + 2));
        QCOMPARE(assembly.height, 1000.0);
        QVERIFY(std::is_sorted(assembly.offsets.begin(), assembly.offsets.end()));
    }

    void absurdHeightsStayBounded() {
        for (qreal height : {1e12, std::numeric_limits<qreal>::infinity()}) {
            const auto assembly = MTTypesetter::constructGlyphWithParts(synthetic(true), height, 1);
            QVERIFY(assembly.glyphs.size() < 1'000'000);
            QVERIFY(std::isfinite(assembly.height));
        }
    }

    // latinmodern-math's left parenthesis: the glyph itself for small heights, the smallest variant that
    // reaches a height, the largest when none does.
    void variantForAHeight() {
        const auto ts = typesetter();
        const MTFontMathTable& table = *defaultFont()->mathTable();
        const quint16 paren = ts.findGlyphForCharacterAtIndex(0, QStringLiteral("("));
        QVERIFY(paren != 0);
        const QList<quint16> variants = table.getVerticalVariantsForGlyph(paren);
        QCOMPARE(variants.size(), 8);
        QCOMPARE(ts.findGlyph(paren, 0).glyph, paren);
        const auto medium = ts.findGlyph(paren, 40);
        QVERIFY(medium.ascent + medium.descent >= 40);
        const qsizetype at = variants.indexOf(medium.glyph);
        QVERIFY(at > 0);
        const auto smaller = ts.findGlyph(variants[at - 1], 0);
        QVERIFY(smaller.ascent + smaller.descent < 40);
        QCOMPARE(ts.findGlyph(paren, 5000).glyph, variants.back());
    }

    // Delimiters are centred on the axis: a variant, an assembly past the largest variant, and a height 0.
    void delimiterCentredOnTheAxis_data() {
        QTest::addColumn<qreal>("height");
        QTest::addColumn<bool>("assembled");
        QTest::newRow("zero") << 0.0 << false;
        QTest::newRow("variant") << 30.0 << false;
        QTest::newRow("assembly") << 300.0 << true;
    }

    void delimiterCentredOnTheAxis() {
        QFETCH(qreal, height);
        QFETCH(bool, assembled);
        const auto display = typesetter().findGlyphForBoundary(QStringLiteral("("), height);
        QCOMPARE(bool(std::dynamic_pointer_cast<MTGlyphConstructionDisplay>(display)), assembled);
        QVERIFY(heightOf(*display) >= height);
        QCOMPARE((display->ascent() - display->descent()) / 2, kAxis);
    }

    // An assembly is stacked bottom to top from the font's parts: the bottom piece at 0, the rest above it,
    // the node as wide as the bottom piece.
    void assemblyPiecesFromTheFont() {
        const auto ts = typesetter();
        const quint16 paren = ts.findGlyphForCharacterAtIndex(0, QStringLiteral("("));
        const QList<GlyphPart> parts = defaultFont()->mathTable()->getVerticalGlyphAssembly(paren);
        QCOMPARE(parts.size(), 3);
        const auto construction = ts.constructGlyph(paren, 200);
        QVERIFY(construction);
        QCOMPARE(construction->glyphs().front(), quint32(*parts.front().glyph));
        QCOMPARE(construction->glyphs().back(), quint32(*parts.back().glyph));
        QCOMPARE(construction->positions().front(), QPointF(0, 0));
        QVERIFY(construction->ascent() >= 200);
        QCOMPARE(construction->width(), defaultFont()->ctFont()->advance(*parts.front().glyph));
        QVERIFY(!ts.constructGlyph(ts.findGlyphForCharacterAtIndex(0, QStringLiteral("x")), 200));
    }

    // \left( ... \right) around a tall inner list: the delimiters are the smallest that reach
    // max(901/1000 of twice the larger half around the axis, twice it less 5 points).
    void leftRightHeightRule_data() {
        QTest::addColumn<QString>("inner");
        QTest::newRow("letter") << "x";
        QTest::newRow("fraction") << "\\frac{a}{b}";
        QTest::newRow("nested fraction") << "\\frac{\\frac{1}{2}}{\\frac{3}{4}}";
        QTest::newRow("tall matrix") << "\\begin{matrix}1\\\\2\\\\3\\\\4\\\\5\\\\6\\\\7\\\\8\\end{matrix}";
    }

    void leftRightHeightRule() {
        QFETCH(QString, inner);
        const auto display = layoutLatex("\\left(" + inner + "\\right)");
        QVERIFY(display);
        const auto group = std::dynamic_pointer_cast<MTMathListDisplay>(display->subDisplays().at(0));
        QCOMPARE(group->subDisplays().size(), std::size_t(3));
        const auto& left = *group->subDisplays().at(0);
        const auto& content = *group->subDisplays().at(1);
        const auto& right = *group->subDisplays().at(2);
        const qreal delta = std::max(content.ascent() - kAxis, content.descent() + kAxis);
        const qreal wanted = std::max(delta / 500 * 901, 2 * delta - 5);
        QVERIFY(heightOf(left) >= wanted);
        QCOMPARE(heightOf(right), heightOf(left));
        QCOMPARE(content.position().x(), left.width());
        QCOMPARE(right.position().x(), left.width() + content.width());
        QCOMPARE((left.ascent() - left.descent()) / 2, kAxis);
    }

    // "." leaves a side empty: no glyph and no space.
    void missingDelimiter() {
        const auto display = layoutLatex("\\left. \\frac{a}{b} \\right|");
        const auto group = std::dynamic_pointer_cast<MTMathListDisplay>(display->subDisplays().at(0));
        QCOMPARE(group->subDisplays().size(), std::size_t(2));
        QCOMPARE(group->subDisplays().at(0)->position().x(), 0.0);
        QVERIFY(std::dynamic_pointer_cast<MTDisplayDS>(group->subDisplays().at(1)));
    }

    // \middle delimiters are as tall as the group's own and spaced as inner atoms.
    void middleDelimiters() {
        const auto display = layoutLatex("\\left| x \\middle| \\frac{\\frac{1}{2}}{3} \\right|");
        QVERIFY(display);
        const auto group = std::dynamic_pointer_cast<MTMathListDisplay>(display->subDisplays().at(0));
        const auto& left = *group->subDisplays().at(0);
        const auto inside = std::dynamic_pointer_cast<MTMathListDisplay>(group->subDisplays().at(1));
        std::shared_ptr<MTDisplayDS> middle;
        for (const auto& child : inside->subDisplays()) {
            if (auto glyph = std::dynamic_pointer_cast<MTDisplayDS>(child))
                middle = glyph;
        }
        QVERIFY(middle);
        QCOMPARE(heightOf(*middle), heightOf(left));
        QCOMPARE((middle->ascent() - middle->descent()) / 2, kAxis);
        QVERIFY(!MTMathListBuilder::build("a \\middle| b"));
    }

    // A delimited group is drawn: its ink reaches well above and below a plain fraction's.
    void delimitersAreDrawn() {
        const auto plain = layoutLatex("\\frac{a}{b}");
        const auto delimited = layoutLatex("\\left(\\frac{a}{b}\\right)");
        const QImage plainImage = render(*plain, QSize(120, 100), QPoint(10, 50));
        const QImage delimitedImage = render(*delimited, QSize(120, 100), QPoint(10, 50));
        QVERIFY(inkRect(delimitedImage).width() > inkRect(plainImage).width() + 10);
        QVERIFY(inkRect(delimitedImage).height() >= inkRect(plainImage).height());
    }
};

QTEST_MAIN(TestGlyphVariants)
#include "test_glyphvariants.moc"
