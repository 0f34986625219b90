// Environments and tables and the LaTeX parser: every error code and message,
// the known edge cases, bad input and the nesting bound.
#include "MathListCompare.h"
#include "corpus/TypicalFormulas.h"
#include "mathlist/MTMathAtomFactory.h"
#include "mathlist/MTMathListBuilder.h"

#include <QElapsedTimer>
#include <QSet>
#include <QTest>
#include <QThread>

using namespace zepla::math;

namespace {

using T = MTMathAtomType;
QString ch(char32_t c) {
    return QString::fromUcs4(&c, 1);
}

MTMathListPtr parse(const QString& latex) {
    std::optional<MTParseError> error;
    MTMathListPtr list = MTMathListBuilder::build(latex, error);
    if (!list)
        qWarning() << "parse failed:" << latex << error->code << error->message;
    return list;
}

std::optional<MTParseError> parseError(const QString& latex) {
    std::optional<MTParseError> error;
    MTMathListPtr list = MTMathListBuilder::build(latex, error);
    if (list)
        return std::nullopt;
    return error;
}

template <typename A> std::shared_ptr<A> at(const MTMathListPtr& list, std::size_t i) {
    return std::dynamic_pointer_cast<A>(list->atoms().at(i));
}

QString repeated(const QString& s, int n) {
    QString out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

} // namespace

class TestMathParser : public QObject {
    Q_OBJECT

private slots:
    // --- Every error code and its message ------------------------------------------------------

    void errorTable_data() {
        QTest::addColumn<QString>("latex");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        auto row = [](const char* name, const QString& latex, int code, const QString& message) {
            QTest::newRow(name) << latex << code << message;
        };
        row("1 close without open", "a}", 1, "Mismatched braces.");
        row("1 open without close", "{a", 1, "Missing closing brace");
        row("1 table inside a group", "{a & b}", 1, "Mismatched braces.");
        row("1 script group open", "x^{2", 1, "Missing closing brace");
        row("2 unknown command", "\\foo", 2, "Invalid command \\foo");
        row("2 backslash at the end", "x\\", 2, "Invalid command \\");
        row("2 backslash before a digit", "\\1", 2, "Invalid command \\");
        row("2 unknown Greek-letter command", "\\" + ch(0x3B1), 2, "Invalid command \\" + ch(0x3B1));
        row("3 degree without ]", "\\sqrt[3", 3, "Expected character not found: ]");
        row("3 begin without {", "\\begin matrix", 3, "Missing {");
        row("3 begin without }", "\\begin{matrix", 3, "Missing }");
        row("3 color without {", "\\color red", 3, "Missing {");
        row("3 color without }", "\\color{red x}", 3, "Missing }");
        row("3 textcolor without }", "\\textcolor{red", 3, "Missing }");
        row("3 end without {", "\\begin{matrix}a\\end", 3, "Missing {");
        row("4 left at the end", "\\left", 4, "Missing delimiter for \\left");
        row("4 right at the end", "\\left( x \\right", 4, "Missing delimiter for \\right");
        row("5 bad left delimiter", "\\left a x \\right)", 5, "Invalid delimiter for left: a");
        row("5 bad right delimiter", "\\left( x \\right b", 5, "Invalid delimiter for right: b");
        row("5 bad command delimiter", "\\left\\alpha x\\right)", 5, "Invalid delimiter for left: alpha");
        row("5 before an unclosed group", "{\\left a", 5, "Invalid delimiter for left: a");
        row("6 left without right", "\\left( x", 6, "Missing \\right");
        row("7 right without left", "x \\right)", 7, "Missing \\left");
        row("7 middle without left", "a \\middle| b", 7, "Missing \\left");
        row("4 middle at the end", "\\left( a \\middle", 4, "Missing delimiter for \\middle");
        row("8 end name differs", "\\begin{matrix} a \\end{pmatrix}", 8,
            "Begin environment name matrix does not match end name: pmatrix");
        row("8 end of a table without begin", "a & b \\end{matrix}", 8,
            "Begin environment name (none) does not match end name: matrix");
        row("8 unknown environment", "\\begin{array} a \\end{array}", 8, "Unknown environment array");
        row("8 empty environment name", "\\begin{} a \\end{}", 8, "Unknown environment ");
        row("10 end without begin", "\\end{matrix}", 10, "Missing \\begin");
        row("11 begin without end", "\\begin{matrix} a", 11, "Missing \\end");
        row("11 empty begin at the end", "\\begin{pmatrix}", 11, "Missing \\end");
        row("12 cases with 3 columns", "\\begin{cases} a & b & c \\end{cases}", 12,
            "cases environment can only have 2 columns");
        row("12 cases with 1 column", "\\begin{cases} a \\end{cases}", 12,
            "cases environment can only have 2 columns");
        row("12 gather with 2 columns", "\\begin{gather} a & b \\end{gather}", 12,
            "gather environment can only have 1 column");
        row("12 displaylines with 2 columns", "\\begin{displaylines} a & b \\end{displaylines}", 12,
            "displaylines environment can only have 1 column");
        row("12 aligned with 3 columns", "\\begin{aligned} a & b & c \\end{aligned}", 12,
            "aligned environment can only have 2 columns");
        row("12 split with 1 column", "\\begin{split} a \\end{split}", 12,
            "split environment can only have 2 columns");
        row("12 eqalign with 1 column", "\\begin{eqalign} a \\end{eqalign}", 12,
            "eqalign environment can only have 2 columns");
        row("12 eqnarray with 2 columns", "\\begin{eqnarray} a & b \\end{eqnarray}", 12,
            "eqnarray environment can only have 3 columns");
        row("14 limits on a variable", "x\\limits", 14, "Limits can only be applied to an operator.");
        row("14 nolimits on a variable", "x\\nolimits", 14, "No limits can only be applied to an operator.");
        row("14 limits at the start", "\\limits", 14, "Limits can only be applied to an operator.");
        row("14 limits on an empty group", "\\sum{}\\limits", 14,
            "Limits can only be applied to an operator.");
        const QString deep =
            "Formula nested too deeply: more than 256 levels of groups, scripts, arguments or environments";
        row("15 groups", repeated("{", 300) + "x" + repeated("}", 300), 15, deep);
        row("15 scripts", repeated("x^{", 200) + "x" + repeated("}", 200), 15, deep);
        row("15 fractions", repeated("\\frac ", 300) + "ab", 15, deep);
        row("15 radicals", repeated("\\sqrt ", 300) + "x", 15, deep);
        row("15 left groups", repeated("\\left(", 300) + "x" + repeated("\\right)", 300), 15, deep);
        row("15 over", repeated("a\\over ", 300) + "b", 15, deep);
        row("15 environments", repeated("\\begin{matrix}", 300) + "x" + repeated("\\end{matrix}", 300), 15,
            deep);
        row("15 accents", repeated("\\hat ", 300) + "x", 15, deep);
        row("15 colours", repeated("\\color{red}", 300) + "x", 15, deep);
        row("15 fonts", repeated("\\mathbf ", 300) + "x", 15, deep);
    }

    void errorTable() {
        QFETCH(QString, latex);
        QFETCH(int, code);
        QFETCH(QString, message);
        std::optional<MTParseError> error;
        QVERIFY(!MTMathListBuilder::build(latex, error));
        QVERIFY(error);
        QCOMPARE(error->domain, QString("ParseError"));
        QCOMPARE(error->code, code);
        QCOMPARE(error->message, message);
        QCOMPARE(error->localizedDescription(), message);
        QVERIFY(!MTMathListBuilder::build(latex));
    }

    void errorArgumentIsKeptOnSuccess() {
        std::optional<MTParseError> error = MTParseError(MTParseErrors::internalError, "set by the caller");
        QVERIFY(MTMathListBuilder::build("x", error));
        QVERIFY(error && error->message == "set by the caller");
        QVERIFY(!MTMathListBuilder::build("}", error));
        QCOMPARE(error->code, 1);
    }

    // --- parser edge cases -------------------------------------------------------------------

    void emptyText() {
        auto l = parse("");
        QVERIFY(l && l->isEmpty());
        QVERIFY(parse("   ")->isEmpty());
    }

    void scripts() {
        auto l = parse("x^2^3");
        QCOMPARE(l->size(), std::size_t(2));
        QCOMPARE(l->atoms()[0]->nucleus(), QString("x"));
        QCOMPARE(l->atoms()[0]->superScript()->description(), QString("[2]"));
        QCOMPARE(l->atoms()[1]->type(), T::ordinary);
        QVERIFY(l->atoms()[1]->nucleus().isEmpty());
        QCOMPARE(l->atoms()[1]->superScript()->description(), QString("[3]"));
        QCOMPARE(l->atoms()[1]->fontStyle(), MTFontStyle::defaultStyle);

        auto both = parse("x^2_3");
        QCOMPARE(both->size(), std::size_t(1));
        QVERIFY(both->atoms()[0]->superScript() && both->atoms()[0]->subScript());

        QString why;
        QVERIFY2(testing::equalLists(parse("{a}^2").get(), parse("a^2").get(), &why), qPrintable(why));
        auto ab = parse("{ab}^2");
        QCOMPARE(ab->size(), std::size_t(2));
        QVERIFY(!ab->atoms()[0]->superScript());
        QVERIFY(ab->atoms()[1]->superScript());
        auto empty = parse("{}^2");
        QCOMPARE(empty->size(), std::size_t(1));
        QVERIFY(empty->atoms()[0]->nucleus().isEmpty());
        auto end = parse("x^");
        QVERIFY(end->atoms()[0]->superScript() && end->atoms()[0]->superScript()->isEmpty());
        // A script after a space, a style, a colour or a table goes on a new empty atom.
        auto quad = parse("\\quad^2");
        QCOMPARE(quad->size(), std::size_t(2));
        QVERIFY(quad->atoms()[1]->superScript());
        auto group = parse("{a+b}^2");
        QCOMPARE(group->atoms()[2]->nucleus(), QString("b"));
        QVERIFY(group->atoms()[2]->superScript());
        // A script skips spaces, and takes one command with its arguments.
        auto frac = parse("x^ \\frac12");
        QVERIFY(at<MTFraction>(frac->atoms()[0]->superScript(), 0));
    }

    void primesAreSuperscripts_data() {
        QTest::addColumn<QString>("latex");
        QTest::addColumn<QString>("superscript");
        QTest::newRow("one") << "f'"
                             << "[\u2032]";
        QTest::newRow("two") << "f''"
                             << "[\u2032, \u2032]";
        QTest::newRow("three") << "f'''"
                               << "[\u2032, \u2032, \u2032]";
        QTest::newRow("then a superscript") << "f'^2"
                                            << "[\u2032, 2]";
        QTest::newRow("after a subscript") << "f_1'"
                                           << "[\u2032]";
    }

    void primesAreSuperscripts() {
        QFETCH(QString, latex);
        QFETCH(QString, superscript);
        auto list = parse(latex);
        QCOMPARE(list->size(), std::size_t(1));
        QCOMPARE(list->atoms()[0]->nucleus(), QString("f"));
        QCOMPARE(list->atoms()[0]->superScript()->description(), superscript);
    }

    void primesOutsideMath() {
        // Alone, a prime stands on an empty base; in text it stays the apostrophe.
        auto alone = parse("'");
        QVERIFY(alone->atoms()[0]->nucleus().isEmpty());
        QCOMPARE(alone->atoms()[0]->superScript()->description(), QString("[\u2032]"));
        auto text = parse("\\text{don't}");
        QCOMPARE(text->atoms()[3]->nucleus(), QString("'"));
        QVERIFY(!text->atoms()[3]->superScript());
        // A superscript already there: the primes go on a new empty atom, as a second "^" would.
        auto twice = parse("x^2'");
        QCOMPARE(twice->size(), std::size_t(2));
        QCOMPARE(twice->atoms()[1]->superScript()->description(), QString("[\u2032]"));
    }

    void fractionsAndRadicals() {
        auto f = at<MTFraction>(parse("\\frac12"), 0);
        QVERIFY(f && f->hasRule());
        QCOMPARE(f->numerator()->description(), QString("[1]"));
        QCOMPARE(f->denominator()->description(), QString("[2]"));
        auto open = at<MTFraction>(parse("\\frac{a}"), 0);
        QVERIFY(open->denominator() && open->denominator()->isEmpty());

        auto r = at<MTRadical>(parse("\\sqrt[3]{x}"), 0);
        QCOMPARE(r->degree()->description(), QString("[3]"));
        QCOMPARE(r->radicand()->description(), QString("[x]"));
        auto spaced = parse("\\sqrt [3]{x}");
        auto rs = at<MTRadical>(spaced, 0);
        QVERIFY(!rs->degree());
        QCOMPARE(rs->radicand()->atoms()[0]->type(), T::open);
        QCOMPARE(rs->radicand()->atoms()[0]->nucleus(), QString("["));
        auto bare = at<MTRadical>(parse("\\sqrt"), 0);
        QVERIFY(bare && bare->radicand() && bare->radicand()->isEmpty());

        auto over = parse("a \\over b");
        QCOMPARE(over->size(), std::size_t(1));
        QVERIFY(at<MTFraction>(over, 0)->hasRule());
        auto choose = at<MTFraction>(parse("{a \\choose b}"), 0);
        QVERIFY(!choose->hasRule());
        QCOMPARE(choose->leftDelimiter(), QString("("));
        QCOMPARE(choose->rightDelimiter(), QString(")"));
        auto brack = at<MTFraction>(parse("{a \\brack b}"), 0);
        QCOMPARE(brack->leftDelimiter() + brack->rightDelimiter(), QString("[]"));
        auto brace = at<MTFraction>(parse("{a \\brace b}"), 0);
        QCOMPARE(brace->leftDelimiter() + brace->rightDelimiter(), QString("{}"));
        auto atop = at<MTFraction>(parse("{a \\atop b}"), 0);
        QVERIFY(!atop->hasRule() && atop->leftDelimiter().isEmpty());
        auto sum = at<MTFraction>(parse("a+b \\over c"), 0);
        QCOMPARE(sum->numerator()->size(), std::size_t(3));
        auto chain = at<MTFraction>(parse("a \\over b \\over c"), 0);
        QCOMPARE(chain->numerator()->description(), QString("[a]"));
        QVERIFY(at<MTFraction>(chain->denominator(), 0));
        auto binom = at<MTFraction>(parse("\\binom{n}{k}"), 0);
        QVERIFY(!binom->hasRule() && binom->leftDelimiter() == "(" && binom->rightDelimiter() == ")");
    }

    void leftRight() {
        auto inner = at<MTInner>(parse("\\left( x \\right."), 0);
        QVERIFY(inner);
        QCOMPARE(inner->leftBoundary()->nucleus(), QString("("));
        QCOMPARE(inner->rightBoundary()->type(), T::boundary);
        QVERIFY(inner->rightBoundary()->nucleus().isEmpty());
        QCOMPARE(inner->innerList()->description(), QString("[x]"));
        auto braces = at<MTInner>(parse("\\left\\{ x \\right\\}"), 0);
        QCOMPARE(braces->leftBoundary()->nucleus(), QString("{"));
        QCOMPARE(braces->rightBoundary()->nucleus(), QString("}"));
        auto angles = at<MTInner>(parse("\\left\\langle x \\right\\rangle"), 0);
        QCOMPARE(angles->leftBoundary()->nucleus(), ch(0x2329));
        QCOMPARE(angles->rightBoundary()->nucleus(), ch(0x232A));
        auto bars = at<MTInner>(parse("\\left\\| x \\right|"), 0);
        QCOMPARE(bars->leftBoundary()->nucleus(), ch(0x2016));
        QCOMPARE(bars->rightBoundary()->nucleus(), QString("|"));
        auto nested = at<MTInner>(parse("\\left( \\left[ x \\right] \\right)"), 0);
        QVERIFY(at<MTInner>(nested->innerList(), 0));
        auto scripted = parse("\\left( x \\right)^2");
        QVERIFY(at<MTInner>(scripted, 0)->superScript());
    }

    void environments() {
        auto l = parse("\\begin{matrix} a & b \\\\ c & d \\end{matrix}");
        auto t = at<MTMathTable>(l, 0);
        QVERIFY(t);
        QCOMPARE(t->numRows(), 2);
        QCOMPARE(t->numColumns(), 2);
        QCOMPARE(t->cells()[1][0]->atoms()[1]->nucleus(), QString("c"));
        QCOMPARE(t->cells()[1][0]->atoms()[0]->type(), T::style);
        auto implicit = parse("a & b \\\\ c");
        QCOMPARE(implicit->size(), std::size_t(1));
        auto it = at<MTMathTable>(implicit, 0);
        QVERIFY(it->environment().isEmpty());
        QCOMPARE(it->numRows(), 2);
        QCOMPARE(it->cells()[0].size(), std::size_t(2));
        QCOMPARE(it->cells()[1].size(), std::size_t(1));
        auto cr = at<MTMathTable>(parse("a \\cr b"), 0);
        QCOMPARE(cr->numRows(), 2);
        // A trailing row separator gives a last row holding one empty cell.
        auto trailing = at<MTMathTable>(parse("\\begin{matrix} a \\\\ \\end{matrix}"), 0);
        QCOMPARE(trailing->numRows(), 2);
        QCOMPARE(trailing->cells()[1].size(), std::size_t(1));
        QCOMPARE(trailing->cells()[1][0]->size(), std::size_t(1)); // the text-style atom only
        // Spaces around the environment name.
        QVERIFY(at<MTMathTable>(parse("\\begin {matrix} a \\end{ matrix }"), 0));
        // Empty environments.
        auto emptyMatrix = at<MTMathTable>(parse("\\begin{matrix}\\end{matrix}"), 0);
        QCOMPARE(emptyMatrix->numRows(), 1);
        QVERIFY(at<MTInner>(parse("\\begin{pmatrix}\\end{pmatrix}"), 0));
        // Nested environments.
        auto nested =
            at<MTMathTable>(parse("\\begin{matrix} \\begin{matrix} a \\end{matrix} & b \\end{matrix}"), 0);
        QVERIFY(at<MTMathTable>(nested->cells()[0][0], 1));
        // Row separators inside a group of a cell count rows too (found by the fuzz test: the table
        // was once indexed past its rows here).
        auto skipped = at<MTMathTable>(parse("\\begin{matrix} {a \\\\ b \\\\ c \\end{matrix}"), 0);
        QVERIFY(skipped);
        QCOMPARE(skipped->numRows(), 3);
        QCOMPARE(skipped->cells()[0][0]->size(), std::size_t(3)); // text style, a, b
        QVERIFY(skipped->cells()[1].empty());
        QCOMPARE(skipped->cells()[2][0]->atoms()[1]->nucleus(), QString("c"));
        QVERIFY(parse("x & {a \\\\ b \\\\ c \\\\ d"));
        // Cases.
        auto cases = at<MTInner>(parse("\\begin{cases} 1 & x>0 \\\\ 0 & x\\le 0 \\end{cases}"), 0);
        QVERIFY(cases);
        QCOMPARE(cases->leftBoundary()->nucleus(), QString("{"));
        QVERIFY(cases->rightBoundary()->nucleus().isEmpty());
        QCOMPARE(at<MTMathSpace>(cases->innerList(), 0)->space(), 3.0);
        QCOMPARE(at<MTMathTable>(cases->innerList(), 1)->environment(), QString("cases"));
    }

    void textAndFonts() {
        auto text = parse("\\text{a b}");
        QCOMPARE(text->size(), std::size_t(3));
        QCOMPARE(text->atoms()[1]->nucleus(), QString(" "));
        QCOMPARE(text->atoms()[1]->type(), T::ordinary);
        for (const auto& a : text->atoms())
            QCOMPARE(a->fontStyle(), MTFontStyle::roman);
        auto rm = parse("\\mathrm{a b}");
        QCOMPARE(rm->size(), std::size_t(2));
        auto bf = parse("\\mathbf{\\frac{a}{b}}");
        auto frac = at<MTFraction>(bf, 0);
        QCOMPARE(frac->fontStyle(), MTFontStyle::bold);
        QCOMPARE(frac->numerator()->atoms()[0]->fontStyle(), MTFontStyle::bold);
        auto after = parse("\\mathbf{x}y");
        QCOMPARE(after->atoms()[1]->fontStyle(), MTFontStyle::defaultStyle);
        auto single = parse("\\mathbb R^2");
        QCOMPARE(single->atoms()[0]->fontStyle(), MTFontStyle::blackboard);
        QVERIFY(single->atoms()[0]->superScript());
        QCOMPARE(single->atoms()[0]->superScript()->atoms()[0]->fontStyle(), MTFontStyle::defaultStyle);
        // Inside \text, a nested font command turns spaces off again.
        auto nested = parse("\\text{a \\mathrm{b c} d}");
        QCOMPARE(nested->size(), std::size_t(6)); // a, space, b, c, space, d
    }

    void colours() {
        auto c = at<MTMathColor>(parse("\\color{#ff0000}{x}"), 0);
        QVERIFY(c);
        QCOMPARE(c->colorString(), QString("#ff0000"));
        QCOMPARE(c->innerList()->description(), QString("[x]"));
        auto t = at<MTMathTextColor>(parse("\\textcolor{ red }{a+b}"), 0);
        QCOMPARE(t->colorString(), QString("red"));
        QCOMPARE(t->innerList()->size(), std::size_t(3));
        auto b = at<MTMathColorbox>(parse("\\colorbox{}{y}"), 0);
        QVERIFY(b->colorString().isEmpty());
    }

    void limitsAndSymbols() {
        auto integral = at<MTLargeOperator>(parse("\\int\\limits_0^1"), 0);
        QVERIFY(integral->limits());
        auto sum = at<MTLargeOperator>(parse("\\sum_{i}\\nolimits"), 0);
        QVERIFY(!sum->limits());
        auto spaces = parse("\\alpha \\beta");
        QCOMPARE(spaces->size(), std::size_t(2));
        auto signs = parse("a-b:c");
        QCOMPARE(signs->atoms()[1]->nucleus(), ch(0x2212));
        QCOMPARE(signs->atoms()[3]->nucleus(), ch(0x2236));
        // "\&" is the ampersand itself, also between letters.
        auto ampersand = parse("R\\&D");
        QCOMPARE(ampersand->size(), std::size_t(3));
        QCOMPARE(ampersand->atoms()[1]->type(), T::ordinary);
        QCOMPARE(ampersand->atoms()[1]->nucleus(), QString("&"));
        auto escaped = parse("\\{\\}\\$\\#\\%\\_\\ \\|\\\\");
        QVERIFY(escaped);
        // "\\" outside an environment starts a table.
        QVERIFY(at<MTMathTable>(escaped, 0));
        auto plain = parse("\\{\\}\\$\\#\\%\\_\\ \\|");
        QCOMPARE(plain->size(), std::size_t(8));
        QCOMPARE(plain->atoms()[6]->nucleus(), QString(" "));
        QCOMPARE(plain->atoms()[7]->nucleus(), ch(0x2016));
    }

    void charactersAreGraphemes() {
        // Cyrillic letters are atoms; unsupported characters vanish; a letter with a combining mark
        // is one character.
        auto cyr = parse(ch(0x41F) + ch(0x440) + ch(0x438) + QString("=") + ch(0x3B1));
        QCOMPARE(cyr->size(), std::size_t(4));
        auto acc = parse(QString("e") + ch(0x301) + QString("x"));
        QCOMPARE(acc->size(), std::size_t(2));
        QVERIFY(at<MTAccent>(acc, 0));
        auto emoji = parse(QString("a") + ch(0x1F468) + ch(0x200D) + ch(0x1F469) + QString("b"));
        QCOMPARE(emoji->size(), std::size_t(2));
        // A combining mark after a backslash belongs to the character after it.
        QCOMPARE(parseError("\\a" + ch(0x301))->code, 2);
        auto crlf = parse("a\r\nb");
        QCOMPARE(crlf->size(), std::size_t(2));
    }

    void indexRangesAreNotSet() {
        auto l = parse("x+\\frac{1}{2}");
        for (const auto& a : l->atoms())
            QCOMPARE(a->indexRange(), MTRange{});
        auto f = l->finalized();
        QCOMPARE(f->atoms()[2]->indexRange(), (MTRange{2, 1}));
    }

    // --- environments and tables
    // ----------------------------------------------------------------------------

    void tableBuilder() {
        auto cell = [](const char* text) { return MTMathAtomFactory::atomList(QString(text)); };
        std::optional<MTParseError> error;
        auto implicit = std::dynamic_pointer_cast<MTMathTable>(
            MTMathAtomFactory::table(std::nullopt, {{cell("a"), cell("b")}, {cell("c")}}, error));
        QVERIFY(implicit && !error);
        QCOMPARE(implicit->numColumns(), 2);
        QCOMPARE(implicit->alignments(),
                 (std::vector<MTColumnAlignment>{MTColumnAlignment::left, MTColumnAlignment::left}));
        QCOMPARE(implicit->interColumnSpacing(), 0.0);
        QCOMPARE(implicit->interRowAdditionalSpacing(), 1.0);
        QCOMPARE(implicit->cells()[0][0]->description(), QString("[a]"));

        auto p = std::dynamic_pointer_cast<MTInner>(MTMathAtomFactory::table(
            QString("pmatrix"), {{cell("a"), cell("b")}, {cell("c"), cell("d"), cell("e")}}, error));
        QVERIFY(p);
        QCOMPARE(p->leftBoundary()->nucleus(), QString("("));
        QCOMPARE(p->rightBoundary()->nucleus(), QString(")"));
        auto pt = at<MTMathTable>(p->innerList(), 0);
        QCOMPARE(pt->environment(), QString("matrix"));
        QCOMPARE(pt->interColumnSpacing(), 18.0);
        QCOMPARE(pt->interRowAdditionalSpacing(), 0.0);
        QVERIFY(pt->alignments().empty());
        QCOMPARE(pt->getAlignment(2), MTColumnAlignment::center);
        const MTMathAtomPtr style = pt->cells()[0][0]->atoms()[0];
        for (const auto& row : pt->cells())
            for (const auto& c : row) {
                QCOMPARE(c->atoms()[0], style); // one atom object in every cell
                QCOMPARE(std::dynamic_pointer_cast<MTMathStyle>(c->atoms()[0])->style(), MTLineStyle::text);
            }
        const std::pair<const char*, QString> delims[] = {
            {"bmatrix", "[]"}, {"Bmatrix", "{}"}, {"vmatrix", "||"}, {"Vmatrix", ch(0x2016) + ch(0x2016)}};
        for (const auto& [env, pair] : delims) {
            auto inner = std::dynamic_pointer_cast<MTInner>(
                MTMathAtomFactory::table(QString(env), {{cell("x")}}, error));
            QVERIFY(inner);
            QCOMPARE(inner->leftBoundary()->nucleus() + inner->rightBoundary()->nucleus(), pair);
        }
        QVERIFY(std::dynamic_pointer_cast<MTMathTable>(
            MTMathAtomFactory::table(QString("matrix"), {{cell("x")}}, error)));

        auto aligned = std::dynamic_pointer_cast<MTMathTable>(
            MTMathAtomFactory::table(QString("aligned"), {{cell("a"), cell("+b")}, {cell("c")}}, error));
        QVERIFY(aligned);
        QCOMPARE(aligned->environment(), QString("aligned"));
        QCOMPARE(aligned->alignments(),
                 (std::vector<MTColumnAlignment>{MTColumnAlignment::right, MTColumnAlignment::left}));
        QCOMPARE(aligned->cells()[0][1]->size(), std::size_t(3));
        QVERIFY(aligned->cells()[0][1]->atoms()[0]->nucleus().isEmpty());
        QCOMPARE(aligned->cells()[0][1]->atoms()[0]->type(), T::ordinary);
        QCOMPARE(aligned->cells()[1][0]->size(), std::size_t(1));
        // The spacer keeps a leading operator binary after finalization.
        QCOMPARE(aligned->cells()[0][1]->finalized()->atoms()[1]->type(), T::binaryOperator);

        auto gather = std::dynamic_pointer_cast<MTMathTable>(
            MTMathAtomFactory::table(QString("gather"), {{cell("a")}, {cell("b")}}, error));
        QCOMPARE(gather->alignments(), (std::vector<MTColumnAlignment>{MTColumnAlignment::center}));
        QCOMPARE(gather->interRowAdditionalSpacing(), 1.0);
        auto eqn = std::dynamic_pointer_cast<MTMathTable>(
            MTMathAtomFactory::table(QString("eqnarray"), {{cell("a"), cell("="), cell("b")}}, error));
        QCOMPARE(eqn->alignments(),
                 (std::vector<MTColumnAlignment>{MTColumnAlignment::right, MTColumnAlignment::center,
                                                 MTColumnAlignment::left}));
        QCOMPARE(eqn->interColumnSpacing(), 18.0);
        auto cases = std::dynamic_pointer_cast<MTInner>(
            MTMathAtomFactory::table(QString("cases"), {{cell("a"), cell("b")}}, error));
        auto ct = at<MTMathTable>(cases->innerList(), 1);
        QCOMPARE(ct->alignments(),
                 (std::vector<MTColumnAlignment>{MTColumnAlignment::left, MTColumnAlignment::left}));
        QCOMPARE(ct->interColumnSpacing(), 18.0);
        QCOMPARE(ct->interRowAdditionalSpacing(), 0.0);
        QCOMPARE(ct->cells()[0][1]->atoms()[0]->type(), T::style);
        QVERIFY(!error);

        QVERIFY(!MTMathAtomFactory::table(QString("cases"), {{cell("a"), cell("b"), cell("c")}}, error));
        QCOMPARE(error->code, 12);
        QCOMPARE(error->message, QString("cases environment can only have 2 columns"));
        // The first error stays.
        QVERIFY(!MTMathAtomFactory::table(QString("array"), {{cell("a")}}, error));
        QCOMPARE(error->code, 12);
        error.reset();
        QVERIFY(!MTMathAtomFactory::table(QString("array"), {{cell("a")}}, error));
        QCOMPARE(error->code, 8);
        QCOMPARE(error->message, QString("Unknown environment array"));
        error.reset();
        QVERIFY(!MTMathAtomFactory::table(QString("gather"), {}, error));
        QCOMPARE(error->message, QString("gather environment can only have 1 column"));
    }

    // --- Bad input ---------------------------------------------------------------------------

    void badInputFailsCleanly_data() {
        QTest::addColumn<QString>("latex");
        QTest::newRow("unbalanced open") << repeated("{", 50);
        QTest::newRow("unbalanced close") << repeated("}", 50);
        QTest::newRow("stray right") << "\\right)";
        QTest::newRow("stray right after a group") << "{a}\\right.";
        QTest::newRow("unknown command") << "\\unknowncommand{x}";
        QTest::newRow("only a backslash") << "\\";
        QTest::newRow("empty begin") << "\\begin{}";
        QTest::newRow("begin without name") << "\\begin";
        QTest::newRow("end without name") << "\\end";
        QTest::newRow("left right without delimiters") << "\\left\\right";
        QTest::newRow("sqrt bracket") << "\\sqrt[";
        QTest::newRow("nested bad") << "\\frac{\\left(}{\\right)}";
    }

    void badInputFailsCleanly() {
        QFETCH(QString, latex);
        const auto error = parseError(latex);
        QVERIFY(error);
        QVERIFY(error->code >= 1 && error->code <= 15 && error->code != 9);
        QVERIFY(!error->message.isEmpty());
    }

    void oddButValidInput() {
        QVERIFY(parse("\\begin{matrix}\\end{matrix}"));
        QVERIFY(parse("\\left.\\right."));
        QVERIFY(parse("^_^_"));
        QVERIFY(parse("&&&"));
        QVERIFY(parse("\\\\\\\\"));
        QVERIFY(parse("\\frac"));
        QVERIFY(parse("\\sqrt[]"));
        QVERIFY(parse("\\color{}{}"));
    }

    void hundredKilobyteFormula() {
        QString big;
        while (big.size() < 100 * 1024)
            big += "\\frac{a_{i}+b^{2}}{\\sqrt{x}}+\\left( \\alpha \\right) - ";
        QElapsedTimer timer;
        timer.start();
        auto l = parse(big);
        QVERIFY(l);
        QVERIFY(l->size() > 5000);
        QVERIFY(!MTMathListBuilder::mathListToString(l).isEmpty());
        QVERIFY(l->finalized());
        // Broken at the end: the error comes back quickly too.
        QCOMPARE(parseError(big + "}")->code, 1);
        QVERIFY2(timer.elapsed() < testsupport::hangGuardMs, qPrintable(QString::number(timer.elapsed())));
        // One long flat run of characters.
        QVERIFY(parse(repeated("x", 100 * 1024)));
    }

    // --- The nesting bound -----------------------------------------------------------------------

    void nestingUpToTheBoundParses() {
        // The top level is one level: 255 groups inside it still parse, 256 do not.
        QVERIFY(parse(repeated("{", 255) + "x" + repeated("}", 255)));
        QCOMPARE(parseError(repeated("{", 256) + "x" + repeated("}", 256))->code, 15);
        QVERIFY(parse(repeated("\\sqrt ", 255) + "x"));
        QCOMPARE(parseError(repeated("\\sqrt ", 256) + "x")->code, 15);
        // The error of an earlier problem still wins.
        QCOMPARE(parseError("\\foo" + repeated("{", 400))->code, 2);
    }

    // The deepest formulas that parse, parsed, finalized, written, copied and dropped on a thread
    // with a small stack: the bound keeps every recursive walk of the tree within it.
    void deepFormulasOnASmallStack() {
        const QStringList deep = {
            repeated("{", 255) + "x" + repeated("}", 255),
            repeated("x^{", 127) + "x" + repeated("}", 127),
            repeated("\\frac ", 255) + "ab",
            repeated("\\sqrt ", 255) + "x",
            repeated("\\left(", 255) + "x" + repeated("\\right)", 255),
            repeated("a\\over ", 255) + "b",
            repeated("\\begin{pmatrix}", 255) + "x" + repeated("\\end{pmatrix}", 255),
            repeated("\\hat ", 255) + "x",
            repeated("\\color{red}", 255) + "x",
        };
        bool ok = true;
        QString failed;
        QThread* thread = QThread::create([&] {
            for (const QString& latex : deep) {
                std::optional<MTParseError> error;
                MTMathListPtr list = MTMathListBuilder::build(latex, error);
                if (!list) {
                    ok = false;
                    failed = latex.left(40) + " " + error->message;
                    continue;
                }
                MTMathListPtr final = list->finalized();
                MTMathListPtr copy = MTMathList::deepCopy(list);
                const QString written = MTMathListBuilder::mathListToString(list);
                // The written text may nest deeper than the input (\frac\frac... comes back as
                // \frac{\frac{...}{}}{}): then it is refused with code 15, and never crashes.
                std::optional<MTParseError> againError;
                MTMathListPtr again = MTMathListBuilder::build(written, againError);
                if ((!again && againError->code != 15) || list->description().isEmpty() || !final || !copy) {
                    ok = false;
                    failed = "round trip of " + latex.left(40);
                }
            }
        });
        // The deepest formulas need under 256 KB in an optimized build; unoptimized and sanitized
        // builds have much larger frames.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
        thread->setStackSize(32 * 1024 * 1024);
#elif !defined(__OPTIMIZE__)
        thread->setStackSize(4 * 1024 * 1024);
#else
        thread->setStackSize(512 * 1024);
#endif
        thread->start();
        QVERIFY(thread->wait(60000));
        delete thread;
        QVERIFY2(ok, qPrintable(failed));
    }

    // --- The corpus ----------------------------------------------------------------------------

    void corpusParses() {
        const QStringList corpus = corpus::typicalFormulaCorpus(1000);
        QCOMPARE(corpus.size(), 1000);
        QCOMPARE(QSet<QString>(corpus.begin(), corpus.end()).size(), 1000);
        for (const QString& f : corpus) {
            std::optional<MTParseError> error;
            QVERIFY2(MTMathListBuilder::build(f, error),
                     qPrintable(f + " : " + (error ? error->message : QString())));
        }
    }
};

QTEST_GUILESS_MAIN(TestMathParser)
#include "test_parser.moc"
