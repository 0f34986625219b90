// Scripts: shifts from the MATH constants for runs and constructs, cramped superscripts, both scripts with
// the gap rule, italic correction, nested script styles and the order of the script displays.
#include "TypesetTestSupport.h"

#include "typesetter/MTTypesetter.h"

#include <QTest>

using namespace zepla::math;
using namespace typesettest;

namespace {

MTMathListDisplayPtr layout(const MTMathListPtr& list, MTLineStyle style = MTLineStyle::display,
                            bool cramped = false) {
    return MTTypesetter::createLineForMathList(list->finalized(), defaultFont(), style, cramped);
}

MTMathListDisplayPtr scriptAt(const MTMathListDisplayPtr& display, std::size_t index) {
    return std::dynamic_pointer_cast<MTMathListDisplay>(display->subDisplays().at(index));
}

const MTFontMathTable& table() {
    return *defaultFont()->mathTable();
}

// Where the pen stood after the scripts: the start of the ordinary atom that follows them.
qreal penAfterScripts(const MTMathListDisplayPtr& display) {
    return display->subDisplays().back()->position().x();
}

qreal italicCorrection(char32_t code) {
    const auto font = defaultFont();
    return font->mathTable()->getItalicCorrection(font->ctFont()->glyphForCodePoint(code));
}

} // namespace

class TestScripts : public QObject {
    Q_OBJECT

private slots:
    void subscriptOnARun() {
        const auto display =
            layout(listOf({scripted(atom("x"), nullptr, chars("i")), atom("z")}), MTLineStyle::text);
        QCOMPARE(display->subDisplays().size(), std::size_t(3));
        const auto nucleus = display->subDisplays().at(0);
        const auto sub = scriptAt(display, 1);
        QVERIFY(nucleus->hasScript());
        QCOMPARE(sub->type(), MTMathListDisplay::LinePosition::ssubscript);
        QCOMPARE(sub->index(), qint64(0));
        const qreal down = std::max(table().subscriptShiftDown(), sub->ascent() - table().subscriptTopMax());
        QCOMPARE(sub->position(), QPointF(nucleus->width(), -down));
        QCOMPARE(penAfterScripts(display), nucleus->width() + sub->width() + table().spaceAfterScript());
    }

    // The italic correction moves the pen before a lone superscript and counts in the width.
    void superscriptOnARun() {
        const auto display = layout(listOf({scripted(atom("f"), chars("2"), nullptr), atom("z")}));
        const auto nucleus = display->subDisplays().at(0);
        const auto sup = scriptAt(display, 1);
        const qreal delta = italicCorrection(U'\U0001D453');
        QVERIFY(delta > 0);
        QCOMPARE(sup->type(), MTMathListDisplay::LinePosition::superscript);
        const qreal up =
            std::max(table().superscriptShiftUp(), sup->descent() + table().superscriptBottomMin());
        QCOMPARE(sup->position(), QPointF(nucleus->width() + delta, up));
        QCOMPARE(penAfterScripts(display),
                 nucleus->width() + delta + sup->width() + table().spaceAfterScript());
        const qreal scriptSize = 20 * table().scriptScaleDown();
        const auto digit = std::dynamic_pointer_cast<MTCTLineDisplay>(sup->subDisplays().at(0));
        QCOMPARE(digit->attributedString().font()->pointSize(), scriptSize);
    }

    void crampedSuperscriptIsLower() {
        const auto list = listOf({scripted(atom("x"), chars("2"), nullptr)});
        const auto normal = scriptAt(layout(list, MTLineStyle::text), 1);
        const auto cramped = scriptAt(layout(list, MTLineStyle::text, true), 1);
        QVERIFY(table().superscriptShiftUpCramped() < table().superscriptShiftUp());
        QCOMPARE(normal->position().y(),
                 std::max(table().superscriptShiftUp(), normal->descent() + table().superscriptBottomMin()));
        QCOMPARE(cramped->position().y(), std::max(table().superscriptShiftUpCramped(),
                                                   cramped->descent() + table().superscriptBottomMin()));
    }

    // A deep superscript over a tall subscript: they are pushed apart to the minimum gap, and the superscript
    // goes first among the displays and is shifted by the italic correction.
    void bothScriptsKeepTheirGap() {
        const auto display = layout(listOf({scripted(atom("f"), chars("(y"), chars("(A")), atom("z")}));
        QCOMPARE(display->subDisplays().size(), std::size_t(4));
        const auto nucleus = display->subDisplays().at(0);
        const auto sup = scriptAt(display, 1);
        const auto sub = scriptAt(display, 2);
        QCOMPARE(sup->type(), MTMathListDisplay::LinePosition::superscript);
        QCOMPARE(sub->type(), MTMathListDisplay::LinePosition::ssubscript);
        const qreal delta = italicCorrection(U'\U0001D453');
        QCOMPARE(sup->position().x(), nucleus->width() + delta);
        QCOMPARE(sub->position().x(), nucleus->width());
        const qreal gap = (sup->position().y() - sup->descent()) - (sub->position().y() + sub->ascent());
        QVERIFY(gap >= table().subSuperscriptGapMin() - 1e-9);
        QVERIFY(-sub->position().y() > table().subscriptShiftDown());
        const qreal supBottom = sup->position().y() - sup->descent();
        QVERIFY(supBottom >= table().superscriptBottomMaxWithSubscript() - 1e-9);
        QCOMPARE(penAfterScripts(display), nucleus->width() + std::max(sup->width() + delta, sub->width()) +
                                               table().spaceAfterScript());
    }

    void scriptOfScriptStaysScriptOfScript() {
        const auto innermost = listOf({scripted(atom("z"), chars("4"), nullptr)});
        const auto display =
            layout(listOf({scripted(atom("x"), listOf({scripted(atom("y"), innermost, nullptr)}), nullptr)}));
        const auto level1 = scriptAt(display, 1);
        const auto level2 = scriptAt(level1, 1);
        const auto level3 = scriptAt(level2, 1);
        const auto sizeOf = [](const MTMathListDisplayPtr& list) {
            return std::dynamic_pointer_cast<MTCTLineDisplay>(list->subDisplays().at(0))
                ->attributedString()
                .font()
                ->pointSize();
        };
        QCOMPARE(sizeOf(level1), 20 * table().scriptScaleDown());
        QCOMPARE(sizeOf(level2), 20 * table().scriptScriptScaleDown());
        QCOMPARE(sizeOf(level3), 20 * table().scriptScriptScaleDown());
    }

    // A construct's superscript hangs from its top by the script font's drop, raised to the usual shift.
    void superscriptOnAConstruct() {
        auto group = std::make_shared<MTInner>();
        group->setInnerList(chars("(A)"));
        const auto display = layout(listOf({scripted(group, chars("2"), nullptr)}));
        const auto nucleus = display->subDisplays().at(0);
        const auto sup = scriptAt(display, 1);
        QVERIFY(!std::dynamic_pointer_cast<MTCTLineDisplay>(nucleus));
        const auto scriptFont = defaultFont()->copyWithSize(20 * table().scriptScaleDown());
        const qreal fromTop = nucleus->ascent() - scriptFont->mathTable()->superscriptBaselineDropMax();
        const qreal up = std::max(
            {fromTop, table().superscriptShiftUp(), sup->descent() + table().superscriptBottomMin()});
        QCOMPARE(sup->position(), QPointF(nucleus->width(), up));
        QCOMPARE(sup->index(), qint64(0));
    }

    void emptyScriptStillTakesTheSpaceAfterIt() {
        const auto display =
            layout(listOf({scripted(atom("x"), std::make_shared<MTMathList>(), nullptr), atom("z")}));
        const auto sup = scriptAt(display, 1);
        QCOMPARE(sup->width(), 0.0);
        const qreal delta = std::max(italicCorrection(U'\U0001D465'), 0.0);
        QCOMPARE(penAfterScripts(display),
                 display->subDisplays().at(0)->width() + delta + table().spaceAfterScript());
    }
};

QTEST_MAIN(TestScripts)
#include "test_scripts.moc"
