// Fractions, stacks and radicals against latinmodern-math's MATH constants at 20 points: shifts, gaps and
// rule thickness by style, binomial delimiters of the fixed heights, the radical sign meeting its rule, the
// degree.
#include "TypesetTestSupport.h"

#include "display/MTFractionDisplay.h"
#include "display/MTRadicalDisplay.h"

#include <QTest>

using namespace zepla::math;
using namespace typesettest;

namespace {

constexpr qreal kRule = units(40);

} // namespace

class TestFractions : public QObject {
    Q_OBJECT

private slots:
    // Short parts: the shifts are the style's constants, the rule sits on the axis.
    void fractionShiftsByStyle_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<qreal>("up");
        QTest::addColumn<qreal>("down");
        QTest::addColumn<int>("partStyle");
        QTest::newRow("display") << int(MTLineStyle::display) << units(677) << units(686)
                                 << int(MTLineStyle::text);
        QTest::newRow("text") << int(MTLineStyle::text) << units(394) << units(345)
                              << int(MTLineStyle::script);
    }

    void fractionShiftsByStyle() {
        QFETCH(int, style);
        QFETCH(qreal, up);
        QFETCH(qreal, down);
        QFETCH(int, partStyle);
        const auto display = layoutLatex("\\frac{a}{c}", MTLineStyle(style));
        const auto fraction = firstOf<MTFractionDisplay>(display);
        QVERIFY(fraction);
        QCOMPARE(fraction->numeratorUp(), up);
        QCOMPARE(fraction->denominatorDown(), down);
        QCOMPARE(fraction->lineThickness(), kRule);
        QCOMPARE(fraction->linePosition(), kAxis);
        // The parts are set in the next smaller style: their letters are scaled accordingly.
        const qreal partSize = MTTypesetter::getStyleSize(MTLineStyle(partStyle), defaultFont().get());
        const auto line =
            std::dynamic_pointer_cast<MTCTLineDisplay>(fraction->numerator()->subDisplays().at(0));
        QCOMPARE(line->attributedString().font()->pointSize(), partSize);
    }

    // A numerator with a deep part or a denominator with a tall one is pushed away until the gap to the rule
    // is the style's minimum.
    void gapsToTheRule_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<qreal>("gapMin");
        QTest::newRow("display") << int(MTLineStyle::display) << units(120);
        QTest::newRow("text") << int(MTLineStyle::text) << units(40);
    }

    void gapsToTheRule() {
        QFETCH(int, style);
        QFETCH(qreal, gapMin);
        const auto display =
            layoutLatex("\\frac{\\frac{\\frac{1}{2}}{3}}{\\frac{4}{\\frac{5}{6}}}", MTLineStyle(style));
        const auto fraction = firstOf<MTFractionDisplay>(display);
        const qreal numeratorGap =
            fraction->numeratorUp() - fraction->numerator()->descent() - (kAxis + kRule / 2);
        const qreal denominatorGap =
            (kAxis - kRule / 2) - (fraction->denominator()->ascent() - fraction->denominatorDown());
        QCOMPARE(numeratorGap, gapMin);
        QCOMPARE(denominatorGap, gapMin);
    }

    // A stack has no rule; a shortfall against the stack gap is split evenly between its parts.
    void stackWithoutRule() {
        const auto display =
            layoutLatex("{\\frac{\\frac{1}{2}}{\\frac{3}{4}} \\atop \\frac{\\frac{5}{6}}{\\frac{7}{8}}}");
        const auto fraction = firstOf<MTFractionDisplay>(display);
        QVERIFY(fraction);
        QCOMPARE(fraction->lineThickness(), 0.0);
        const qreal clearance = (fraction->numeratorUp() - fraction->numerator()->descent()) -
                                (fraction->denominator()->ascent() - fraction->denominatorDown());
        QCOMPARE(clearance, units(280));
        const qreal raised = fraction->numeratorUp() - units(677);
        const qreal lowered = fraction->denominatorDown() - units(686);
        QVERIFY(raised > 0);
        QCOMPARE(raised, lowered);
    }

    // A binomial's parentheses are 20.2 points tall in text style and 47.8 in display style (the smallest
    // variants that reach), whatever its entries; the stack sits right of the left one.
    void binomialDelimiters_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<qreal>("height");
        QTest::newRow("text") << int(MTLineStyle::text) << 20.2;
        QTest::newRow("display") << int(MTLineStyle::display) << 47.8;
    }

    void binomialDelimiters() {
        QFETCH(int, style);
        QFETCH(qreal, height);
        for (const QString& latex :
             {QStringLiteral("\\binom{n}{k}"), QStringLiteral("\\binom{\\frac{a}{b}}{c}")}) {
            const auto display = layoutLatex(latex, MTLineStyle(style));
            const auto wrapper = firstOf<MTMathListDisplay>(display);
            QVERIFY(wrapper);
            QCOMPARE(wrapper->subDisplays().size(), std::size_t(3));
            const auto& left = *wrapper->subDisplays().at(0);
            const auto stack = std::dynamic_pointer_cast<MTFractionDisplay>(wrapper->subDisplays().at(1));
            QVERIFY(stack);
            QCOMPARE(stack->lineThickness(), 0.0);
            QCOMPARE(stack->position(), QPointF(left.width(), 0));
            const qreal drawn = left.ascent() + left.descent();
            QVERIFY(drawn >= height);
            QVERIFY(drawn < height * 1.5);
        }
    }

    // The sign's top meets the rule's top, the rule is the font's, and the extra ascender is above it.
    void radicalSignMeetsItsRule_data() {
        QTest::addColumn<QString>("latex");
        QTest::addColumn<qreal>("gap");
        QTest::newRow("letter") << "\\sqrt{x}" << units(148);
        QTest::newRow("tall fraction, assembled")
            << "\\sqrt{\\frac{\\frac{\\frac{1}{2}}{\\frac{3}{4}}}{\\frac{\\frac{5}{6}}{\\frac{7}{8}}}}"
            << units(148);
    }

    void radicalSignMeetsItsRule() {
        QFETCH(QString, latex);
        QFETCH(qreal, gap);
        const auto radical = firstOf<MTRadicalDisplay>(layoutLatex(latex));
        QVERIFY(radical);
        const auto& sign = *radical->radicalGlyph();
        QCOMPARE(radical->lineThickness(), kRule);
        QCOMPARE(radical->topKern(), kRule);
        QCOMPARE(sign.ascent(), radical->ascent() - radical->topKern());
        const qreal clearance =
            radical->ascent() - radical->topKern() - kRule - radical->radicand()->ascent();
        QVERIFY(clearance >= gap - 1e-9);
        // A sign taller than needed shares the extra height equally above and below the radicand.
        const qreal signHeight = sign.ascent() + sign.descent();
        const qreal needed = radical->radicand()->ascent() + radical->radicand()->descent() + gap + kRule;
        QCOMPARE(clearance, gap + (signHeight - needed) / 2);
        QCOMPARE(radical->width(), sign.width() + radical->radicand()->width());
        QCOMPARE(radical->descent(), std::max(signHeight - (radical->ascent() - radical->topKern()),
                                              radical->radicand()->descent()));
    }

    void radicalSignIsAssembledWhenNoVariantIsTallEnough() {
        const auto radical = firstOf<MTRadicalDisplay>(layoutLatex(
            "\\sqrt{\\begin{matrix}1\\\\2\\\\3\\\\4\\\\5\\\\6\\\\7\\\\8\\\\9\\\\10\\end{matrix}}"));
        QVERIFY(std::dynamic_pointer_cast<MTGlyphConstructionDisplay>(radical->radicalGlyph()));
    }

    // \sqrt[3]{x}: the degree sits kernBefore right of the start, raised by 60% of the box's height, and the
    // sign moves right by kernBefore + degree + kernAfter (never by a negative amount).
    void radicalDegree() {
        const auto radical = firstOf<MTRadicalDisplay>(layoutLatex("\\sqrt[3]{x}"));
        QVERIFY(radical->degree());
        const qreal kernBefore = units(278);
        const qreal shift = std::max(kernBefore + radical->degree()->width() + units(-556), 0.0);
        QCOMPARE(radical->radicalShift(), shift);
        QCOMPARE(radical->degree()->position().x(),
                 kernBefore - std::min(kernBefore + radical->degree()->width() + units(-556), 0.0));
        QCOMPARE(radical->degree()->position().y(), 0.6 * (radical->ascent() - radical->descent()));
        QCOMPARE(radical->width(), shift + radical->radicalGlyph()->width() + radical->radicand()->width());
        QCOMPARE(radical->radicand()->position().x(), shift + radical->radicalGlyph()->width());
        const qreal degreeSize = MTTypesetter::getStyleSize(MTLineStyle::scriptOfScript, defaultFont().get());
        const auto digit = std::dynamic_pointer_cast<MTCTLineDisplay>(radical->degree()->subDisplays().at(0));
        QCOMPARE(digit->attributedString().font()->pointSize(), degreeSize);
    }

    // Drawn: the fraction's rule and the radical's sign and rule leave ink above the letters.
    void drawn() {
        const auto fraction = layoutLatex("\\frac{a}{b}");
        const QImage image = render(*fraction, QSize(60, 80), QPoint(5, 40));
        // The rule: a full row of dark pixels at the axis across the fraction's width.
        const int ruleRow = 40 - int(std::round(kAxis));
        int dark = 0;
        for (int x = 5; x < 5 + int(fraction->width()); ++x)
            dark += qGray(image.pixel(x, ruleRow)) < 128 || qGray(image.pixel(x, ruleRow - 1)) < 128;
        QVERIFY(dark >= int(fraction->width()) - 2);

        const QImage bare = render(*layoutLatex("x"), QSize(60, 80), QPoint(5, 40));
        const QImage root = render(*layoutLatex("\\sqrt{x}"), QSize(60, 80), QPoint(5, 40));
        QVERIFY(inkRect(root).top() < inkRect(bare).top() - 2);
        QVERIFY(inkRect(root).width() > inkRect(bare).width() + 8);
    }
};

QTEST_MAIN(TestFractions)
#include "test_fractions.moc"
