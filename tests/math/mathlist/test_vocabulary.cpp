// The vocabulary tables, atoms for characters and commands, reverse maps.
#include "mathlist/MTMathAtomFactory.h"
#include "mathlist/MTUnicode.h"

#include <QTest>

using namespace zepla::math;

namespace {
using T = MTMathAtomType;
QString ch(char32_t c) { return QString::fromUcs4(&c, 1); }
} // namespace

class TestMathVocabulary : public QObject {
    Q_OBJECT

private slots:
    void tableSizes() {
        QCOMPARE(MTMathAtomFactory::supportedLatexSymbolCount(), qsizetype(237));
        QCOMPARE(MTMathAtomFactory::supportedLatexSymbolNames().size(), qsizetype(237));
        QCOMPARE(MTMathAtomFactory::aliases().size(), std::size_t(13));
        QCOMPARE(MTMathAtomFactory::delimiters().size(), std::size_t(32));
        QCOMPARE(MTMathAtomFactory::accents().size(), std::size_t(12));
        QCOMPARE(MTMathAtomFactory::supportedAccentedCharacters().size(), std::size_t(61));
        QCOMPARE(MTMathAtomFactory::fontStyles().size(), std::size_t(22));
        QCOMPARE(MTMathAtomFactory::matrixEnvs().size(), std::size_t(6));
    }

    void everyAliasNamesASymbol() {
        for (const auto& [alias, name] : MTMathAtomFactory::aliases())
            QVERIFY2(MTMathAtomFactory::supportedLatexSymbolNames().contains(name), qPrintable(alias));
    }

    void symbolRows_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("nucleus");
        auto row = [](const char* name, T type, const QString& nucleus) {
            QTest::newRow(name) << QString::fromLatin1(name) << rawValue(type) << nucleus;
        };
        row("square", T::placeholder, ch(0x25A1));
        row("alpha", T::variable, ch(0x3B1));
        row("omega", T::variable, ch(0x3C9));
        row("varsigma", T::variable, ch(0x3C2));
        row("epsilon", T::ordinary, ch(0x1D716));
        row("varpi", T::ordinary, ch(0x1D71B));
        row("Omega", T::variable, ch(0x3A9));
        row("lgroup", T::open, ch(0x27EE));
        row("rangle", T::close, ch(0x27E9));
        row("mapsto", T::relation, ch(0x21A6));
        row("perp", T::relation, ch(0x27C2));
        row("amalg", T::binaryOperator, ch(0x2A3F));
        row("cdot", T::binaryOperator, ch(0x22C5));
        row("{", T::open, "{");
        row("}", T::close, "}");
        row(" ", T::ordinary, " ");
        row("backslash", T::ordinary, "\\");
        row("colon", T::punctuation, ":");
        row("cdotp", T::punctuation, ch(0xB7));
        row("|", T::ordinary, ch(0x2016));
        row("vert", T::ordinary, "|");
        row("partial", T::ordinary, ch(0x1D715));
        row("upquote", T::ordinary, "'");
        row("le", T::relation, ch(0x2264));
        row("Vert", T::ordinary, ch(0x2016));
        row("lbrace", T::open, "{");
        row("rbrace", T::close, "}");
        row("iff", T::relation, ch(0x27FA));
        row("AA", T::ordinary, ch(0xC5));
        row("lnot", T::ordinary, ch(0xAC));
    }

    void symbolRows() {
        QFETCH(QString, name);
        QFETCH(int, type);
        QFETCH(QString, nucleus);
        auto a = MTMathAtomFactory::atomForLatexSymbol(name);
        QVERIFY(a);
        QCOMPARE(rawValue(a->type()), type);
        QCOMPARE(a->nucleus(), nucleus);
        QCOMPARE(typeid(*a).name(), typeid(MTMathAtom).name());
    }

    void operatorsSpacesStyles() {
        auto lim = std::dynamic_pointer_cast<MTLargeOperator>(MTMathAtomFactory::atomForLatexSymbol(u"limsup"));
        QVERIFY(lim);
        QCOMPARE(lim->nucleus(), QString("lim sup"));
        QVERIFY(lim->limits());
        QCOMPARE(MTMathAtomFactory::atomForLatexSymbol(u"liminf")->nucleus(), QString("lim inf"));
        auto sin = std::dynamic_pointer_cast<MTLargeOperator>(MTMathAtomFactory::atomForLatexSymbol(u"sin"));
        QVERIFY(sin && !sin->limits() && sin->nucleus() == "sin");
        auto sum = std::dynamic_pointer_cast<MTLargeOperator>(MTMathAtomFactory::atomForLatexSymbol(u"sum"));
        QVERIFY(sum && sum->limits() && sum->nucleus() == ch(0x2211));
        auto integral = std::dynamic_pointer_cast<MTLargeOperator>(MTMathAtomFactory::atomForLatexSymbol(u"int"));
        QVERIFY(integral && !integral->limits());
        auto gcd = std::dynamic_pointer_cast<MTLargeOperator>(MTMathAtomFactory::atomForLatexSymbol(u"gcd"));
        QVERIFY(gcd && gcd->limits());

        const std::pair<const char16_t*, double> spaces[] = {{u",", 3}, {u">", 4}, {u";", 5}, {u"!", -3}, {u"quad", 18}, {u"qquad", 36}};
        for (const auto& [name, mu] : spaces) {
            auto s = std::dynamic_pointer_cast<MTMathSpace>(MTMathAtomFactory::atomForLatexSymbol(QStringView(name)));
            QVERIFY(s);
            QCOMPARE(s->space(), mu);
            QVERIFY(s->nucleus().isEmpty());
        }
        auto st = std::dynamic_pointer_cast<MTMathStyle>(MTMathAtomFactory::atomForLatexSymbol(u"scriptscriptstyle"));
        QVERIFY(st && st->style() == MTLineStyle::scriptOfScript);
        QVERIFY(!MTMathAtomFactory::atomForLatexSymbol(u"frac"));
        QVERIFY(!MTMathAtomFactory::atomForLatexSymbol(u"Alpha"));
    }

    void lookupsHandOutCopies() {
        auto le = MTMathAtomFactory::atomForLatexSymbol(u"le");
        le->setNucleus("changed");
        le->setSuperScript(std::make_shared<MTMathList>());
        auto again = MTMathAtomFactory::atomForLatexSymbol(u"leq");
        QCOMPARE(again->nucleus(), ch(0x2264));
        QVERIFY(!again->superScript());
        QVERIFY(again != MTMathAtomFactory::atomForLatexSymbol(u"leq"));
    }

    void delimitersAndAccents() {
        auto b = MTMathAtomFactory::boundaryForDelimiter(u".");
        QVERIFY(b);
        QCOMPARE(b->type(), T::boundary);
        QVERIFY(b->nucleus().isEmpty());
        QCOMPARE(MTMathAtomFactory::boundaryForDelimiter(u"Vert")->nucleus(), ch(0x2016));
        QCOMPARE(MTMathAtomFactory::boundaryForDelimiter(u"vert")->nucleus(), QString("|"));
        QCOMPARE(MTMathAtomFactory::boundaryForDelimiter(u"lbrace")->nucleus(), QString("{"));
        QCOMPARE(MTMathAtomFactory::boundaryForDelimiter(u"rbrace")->nucleus(), QString("}"));
        QCOMPARE(MTMathAtomFactory::boundaryForDelimiter(u"langle")->nucleus(), ch(0x2329));
        QCOMPARE(MTMathAtomFactory::boundaryForDelimiter(u"\\")->nucleus(), QString("\\"));
        QVERIFY(!MTMathAtomFactory::boundaryForDelimiter(u"a"));
        auto acc = MTMathAtomFactory::accentWithName(u"vec");
        QVERIFY(acc && acc->nucleus() == ch(0x20D7) && !acc->innerList());
        QCOMPARE(MTMathAtomFactory::accentWithName(u"widehat")->nucleus(), ch(0x302));
        QVERIFY(!MTMathAtomFactory::accentWithName(u"frac"));
    }

    void fontStyles() {
        QCOMPARE(MTMathAtomFactory::fontStyleWithName(u"text"), std::optional(MTFontStyle::roman));
        QCOMPARE(MTMathAtomFactory::fontStyleWithName(u"bm"), std::optional(MTFontStyle::boldItalic));
        QCOMPARE(MTMathAtomFactory::fontStyleWithName(u"mathbfit"), std::optional(MTFontStyle::boldItalic));
        QCOMPARE(MTMathAtomFactory::fontStyleWithName(u"mathnormal"), std::optional(MTFontStyle::defaultStyle));
        QCOMPARE(MTMathAtomFactory::fontStyleWithName(u"frak"), std::optional(MTFontStyle::fraktur));
        QVERIFY(!MTMathAtomFactory::fontStyleWithName(u"mathscr"));
        const std::pair<MTFontStyle, const char*> names[] = {
            {MTFontStyle::defaultStyle, "mathnormal"}, {MTFontStyle::roman, "mathrm"}, {MTFontStyle::bold, "mathbf"},
            {MTFontStyle::caligraphic, "mathcal"}, {MTFontStyle::typewriter, "mathtt"}, {MTFontStyle::italic, "mathit"},
            {MTFontStyle::sansSerif, "mathsf"}, {MTFontStyle::fraktur, "mathfrak"}, {MTFontStyle::blackboard, "mathbb"},
            {MTFontStyle::boldItalic, "bm"}};
        for (const auto& [style, name] : names) {
            QCOMPARE(MTMathAtomFactory::fontNameForStyle(style), QString(name));
            QCOMPARE(MTMathAtomFactory::fontStyleWithName(QString(name)), std::optional(style));
        }
        QCOMPARE(MTMathAtomFactory::matrixEnvs().at("Vmatrix"), (QStringList{"Vert", "Vert"}));
        QVERIFY(MTMathAtomFactory::matrixEnvs().at("matrix").isEmpty());
    }

    // --- atomForCharacter ---------------------------------------------------------------------

    void asciiCharacters() {
        struct Expect {
            char c;
            int type; // 0: no atom
            QString nucleus;
        };
        QMap<char, std::pair<int, QString>> expected;
        for (char c : QByteArray("([")) expected[c] = {rawValue(T::open), QString(c)};
        for (char c : QByteArray(")]!?")) expected[c] = {rawValue(T::close), QString(c)};
        for (char c : QByteArray(",;")) expected[c] = {rawValue(T::punctuation), QString(c)};
        for (char c : QByteArray("=><")) expected[c] = {rawValue(T::relation), QString(c)};
        expected[':'] = {rawValue(T::relation), ch(0x2236)};
        expected['-'] = {rawValue(T::binaryOperator), ch(0x2212)};
        for (char c : QByteArray("+*")) expected[c] = {rawValue(T::binaryOperator), QString(c)};
        for (char c : QByteArray(".0123456789")) expected[c] = {rawValue(T::number), QString(c)};
        for (char c = 'a'; c <= 'z'; ++c) expected[c] = {rawValue(T::variable), QString(c)};
        for (char c = 'A'; c <= 'Z'; ++c) expected[c] = {rawValue(T::variable), QString(c)};
        for (char c : QByteArray("\"/@`|")) expected[c] = {rawValue(T::ordinary), QString(c)};
        expected['\''] = {rawValue(T::ordinary), QString("'")};
        for (char c : QByteArray("$%#&~^_{}\\")) expected[c] = {0, QString()};
        // Every character from 0x21 to 0x7E is covered.
        QCOMPARE(expected.size(), 0x7E - 0x21 + 1);
        for (int c = 0; c < 128; ++c) {
            const QString s(QChar(static_cast<char16_t>(c)));
            auto a = MTMathAtomFactory::atomForCharacter(s);
            if (!expected.contains(char(c))) {
                QVERIFY2(!a, qPrintable(QString::number(c)));
                continue;
            }
            const auto [type, nucleus] = expected[char(c)];
            if (type == 0) {
                QVERIFY2(!a, qPrintable(s));
                continue;
            }
            QVERIFY2(a, qPrintable(s));
            QCOMPARE(rawValue(a->type()), type);
            QCOMPARE(a->nucleus(), nucleus);
        }
        QVERIFY(!MTMathAtomFactory::atomForCharacter(u" "));
        QVERIFY(!MTMathAtomFactory::atomForCharacter(u"\t"));
        QVERIFY(!MTMathAtomFactory::atomForCharacter(u"\n"));
        QVERIFY(!MTMathAtomFactory::atomForCharacter(u"\r\n"));
        QVERIFY(!MTMathAtomFactory::atomForCharacter(QString(QChar(0x7F))));
    }

    void cyrillicCharacters() {
        for (char32_t c = 0x410; c <= 0x44F; ++c) {
            auto a = MTMathAtomFactory::atomForCharacter(ch(c));
            QVERIFY(a);
            QCOMPARE(a->type(), T::ordinary);
            QCOMPARE(a->nucleus(), ch(c));
        }
        QVERIFY(!MTMathAtomFactory::atomForCharacter(ch(0x401))); // Ё lies outside the range
        QVERIFY(!MTMathAtomFactory::atomForCharacter(ch(0x450)));
        QVERIFY(!MTMathAtomFactory::atomForCharacter(ch(0x40F)));
        // Й written as И with a combining breve is one character and composes into the range.
        auto decomposed = MTMathAtomFactory::atomForCharacter(ch(0x418) + ch(0x306));
        QVERIFY(decomposed);
        QCOMPARE(decomposed->nucleus(), ch(0x418) + ch(0x306));
    }

    void greekCharactersAreNotPlainInput() {
        // Greek letters come from commands; typed directly they have no atom (the factory's rule).
        QVERIFY(!MTMathAtomFactory::atomForCharacter(ch(0x3B1)));
        QVERIFY(!MTMathAtomFactory::atomForCharacter(ch(0x3A9)));
        QVERIFY(!MTMathAtomFactory::atomForCharacter(ch(0x4E00)));
        QVERIFY(!MTMathAtomFactory::atomForCharacter(ch(0x1F600)));
    }

    void accentedCharacters() {
        auto e = std::dynamic_pointer_cast<MTAccent>(MTMathAtomFactory::atomForCharacter(ch(0xE9)));
        QVERIFY(e);
        QCOMPARE(e->nucleus(), ch(0x301));
        QVERIFY(e->innerList());
        QCOMPARE(e->innerList()->size(), std::size_t(1));
        QCOMPARE(e->innerList()->atoms()[0]->type(), T::variable);
        QCOMPARE(e->innerList()->atoms()[0]->nucleus(), QString("e"));
        // The same letter, decomposed, is the same character.
        auto d = std::dynamic_pointer_cast<MTAccent>(MTMathAtomFactory::atomForCharacter(QString("e") + ch(0x301)));
        QVERIFY(d);
        QCOMPARE(d->innerList()->atoms()[0]->nucleus(), QString("e"));
        auto ss = MTMathAtomFactory::atomForCharacter(ch(0xDF));
        QCOMPARE(ss->type(), T::ordinary);
        QCOMPARE(ss->nucleus(), ch(0xDF));
        auto aa = MTMathAtomFactory::atomForCharacter(ch(0xC5));
        QCOMPARE(aa->nucleus(), ch(0xC5)); // "AA" reaches "angstrom" through its alias
        QCOMPARE(MTMathAtomFactory::atomForCharacter(ch(0x212B))->nucleus(), ch(0xC5)); // ANGSTROM SIGN
        auto n = std::dynamic_pointer_cast<MTAccent>(MTMathAtomFactory::atomForCharacter(ch(0xD1)));
        QVERIFY(n && n->nucleus() == ch(0x303) && n->innerList()->atoms()[0]->nucleus() == "N");
        auto y = std::dynamic_pointer_cast<MTAccent>(MTMathAtomFactory::atomForCharacter(ch(0xFF)));
        QVERIFY(y && y->nucleus() == ch(0x308));
        QVERIFY(!MTMathAtomFactory::atomForCharacter(ch(0x178))); // no row for capital Y with diaeresis
        int rows = 0;
        for (const auto& [c, row] : MTMathAtomFactory::supportedAccentedCharacters()) {
            QVERIFY2(MTMathAtomFactory::atomFromAccentedCharacter(c), qPrintable(c));
            ++rows;
        }
        QCOMPARE(rows, 61);
        QVERIFY(!MTMathAtomFactory::atomFromAccentedCharacter(u"x"));
    }

    // --- Reverse maps -------------------------------------------------------------------------

    void reverseMapTieBreaks() {
        auto delimName = [](const QString& text) {
            return MTMathAtomFactory::getDelimiterName(MTMathAtom(T::boundary, text));
        };
        QCOMPARE(delimName(ch(0x2329)), std::optional<QString>("<"));
        QCOMPARE(delimName(ch(0x232A)), std::optional<QString>(">"));
        QCOMPARE(delimName("\\"), std::optional<QString>("\\"));
        QCOMPARE(delimName(ch(0x2016)), std::optional<QString>("||"));
        QCOMPARE(delimName("|"), std::optional<QString>("|"));
        QCOMPARE(delimName("{"), std::optional<QString>("{"));
        QCOMPARE(delimName("}"), std::optional<QString>("}"));
        QCOMPARE(delimName(QString()), std::optional<QString>("."));
        QCOMPARE(delimName(ch(0x27EE)), std::optional<QString>("lgroup"));
        QCOMPARE(delimName(ch(0x2191)), std::optional<QString>("uparrow"));
        QVERIFY(!delimName("a"));
        QVERIFY(!MTMathAtomFactory::getDelimiterName(MTMathAtom(T::ordinary, "(")));
        QCOMPARE(MTMathAtomFactory::delimValueToNameSnapshot().size(), std::size_t(25));

        QCOMPARE(MTMathAtomFactory::accentName(MTAccent(ch(0x302))), std::optional<QString>("hat"));
        QCOMPARE(MTMathAtomFactory::accentName(MTAccent(ch(0x303))), std::optional<QString>("tilde"));
        QCOMPARE(MTMathAtomFactory::accentName(MTAccent(ch(0x20D7))), std::optional<QString>("vec"));
        QVERIFY(!MTMathAtomFactory::accentName(MTAccent("x")));
        QCOMPARE(MTMathAtomFactory::accentValueToNameSnapshot().size(), std::size_t(10));

        auto symName = [](const QString& text) {
            return MTMathAtomFactory::latexSymbolNameForAtom(MTMathAtom(T::ordinary, text));
        };
        QCOMPARE(symName("|"), std::optional<QString>("vert"));
        QCOMPARE(symName(ch(0x2016)), std::optional<QString>("|"));
        QCOMPARE(symName(ch(0x3B1)), std::optional<QString>("alpha"));
        QCOMPARE(symName(ch(0x2211)), std::optional<QString>("sum"));
        QCOMPARE(symName("lim sup"), std::optional<QString>("limsup"));
        QCOMPARE(symName(" "), std::optional<QString>(" "));
        QCOMPARE(symName("{"), std::optional<QString>("{"));
        QCOMPARE(symName("'"), std::optional<QString>("upquote"));
        QCOMPARE(symName(ch(0x2264)), std::optional<QString>("leq"));
        QCOMPARE(symName(ch(0xC5)), std::optional<QString>("angstrom"));
        QVERIFY(!symName(QString()));
        QVERIFY(!symName("x"));
        QVERIFY(!symName(","));
        // The type is not consulted.
        QCOMPARE(MTMathAtomFactory::latexSymbolNameForAtom(MTMathAtom(T::number, ch(0x3B1))),
                 std::optional<QString>("alpha"));
        // Spaces and styles have empty nuclei and are skipped: 237 - 10 rows.
        QCOMPARE(MTMathAtomFactory::textToLatexSymbolNameSnapshot().size(), std::size_t(227));
    }

    // --- Builders -----------------------------------------------------------------------------

    void builders() {
        QCOMPARE(MTMathAtomFactory::placeholder()->type(), T::placeholder);
        QCOMPARE(MTMathAtomFactory::placeholder()->nucleus(), ch(0x25A1));
        QCOMPARE(MTMathAtomFactory::times()->nucleus(), ch(0xD7));
        QCOMPARE(MTMathAtomFactory::divide()->nucleus(), ch(0xF7));
        QCOMPARE(MTMathAtomFactory::divide()->type(), T::binaryOperator);
        auto op = MTMathAtomFactory::operatorWithName("lim", true);
        QVERIFY(op->limits() && op->nucleus() == "lim" && op->type() == T::largeOperator);
        auto pf = MTMathAtomFactory::placeholderFraction();
        QVERIFY(pf->hasRule() && pf->leftDelimiter().isEmpty());
        QCOMPARE(pf->numerator()->atoms()[0]->type(), T::placeholder);
        QCOMPARE(pf->denominator()->atoms()[0]->type(), T::placeholder);
        auto sq = MTMathAtomFactory::placeholderSquareRoot();
        QVERIFY(sq->radicand() && !sq->degree());
        auto rad = MTMathAtomFactory::placeholderRadical();
        QVERIFY(rad->radicand() && rad->degree());
        auto num = std::make_shared<MTMathList>();
        auto frac = MTMathAtomFactory::fraction(num, nullptr);
        QCOMPARE(frac->numerator(), num);
        auto f2 = MTMathAtomFactory::fraction(QString("1+x"), QString("2 y"));
        QCOMPARE(f2->numerator()->description(), QString("[1, +, x]"));
        QCOMPARE(f2->denominator()->description(), QString("[2, y]"));
        QCOMPARE(MTMathAtomFactory::atomList("a-b:c^d")->description(), QString("[a, %1, b, %2, c, d]").arg(ch(0x2212), ch(0x2236)));
        QCOMPARE(MTMathAtomFactory::mathListForCharacters("")->size(), std::size_t(0));
    }

    // Last: changes the shared vocabulary.
    void addLatexSymbolRegisters() {
        auto r = std::make_shared<MTMathAtom>(T::ordinary, ch(0x211D));
        MTMathAtomFactory::addLatexSymbol("R", r);
        QCOMPARE(MTMathAtomFactory::supportedLatexSymbolCount(), qsizetype(238));
        QCOMPARE(MTMathAtomFactory::latexSymbolNameForAtom(MTMathAtom(T::variable, ch(0x211D))),
                 std::optional<QString>("R"));
        auto copy = MTMathAtomFactory::atomForLatexSymbol(u"R");
        QVERIFY(copy && copy != r && copy->nucleus() == ch(0x211D));
        // The latest registration wins, without the tie-break.
        MTMathAtomFactory::addLatexSymbol("doubleR", std::make_shared<MTMathAtom>(T::ordinary, ch(0x211D)));
        QCOMPARE(MTMathAtomFactory::latexSymbolNameForAtom(MTMathAtom(T::variable, ch(0x211D))),
                 std::optional<QString>("doubleR"));
        // Replacing a row keeps the count.
        MTMathAtomFactory::addLatexSymbol("R", std::make_shared<MTMathAtom>(T::variable, ch(0x211D)));
        QCOMPARE(MTMathAtomFactory::supportedLatexSymbolCount(), qsizetype(239));
        QCOMPARE(MTMathAtomFactory::atomForLatexSymbol(u"R")->type(), T::variable);
    }
};

QTEST_GUILESS_MAIN(TestMathVocabulary)
#include "test_vocabulary.moc"
