// Scripts: shifts from the MATH constants for runs and constructs, cramped superscripts, both scripts with
// the gap rule, italic correction, nested script styles and the order of the script displays; primes set
// as TeX sets ^{\prime}.
#include "TypesetTestSupport.h"

#include "typesetter/MTTypesetter.h"

#include <QTest>

using namespace zepla::math;
using namespace typesettest;

Q_DECLARE_METATYPE(MTLineStyle)

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

MTMathListDisplayPtr layoutLatex(const QString& latex, MTLineStyle style, bool cramped) {
    const MTMathListPtr list = MTMathListBuilder::build(latex);
    return list ? layout(list, style, cramped) : nullptr;
}

// A line of text of a laid-out formula, with its baseline's start in the formula's space.
struct PlacedLine {
    std::shared_ptr<MTCTLineDisplay> line;
    QPointF origin;
};

// The text lines of a display tree in drawing order; a line's position is in its parent's space.
void collectLines(const MTDisplayPtr& display, QPointF parentOrigin, std::vector<PlacedLine>& lines) {
    const QPointF origin = parentOrigin + display->position();
    if (auto line = std::dynamic_pointer_cast<MTCTLineDisplay>(display))
        lines.push_back({line, origin});
    else if (auto list = std::dynamic_pointer_cast<MTMathListDisplay>(display))
        for (const MTDisplayPtr& child : list->subDisplays())
            collectLines(child, origin, lines);
}

std::vector<PlacedLine> linesOf(const MTMathListDisplayPtr& display) {
    std::vector<PlacedLine> lines;
    collectLines(display, QPointF(), lines);
    return lines;
}

// Everything the eye sees of a formula's text: each line's place, size and glyphs with their offsets.
QStringList drawnText(const MTMathListDisplayPtr& display) {
    QStringList drawn;
    for (const PlacedLine& placed : linesOf(display)) {
        QString glyphs;
        const MTTextLine line = placed.line->line();
        for (const MTTextLine::PlacedGlyph& glyph : line.glyphs())
            glyphs += QStringLiteral(" %1@%2").arg(glyph.glyph).arg(glyph.x);
        drawn << QStringLiteral("(%1, %2) %3pt:%4")
                     .arg(placed.origin.x())
                     .arg(placed.origin.y())
                     .arg(placed.line->attributedString().font()->pointSize())
                     .arg(glyphs);
    }
    return drawn;
}

// The line that holds the primes of a formula: the first whose text is primes.
PlacedLine primeLine(const MTMathListDisplayPtr& display) {
    for (const PlacedLine& placed : linesOf(display)) {
        const QString& text = placed.line->attributedString().string();
        if (!text.isEmpty() && text.front().unicode() >= 0x2032 && text.front().unicode() <= 0x2034)
            return placed;
    }
    return {};
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

    // A prime is a superscript set in the font's script form of the prime (its "ssty" glyph) at the script
    // size, raised by TeX's rule 18 for a superscript on a character: the shift up (the cramped one in a
    // cramped style), or more when the prime reaches below its baseline by more than the bottom minimum
    // allows. So x' is drawn as x^{\prime} is, f'^2 as f^{\prime 2}, and a prime inside a script takes
    // the script-of-script form. The primes written after one another are one glyph, as the font draws two
    // or three primes together.
    void primesAreSuperscriptPrimes_data() {
        QTest::addColumn<QString>("primed");
        QTest::addColumn<QString>("written");
        QTest::addColumn<MTLineStyle>("style");
        QTest::addColumn<bool>("cramped");
        QTest::addColumn<QString>("glyphName");
        QTest::addColumn<qreal>("scale");
        const qreal script = table().scriptScaleDown();
        const qreal scriptOfScript = table().scriptScriptScaleDown();
        for (const auto& [style, name] :
             {std::pair(MTLineStyle::display, "display"), std::pair(MTLineStyle::text, "text")}) {
            const auto row = [&](const char* what) -> QTestData& {
                return QTest::addRow("%s, %s", what, name);
            };
            row("x'") << "x'"
                      << "x^{\\prime}" << style << false << "minute.st" << script;
            row("x''") << "x''"
                       << "x^{\\prime\\prime}" << style << false << "minute.st" << script;
            row("x'^2") << "x'^2"
                        << "x^{\\prime 2}" << style << false << "minute.st" << script;
            row("f'(x)") << "f'(x)"
                         << "f^{\\prime}(x)" << style << false << "minute.st" << script;
            row("x' cramped") << "x'"
                              << "x^{\\prime}" << style << true << "minute.st" << script;
            row("e^{x'}") << "e^{x'}"
                          << "e^{x^{\\prime}}" << style << false << "minute.sts" << scriptOfScript;
        }
    }
    void primesAreSuperscriptPrimes() {
        QFETCH(QString, primed);
        QFETCH(QString, written);
        QFETCH(MTLineStyle, style);
        QFETCH(bool, cramped);
        QFETCH(QString, glyphName);
        QFETCH(qreal, scale);
        const auto display = layoutLatex(primed, style, cramped);
        const auto reference = layoutLatex(written, style, cramped);
        QVERIFY(display && reference);
        QCOMPARE(drawnText(display), drawnText(reference));

        const PlacedLine prime = primeLine(display);
        QVERIFY(prime.line);
        const SizedFont& sized = *prime.line->attributedString().font();
        QCOMPARE(sized.pointSize(), 20 * scale);
        const quint16 glyph = defaultFont()->glyphWithName(glyphName);
        QVERIFY(glyph != 0);
        QCOMPARE(prime.line->line().glyphs().front().glyph, quint32(glyph));
        if (scale != table().scriptScaleDown())
            return;
        const qreal depth = std::max(-sized.boundingRect(glyph).top(), 0.0);
        const qreal shiftUp = cramped ? table().superscriptShiftUpCramped() : table().superscriptShiftUp();
        QCOMPARE(prime.origin.y(), std::max(shiftUp, depth + table().superscriptBottomMin()));
    }

    // A prime outside a script keeps the font's glyph for the base size.
    void aPrimeOnTheBaselineKeepsItsBaseGlyph() {
        const PlacedLine prime = primeLine(layoutLatex("\\prime", MTLineStyle::display, false));
        QVERIFY(prime.line);
        QCOMPARE(prime.line->line().glyphs().front().glyph, quint32(defaultFont()->glyphWithName("minute")));
        QCOMPARE(prime.origin.y(), 0.0);
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
