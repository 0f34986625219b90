// The LaTeX writer: the known edge cases, Zepla's mends (colours, scripts of styled
// atoms, cases), and parse -> write -> parse round trips over the corpus of typical formulas.
#include "MathListCompare.h"
#include "corpus/TypicalFormulas.h"
#include "mathlist/MTMathAtomFactory.h"
#include "mathlist/MTMathListBuilder.h"

#include <QTest>

using namespace zepla::math;

namespace {

using T = MTMathAtomType;
QString ch(char32_t c) {
    return QString::fromUcs4(&c, 1);
}

QString written(const QString& latex) {
    std::optional<MTParseError> error;
    MTMathListPtr list = MTMathListBuilder::build(latex, error);
    if (!list)
        return QStringLiteral("<error %1: %2>").arg(error->code).arg(error->message);
    return MTMathListBuilder::mathListToString(list);
}

// Parses, writes, parses again; true when the two lists are equal.
bool roundTrips(const QString& latex, QString* why) {
    std::optional<MTParseError> error;
    MTMathListPtr first = MTMathListBuilder::build(latex, error);
    if (!first) {
        *why = QStringLiteral("does not parse: ") + error->message;
        return false;
    }
    const QString text = MTMathListBuilder::mathListToString(first);
    MTMathListPtr second = MTMathListBuilder::build(text, error);
    if (!second) {
        *why = QStringLiteral("written text '%1' does not parse: %2").arg(text, error->message);
        return false;
    }
    QString where;
    if (!testing::equalLists(first.get(), second.get(), &where)) {
        *why = QStringLiteral("'%1' -> '%2': %3").arg(latex, text, where);
        return false;
    }
    // Writing is stable from the second time on.
    if (MTMathListBuilder::mathListToString(second) != text) {
        *why = QStringLiteral("writing again differs: '%1' vs '%2'")
                   .arg(text, MTMathListBuilder::mathListToString(second));
        return false;
    }
    return true;
}

} // namespace

class TestMathWriter : public QObject {
    Q_OBJECT

private slots:
    void partEdgeCases_data() {
        QTest::addColumn<QString>("latex");
        QTest::addColumn<QString>("expected");
        auto row = [](const char* latex, const QString& expected) {
            QTest::newRow(latex) << QString(latex) << expected;
        };
        row("", "");
        row("x^2_3", "x^{2}_{3}");
        row("x_3^2", "x^{2}_{3}");
        row("\\frac{1}{2}", "\\frac{1}{2}");
        row("a \\over b", "\\frac{a}{b}");
        row("\\binom{n}{k}", "{n \\choose k}");
        row("{a \\atop b}", "{a \\atop b}");
        row("{a \\brack b}", "{a \\brack b}");
        row("{a \\brace b}", "{a \\brace b}");
        row("\\sqrt[3]{x}", "\\sqrt[3]{x}");
        row("\\sqrt2", "\\sqrt{2}");
        row("\\left( x \\right.", "\\left( x\\right. ");
        row("\\left\\{ x \\right\\}", "\\left\\{ x\\right\\} ");
        row("\\left\\langle x \\right\\rangle", "\\left< x\\right> ");
        row("\\left\\| x \\right\\Vert", "\\left\\| x\\right\\| ");
        row("\\left| x \\right\\vert", "\\left| x\\right| ");
        row("\\left\\lfloor x \\right\\rceil", "\\left\\lfloor x\\right\\rceil ");
        row("\\left/ x \\right\\backslash", "\\left/ x\\right\\\\ ");
        row("\\alpha+\\beta", "\\alpha +\\beta ");
        row("a-b", "a-b");
        row("a:b", "a:b");
        row("\\sum\\nolimits_i", "\\sum \\nolimits _{i}");
        row("\\sum_i", "\\sum _{i}");
        row("\\sin\\limits_x", "\\sin \\limits _{x}");
        row("\\lim_{x\\to 0}", "\\lim _{x\\rightarrow 0}");
        row("\\limsup", "\\limsup ");
        row("a\\,b\\quad c", "a\\, b\\quad c");
        row("a\\;b\\!c\\>d\\qquad e", "a\\; b\\! c\\> d\\qquad e");
        row("\\displaystyle x", "\\displaystyle x");
        row("\\scriptscriptstyle x", "\\scriptscriptstyle x");
        row("\\mathbf{x}y", "\\mathbf{x}y");
        row("\\mathbf{ab}", "\\mathbf{ab}");
        row("\\mathbf{\\frac{a}{b}}", "\\mathbf{\\frac{\\mathbf{a}}{\\mathbf{b}}}");
        row("\\text{a b}", "\\mathrm{a\\  b}");
        row("\\begin{matrix} a & b \\\\ c & d \\end{matrix}", "\\begin{matrix}a&b\\\\ c&d\\end{matrix}");
        row("\\begin{pmatrix} a & b \\end{pmatrix}", "\\left( \\begin{matrix}a&b\\end{matrix}\\right) ");
        row("\\begin{vmatrix} a \\end{vmatrix}", "\\left| \\begin{matrix}a\\end{matrix}\\right| ");
        row("\\begin{Vmatrix} a \\end{Vmatrix}", "\\left\\| \\begin{matrix}a\\end{matrix}\\right\\| ");
        row("\\begin{Bmatrix} a \\end{Bmatrix}", "\\left\\{ \\begin{matrix}a\\end{matrix}\\right\\} ");
        row("\\begin{aligned} a &= b \\\\ c &= d \\end{aligned}",
            "\\begin{aligned}a&=b\\\\ c&=d\\end{aligned}");
        row("\\begin{eqnarray} a & = & b \\end{eqnarray}", "\\begin{eqnarray}a&=&b\\end{eqnarray}");
        row("a & b \\\\ c", "a&b\\\\ c");
        row("x^2^3", "x^{2}{}^{3}");
        row("\\hat{x}\\vec v", "\\hat{x}\\vec{v}");
        row("\\widehat{x}", "\\widehat{x}");
        row("\\widetilde{xy}\\tilde{x}", "\\widetilde{xy}\\tilde{x}");
        row("\\overline{x}\\underline{y}", "\\overline{x}\\underline{y}");
        row("\\le\\ne\\to\\gets", "\\leq \\neq \\rightarrow \\leftarrow ");
        row("\\lbrace x \\rbrace", "\\{ x\\} ");
        row("\\|\\vert|", "\\| \\vert \\vert ");
        row("\\{\\}\\$\\#\\%\\_\\ \\backslash", "\\{ \\} \\$ \\# \\% \\_ \\  \\backslash ");
        row("x'", "x'");
        row("f''(x)", "f''(x)");
        row("f'''", "f'''");
        row("f'^2_1", "f'^{2}_{1}");
        row("f^{\\prime}", "f'");
        row("R\\&D", "R\\& D");
        row("\\text{don't}", "\\mathrm{don\\upquote t}");
        row("1.5", "1.5");
        row("\\int_0^1", "\\int ^{1}_{0}");
    }

    void partEdgeCases() {
        QFETCH(QString, latex);
        QFETCH(QString, expected);
        QCOMPARE(written(latex), expected);
    }

    void noListAndEmptyList() {
        QCOMPARE(MTMathListBuilder::mathListToString(nullptr), QString());
        QCOMPARE(MTMathListBuilder::mathListToString(std::make_shared<MTMathList>()), QString());
    }

    void listsBuiltInCode() {
        auto list = std::make_shared<MTMathList>();
        list->add(std::make_shared<MTMathSpace>(2));
        QCOMPARE(MTMathListBuilder::mathListToString(list), QString("\\mkern2.0mu"));
        auto frac = std::make_shared<MTFraction>(false);
        frac->setLeftDelimiter("<");
        frac->setRightDelimiter(">");
        frac->setNumerator(MTMathAtomFactory::atomList("a"));
        frac->setDenominator(MTMathAtomFactory::atomList("b"));
        QCOMPARE(MTMathListBuilder::mathListToString(std::make_shared<MTMathList>(MTMathAtomPtr(frac))),
                 QString("{a \\atopwithdelims<> b}"));
        // Missing lists and unnamed texts do not stop the writer.
        auto bare = std::make_shared<MTMathList>();
        bare->add(std::make_shared<MTFraction>());
        bare->add(std::make_shared<MTRadical>());
        bare->add(std::make_shared<MTInner>());
        bare->add(std::make_shared<MTAccent>("x"));
        bare->add(std::make_shared<MTLargeOperator>("foo", true));
        bare->add(std::make_shared<MTMathColor>());
        bare->add(std::make_shared<MTMathTable>());
        QCOMPARE(MTMathListBuilder::mathListToString(bare), QString("\\frac{}{}\\sqrt{}{}{}foo\\color{}{}"));
        // The writer does not change the list it writes.
        auto parsed = MTMathListBuilder::build("\\begin{aligned} a &= b \\end{aligned}");
        const QString before = parsed->description();
        MTMathListBuilder::mathListToString(parsed);
        QCOMPARE(parsed->description(), before);
    }

    void delimToString() {
        auto text = [](const char* name) {
            return MTMathListBuilder::delimToString(*MTMathAtomFactory::boundaryForDelimiter(QString(name)));
        };
        QCOMPARE(text("("), QString("("));
        QCOMPARE(text("."), QString("."));
        QCOMPARE(text("/"), QString("/"));
        QCOMPARE(text("langle"), QString("<"));
        QCOMPARE(text("Vert"), QString("\\|"));
        QCOMPARE(text("lbrace"), QString("\\{"));
        QCOMPARE(text("uparrow"), QString("\\uparrow"));
        QCOMPARE(text("lgroup"), QString("\\lgroup"));
        QCOMPARE(MTMathListBuilder::delimToString(MTMathAtom(T::ordinary, "(")), QString());
    }

    // --- Mends ---------------------------------------------------------------------------------

    void colourAtomsAreWritten_data() {
        QTest::addColumn<QString>("latex");
        QTest::addColumn<QString>("expected");
        QTest::newRow("color") << "\\color{red}{x}"
                               << "\\color{red}{x}";
        QTest::newRow("textcolor") << "\\textcolor{#00ff00}{a+b}"
                                   << "\\textcolor{#00ff00}{a+b}";
        QTest::newRow("colorbox") << "\\colorbox{yellow}{\\frac{1}{2}}"
                                  << "\\colorbox{yellow}{\\frac{1}{2}}";
        QTest::newRow("one character") << "\\color{blue}x^2"
                                       << "\\color{blue}{x}{}^{2}";
        QTest::newRow("empty") << "\\color{}{}"
                               << "\\color{}{}";
        QTest::newRow("nested") << "\\color{red}{a\\textcolor{blue}{b}}"
                                << "\\color{red}{a\\textcolor{blue}{b}}";
        QTest::newRow("styled") << "\\mathbf{\\color{red}{x}}"
                                << "\\mathbf{\\color{red}{\\mathbf{x}}}";
    }

    void colourAtomsAreWritten() {
        QFETCH(QString, latex);
        QFETCH(QString, expected);
        QCOMPARE(written(latex), expected);
        QString why;
        QVERIFY2(roundTrips(latex, &why), qPrintable(why));
    }

    void scriptsOfStyledAtoms_data() {
        QTest::addColumn<QString>("latex");
        QTest::addColumn<QString>("expected");
        QTest::newRow("blackboard with plain script") << "\\mathbb{R}^n"
                                                      << "\\mathbb{R}^{n}";
        QTest::newRow("bold with bold script") << "\\mathbf{x^2}"
                                               << "\\mathbf{x}^{\\mathbf{2}}";
        QTest::newRow("bold run") << "\\mathbf{v}_i\\mathbf{w}"
                                  << "\\mathbf{v}_{i}\\mathbf{w}";
        QTest::newRow("group continues") << "\\mathbf{ab^2c}"
                                         << "\\mathbf{ab}^{\\mathbf{2}}\\mathbf{c}";
    }

    void scriptsOfStyledAtoms() {
        QFETCH(QString, latex);
        QFETCH(QString, expected);
        QCOMPARE(written(latex), expected);
        QString why;
        QVERIFY2(roundTrips(latex, &why), qPrintable(why));
    }

    void casesComeBackAsCases() {
        QCOMPARE(written("\\begin{cases} 1 & x>0 \\\\ 0 & x\\le 0 \\end{cases}"),
                 QString("\\begin{cases}1&x>0\\\\ 0&x\\leq 0\\end{cases}"));
        QString why;
        QVERIFY2(roundTrips("f(x)=\\begin{cases} 1 & x>0 \\\\ 0 & x\\le 0 \\end{cases}^2", &why),
                 qPrintable(why));
    }

    // --- Round trips ----------------------------------------------------------------------------

    void corpusRoundTrips_data() {
        QTest::addColumn<QString>("latex");
        int i = 0;
        for (const QString& f : corpus::typicalFormulas())
            QTest::newRow(qPrintable(QString("%1: %2").arg(i++).arg(f.left(60)))) << f;
    }

    void corpusRoundTrips() {
        QFETCH(QString, latex);
        QString why;
        QVERIFY2(roundTrips(latex, &why), qPrintable(why));
    }

    void expandedCorpusRoundTrips() {
        const QStringList corpus = corpus::typicalFormulaCorpus(1000);
        QVERIFY(corpus::typicalFormulas().size() >= 100);
        int checked = 0;
        for (const QString& f : corpus) {
            QString why;
            QVERIFY2(roundTrips(f, &why), qPrintable(why));
            ++checked;
        }
        QCOMPARE(checked, 1000);
    }

    void moreRoundTrips_data() {
        QTest::addColumn<QString>("latex");
        for (const char* f : {
                 "\\text{a b}",
                 "x^2^3_4",
                 "{}^2",
                 "\\sqrt{}",
                 "\\frac{}{}",
                 "\\left. x \\right.",
                 "a \\over b \\over c",
                 "\\sum\\nolimits_{i=0}^n\\int\\limits_0^1",
                 "\\mathcal{A}\\mathfrak{g}\\mathtt{t}\\mathsf{s}\\mathit{i}\\bm{b}",
                 "\\textrm{rm}\\textbf{bf}\\textit{it}\\texttt{tt}\\textsf{sf}\\rm r\\bf b\\cal c\\frak "
                 "f\\mit m",
                 "\\begin{matrix}\\displaystyle a\\end{matrix}",
                 "\\begin{aligned} & = b \\\\ c & \\end{aligned}",
                 "\\begin{gather} a \\\\ \\end{gather}",
                 "a&b&c\\\\d",
                 "\\begin{matrix}\\begin{pmatrix}x\\end{pmatrix}\\end{matrix}",
                 "\\left(\\begin{cases}a&b\\end{cases}\\right)",
                 "\\color{red}{\\begin{pmatrix}1\\end{pmatrix}}",
                 "\\hat{\\hat{x}}^2",
                 "\\vec{AB}\\cdot\\vec{CD}",
                 "\\sqrt[\\alpha]{\\beta}",
                 "\\underline{\\overline{x}}_{i}",
                 "\\colon\\cdotp",
                 "\\left\\{ x \\middle| x^2 \\middle\\| y \\right\\}",
                 "\\aa\\AA\\ae\\AE\\oe\\OE\\o\\O\\ss\\cc\\CC",
                 "\\iff\\land\\lor\\lnot",
             })
            QTest::newRow(f) << QString(f);
        // Characters: Cyrillic, precomposed and decomposed accents, symbols typed directly.
        QTest::newRow("cyrillic") << QString::fromUtf8("Ж=\\frac{д}{Я}");
        QTest::newRow("accented") << QString::fromUtf8("é+ñ-Ü*ÿ");
        QTest::newRow("decomposed") << QString("e") + ch(0x301) + "=x";
        QTest::newRow("symbols") << QString::fromUtf8("ßøåÆŒ'Å");
        QTest::newRow("accented letters in font commands")
            << QString::fromUtf8("\\text{café naïve} \\mathbf{é} \\mathrm{Ü}x");
    }

    void moreRoundTrips() {
        QFETCH(QString, latex);
        QString why;
        QVERIFY2(roundTrips(latex, &why), qPrintable(why));
    }
};

QTEST_GUILESS_MAIN(TestMathWriter)
#include "test_writer.moc"
