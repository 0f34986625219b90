// Large operators: the larger glyph in display style centred on the axis, limits above and below in display
// style with the font's limit gaps, scripts beside them in text style and with \nolimits, the italic
// correction of slanted operators, and named operators set as text.
#include "TypesetTestSupport.h"

#include "display/MTGlyphDisplay.h"
#include "display/MTLargeOpLimitsDisplay.h"

#include <QTest>

using namespace zepla::math;
using namespace typesettest;

namespace {

quint16 glyphOf(char32_t code) {
    return defaultFont()->ctFont()->glyphForCodePoint(code);
}

std::vector<MTMathListDisplayPtr> scriptsOf(const MTMathListDisplay& display) {
    std::vector<MTMathListDisplayPtr> scripts;
    for (const auto& child : display.subDisplays()) {
        auto list = std::dynamic_pointer_cast<MTMathListDisplay>(child);
        if (list && list->type() != MTMathListDisplay::LinePosition::regular)
            scripts.push_back(list);
    }
    return scripts;
}

} // namespace

class TestLargeOps : public QObject {
    Q_OBJECT

private slots:
    // \sum in display style: the next larger glyph, centred on the axis, limits above and below.
    void displayStyleLimits() {
        const auto display = layoutLatex("\\sum_{i=1}^{n}");
        QCOMPARE(display->subDisplays().size(), std::size_t(1));
        const auto op = std::dynamic_pointer_cast<MTLargeOpLimitsDisplay>(display->subDisplays().front());
        QVERIFY(op);
        const auto nucleus = std::dynamic_pointer_cast<MTGlyphDisplay>(op->nucleus());
        QVERIFY(nucleus);
        QCOMPARE(nucleus->glyph(), defaultFont()->mathTable()->getLargerGlyph(glyphOf(U'∑')));
        QVERIFY(nucleus->glyph() != glyphOf(U'∑'));
        QCOMPARE((nucleus->ascent() - nucleus->descent()) / 2, kAxis);

        const auto& upper = *op->upperLimit();
        const auto& lower = *op->lowerLimit();
        QCOMPARE(op->upperLimitGap(), std::max(units(200), units(111) - upper.descent()));
        QCOMPARE(op->lowerLimitGap(), std::max(units(167), units(600) - lower.ascent()));
        // The limits are centred over and under the operator, clear of it by their gaps.
        QCOMPARE(upper.position().y() - upper.descent(), nucleus->ascent() + op->upperLimitGap());
        QCOMPARE(lower.position().y() + lower.ascent(), -nucleus->descent() - op->lowerLimitGap());
        QCOMPARE(op->width(), std::max({nucleus->width(), upper.width(), lower.width()}));
        QCOMPARE(lower.position().x() + lower.width() / 2, op->width() / 2);
        QCOMPARE(op->ascent(), nucleus->ascent() + upper.ascent() + op->upperLimitGap() + upper.descent());
        // The limits are in script size.
        const auto n = std::dynamic_pointer_cast<MTCTLineDisplay>(upper.subDisplays().front());
        QCOMPARE(n->attributedString().font()->pointSize(),
                 MTTypesetter::getStyleSize(MTLineStyle::script, defaultFont().get()));
    }

    // Only a lower limit: the ascent is the operator's own.
    void onlyALowerLimit() {
        const auto display = layoutLatex("\\prod_{p}");
        const auto op = std::dynamic_pointer_cast<MTLargeOpLimitsDisplay>(display->subDisplays().front());
        QVERIFY(op && !op->upperLimit() && op->lowerLimit());
        QCOMPARE(op->ascent(), op->nucleus()->ascent());
    }

    // In text style, or with \nolimits, the scripts stand beside the operator (text style also keeps the
    // text-size glyph); \limits in text style changes nothing.
    void scriptsBeside_data() {
        QTest::addColumn<QString>("latex");
        QTest::addColumn<int>("style");
        QTest::addColumn<bool>("larger");
        QTest::newRow("text style") << "\\sum_{i=1}^{n}" << int(MTLineStyle::text) << false;
        QTest::newRow("limits in text style") << "\\sum\\limits_{i=1}^{n}" << int(MTLineStyle::text) << false;
        QTest::newRow("nolimits in display")
            << "\\sum\\nolimits_{i=1}^{n}" << int(MTLineStyle::display) << true;
    }

    void scriptsBeside() {
        QFETCH(QString, latex);
        QFETCH(int, style);
        QFETCH(bool, larger);
        const auto display = layoutLatex(latex, MTLineStyle(style));
        QVERIFY(display);
        QCOMPARE(scriptsOf(*display).size(), std::size_t(2));
        std::shared_ptr<MTGlyphDisplay> nucleus;
        for (const auto& child : display->subDisplays()) {
            if (auto glyph = std::dynamic_pointer_cast<MTGlyphDisplay>(child))
                nucleus = glyph;
        }
        QVERIFY(nucleus);
        QVERIFY(nucleus->hasScript());
        QCOMPARE(nucleus->glyph() != glyphOf(U'∑'), larger);
        for (const auto& script : scriptsOf(*display))
            QVERIFY(script->position().x() >= nucleus->position().x() + nucleus->width() - 1e-9);
    }

    // \int keeps its scripts beside it in display style: the superscript moves right by the italic correction
    // of the larger glyph, and the subscript tucks under by the operator's width losing it.
    void italicCorrectionOfSlantedOperators() {
        const auto display = layoutLatex("\\int_0^1");
        std::shared_ptr<MTGlyphDisplay> nucleus;
        for (const auto& child : display->subDisplays()) {
            if (auto glyph = std::dynamic_pointer_cast<MTGlyphDisplay>(child))
                nucleus = glyph;
        }
        const quint16 larger = defaultFont()->mathTable()->getLargerGlyph(glyphOf(U'∫'));
        QCOMPARE(nucleus->glyph(), larger);
        const qreal delta = defaultFont()->mathTable()->getItalicCorrection(larger);
        QVERIFY(delta > 0);
        QCOMPARE(nucleus->width(), defaultFont()->ctFont()->advance(larger) - delta);
        const auto scripts = scriptsOf(*display);
        const auto sup =
            scripts[0]->type() == MTMathListDisplay::LinePosition::superscript ? scripts[0] : scripts[1];
        const auto sub = scripts[0] == sup ? scripts[1] : scripts[0];
        QCOMPARE(sup->position().x() - sub->position().x(), delta);
    }

    // A named operator is text: one line, no italic correction; its limits go under it in display style.
    void namedOperator() {
        const auto display = layoutLatex("\\lim_{x\\to 0}");
        const auto op = std::dynamic_pointer_cast<MTLargeOpLimitsDisplay>(display->subDisplays().front());
        QVERIFY(op);
        const auto text = std::dynamic_pointer_cast<MTCTLineDisplay>(op->nucleus());
        QVERIFY(text);
        QCOMPARE(text->attributedString().string(), QStringLiteral("lim"));
        QCOMPARE(op->limitShift(), 0.0);
        QVERIFY(!op->upperLimit());
        const auto inText = layoutLatex("\\sin^2 x", MTLineStyle::text);
        QCOMPARE(scriptsOf(*inText).size(), std::size_t(1));
    }

    // Drawn: the display-style sum is taller than the text-style one and its limits are above and below.
    void drawn() {
        const auto display = layoutLatex("\\sum_{i=1}^{n}");
        const auto text = layoutLatex("\\sum_{i=1}^{n}", MTLineStyle::text);
        const QImage tall = render(*display, QSize(80, 120), QPoint(10, 60));
        const QImage flat = render(*text, QSize(80, 120), QPoint(10, 60));
        QVERIFY(inkRect(tall).height() > 2 * inkRect(flat).height() - 10);
        QVERIFY(inkRect(tall).width() < inkRect(flat).width());
    }
};

QTEST_MAIN(TestLargeOps)
#include "test_largeops.moc"
