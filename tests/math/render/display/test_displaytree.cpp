// The display tree: boxes of lists and constructs, colour propagation, and drawing into real images with y
// growing upward and glyphs upright.
#include "TypesetTestSupport.h"

#include "display/MTCTLineDisplay.h"
#include "display/MTFractionDisplay.h"
#include "display/MTGlyphDisplay.h"
#include "display/MTLargeOpLimitsDisplay.h"
#include "display/MTLineDisplay.h"
#include "display/MTMathListDisplay.h"
#include "display/MTRadicalDisplay.h"

#include <QTest>

using namespace zepla::math;
using namespace typesettest;

namespace {

MTDisplayPtr box(qreal ascent, qreal descent, qreal width, QPointF position = {}) {
    auto display = std::make_shared<MTDisplay>();
    display->setAscent(ascent);
    display->setDescent(descent);
    display->setWidth(width);
    display->setPosition(position);
    return display;
}

MTMathListDisplayPtr listOfBoxes(std::vector<MTDisplayPtr> boxes) {
    return std::make_shared<MTMathListDisplay>(std::move(boxes), MTRange{0, 0});
}

std::shared_ptr<MTCTLineDisplay> textLine(const QString& text, QPointF position = {}) {
    MTAttributedString string;
    string.append(text);
    string.setFont(defaultFont()->ctFont());
    return std::make_shared<MTCTLineDisplay>(string, position, MTRange{0, 1}, std::vector<MTMathAtomPtr>{});
}

} // namespace

class TestDisplayTree : public QObject {
    Q_OBJECT

private slots:
    void emptyListHasNoBoxAndDrawsNothing() {
        auto list = listOfBoxes({});
        QCOMPARE(list->ascent(), 0.0);
        QCOMPARE(list->descent(), 0.0);
        QCOMPARE(list->width(), 0.0);
        list->setLocalBackgroundColor(QColor(Qt::red));
        QVERIFY(inkRect(render(*list, {40, 40}, {10, 20})).isEmpty());
    }

    void listBoxNeverGoesNegative() {
        auto list = listOfBoxes({box(2, 3, 10, {5, -10}), box(4, 1, 6, {0, 0})});
        QCOMPARE(list->ascent(), 4.0);
        QCOMPARE(list->descent(), 13.0);
        QCOMPARE(list->width(), 15.0);
        auto below = listOfBoxes({box(2, 3, 10, {0, -10})});
        QCOMPARE(below->ascent(), 0.0);
        auto above = listOfBoxes({box(2, 1, 10, {0, 5})});
        QCOMPARE(above->descent(), 0.0);
    }

    void backgroundFillsTheBox() {
        auto list = listOfBoxes({box(10, 5, 20)});
        list->setLocalBackgroundColor(QColor(Qt::green));
        const QRect ink = inkRect(render(*list, {60, 60}, {10, 30}));
        QCOMPARE(ink, QRect(10, 20, 20, 15));
    }

    void localTextColorSurvivesPropagation() {
        auto plain = textLine("a");
        auto fixed = textLine("b");
        auto nested = listOfBoxes({textLine("c")});
        fixed->setLocalTextColor(QColor(Qt::red));
        nested->setLocalTextColor(QColor(Qt::green));
        auto root = listOfBoxes({plain, fixed, nested});
        root->setTextColor(QColor(Qt::blue));
        QCOMPARE(*plain->textColor(), QColor(Qt::blue));
        QCOMPARE(*fixed->textColor(), QColor(Qt::red));
        QCOMPARE(*nested->subDisplays().front()->textColor(), QColor(Qt::green));
        QCOMPARE(plain->line().glyphRuns().front().color, std::optional(QColor(Qt::blue)));
    }

    // A glyph lowered by s reports its box lowered by s and draws s pixels lower.
    void glyphShiftDownLowersBoxAndInk() {
        const auto font = defaultFont();
        const quint16 glyph = font->ctFont()->glyphForCodePoint(U'x');
        const QRectF bounds = font->ctFont()->boundingRect(glyph);
        auto up = std::make_shared<MTGlyphDisplay>(glyph, MTRange{0, 1}, font);
        auto down = std::make_shared<MTGlyphDisplay>(glyph, MTRange{0, 1}, font);
        for (const auto& display : {up, down}) {
            display->setAscent(bounds.top() + bounds.height());
            display->setDescent(0);
            display->setWidth(font->ctFont()->advance(glyph));
        }
        down->setShiftDown(5);
        QCOMPARE(down->ascent(), up->ascent() - 5);
        QCOMPARE(down->descent(), 5.0);
        const QRect upInk = inkRect(render(*up, {60, 60}, {10, 30}));
        const QRect downInk = inkRect(render(*down, {60, 60}, {10, 30}));
        QVERIFY(!upInk.isEmpty());
        QCOMPARE(downInk, upInk.translated(0, 5));
    }

    // The y-up space is converted, not mirrored: a descender hangs below the baseline and the ink above it
    // matches the glyph's exact ascent.
    void textDrawsUprightAroundTheBaseline() {
        auto line = textLine(QString::fromUcs4(U"\U0001D466")); // italic y
        line->setTextColor(QColor(Qt::red));
        QVERIFY(line->descent() > 3);
        QVERIFY(line->ascent() > 5);
        const int baseline = 40;
        const QImage image = render(*line, {60, 80}, {10, baseline});
        const QRect ink = inkRect(image);
        QVERIFY(hasPixelOf(image, Qt::red));
        QVERIFY(qAbs((baseline - ink.top()) - line->ascent()) <= 1.5);
        QVERIFY(qAbs((ink.bottom() + 1 - baseline) - line->descent()) <= 1.5);
    }

    void positionMovesTheDrawing() {
        auto line = textLine("x");
        const QRect atOrigin = inkRect(render(*line, {80, 80}, {10, 40}));
        line->setPosition({12, 7});
        QCOMPARE(inkRect(render(*line, {80, 80}, {10, 40})), atOrigin.translated(12, -7));
        auto list = listOfBoxes({line});
        list->setPosition({3, -4});
        QCOMPARE(inkRect(render(*list, {80, 80}, {10, 40})), atOrigin.translated(15, -3));
    }

    void fractionRuleOnlyWithThickness() {
        auto fraction = std::make_shared<MTFractionDisplay>(
            listOfBoxes({box(5, 0, 30)}), listOfBoxes({box(5, 0, 20)}), QPointF(0, 0), MTRange{0, 1});
        fraction->setNumeratorUp(12);
        fraction->setDenominatorDown(9);
        QCOMPARE(fraction->ascent(), 17.0);
        QCOMPARE(fraction->descent(), 9.0);
        QCOMPARE(fraction->width(), 30.0);
        QCOMPARE(fraction->denominator()->position(), QPointF(5, -9));
        QCOMPARE(fraction->numerator()->position(), QPointF(0, 12));
        fraction->setLinePosition(5);
        QVERIFY(inkRect(render(*fraction, {60, 60}, {10, 30})).isEmpty());
        fraction->setLineThickness(2);
        QCOMPARE(inkRect(render(*fraction, {60, 60}, {10, 30})), QRect(10, 24, 30, 2));
    }

    // A negative kern after the degree larger than the degree and the kern before it: the sign stays where it
    // is and the degree moves right.
    void radicalDegreeWithNegativeShift() {
        const auto font = defaultFont();
        const MTFontMathTable& table = *font->mathTable();
        QVERIFY(table.radicalKernAfterDegree() < 0);
        auto radical = std::make_shared<MTRadicalDisplay>(listOfBoxes({box(10, 0, 10)}), box(12, 2, 8),
                                                          QPointF(0, 0), MTRange{0, 1});
        radical->setAscent(12);
        radical->setDescent(2);
        QCOMPARE(radical->radicand()->position(), QPointF(8, 0));
        auto degree = listOfBoxes({box(3, 0, 2)});
        radical->setDegree(degree, table);
        const qreal shift = table.radicalKernBeforeDegree() + 2 + table.radicalKernAfterDegree();
        QVERIFY(shift < 0);
        QCOMPARE(radical->radicalShift(), 0.0);
        QCOMPARE(degree->position().x(), table.radicalKernBeforeDegree() - shift);
        QCOMPARE(degree->position().y(), table.radicalDegreeBottomRaisePercent() * 10);
        QCOMPARE(radical->width(), 18.0);
    }

    void limitsStackAroundTheNucleus() {
        auto nucleus = box(10, 4, 12);
        auto upper = listOfBoxes({box(3, 1, 20)});
        auto lower = listOfBoxes({box(3, 1, 6)});
        MTLargeOpLimitsDisplay op(nucleus, upper, lower, 1, 2);
        op.setUpperLimitGap(2);
        op.setLowerLimitGap(3);
        op.setPosition({0, 0});
        QCOMPARE(op.width(), 20.0);
        QCOMPARE(op.ascent(), 10 + 2 + 3 + 2 + 1.0);
        QCOMPARE(op.descent(), 4 + 2 + 3 + 1 + 3.0);
        QCOMPARE(upper->position(), QPointF(1, 10 + 2 + 1));
        QCOMPARE(lower->position(), QPointF(-1 + 7, -4 - 3 - 3));
        QCOMPARE(nucleus->position(), QPointF(4, 0));
    }

    void overlineDrawsItsRuleInTheTextColor() {
        auto inner = listOfBoxes({box(8, 0, 24)});
        MTLineDisplay line(inner, {0, 0}, MTRange{0, 1});
        line.setLineShiftUp(10);
        line.setLineThickness(2);
        line.setTextColor(QColor(Qt::blue));
        const QImage image = render(line, {60, 60}, {10, 30});
        QCOMPARE(inkRect(image), QRect(10, 19, 24, 2));
        QVERIFY(hasPixelOf(image, Qt::blue));
    }
};

QTEST_MAIN(TestDisplayTree)
#include "test_displaytree.moc"
