// Atoms and lists, finalization and fusing, index and character tests.
#include "mathlist/MTMathList.h"
#include "mathlist/MTMathListIndex.h"
#include "mathlist/MTUnicode.h"

#include <QTest>

#include <cstdio>
#include <unistd.h>

using namespace zepla::math;

namespace {

using T = MTMathAtomType;

MTMathAtomPtr atom(T type, const QString& nucleus = QString()) { return std::make_shared<MTMathAtom>(type, nucleus); }

MTMathListPtr list(std::initializer_list<MTMathAtomPtr> atoms) {
    auto l = std::make_shared<MTMathList>();
    for (const auto& a : atoms)
        l->add(a);
    return l;
}

QString ch(char32_t c) { return QString::fromUcs4(&c, 1); }

template <typename F>
QString exceptionReason(F&& f) {
    try {
        f();
    } catch (const MTMathException& e) {
        if (e.name() != QLatin1String("Error"))
            return QStringLiteral("<wrong name>");
        return e.reason();
    }
    return QString();
}

// Captures what `f` writes to standard output.
template <typename F>
QByteArray captureStdout(F&& f) {
    std::fflush(stdout);
    char path[] = "/tmp/zepla-stdout-XXXXXX";
    const int fd = mkstemp(path);
    const int saved = dup(1);
    dup2(fd, 1);
    f();
    std::fflush(stdout);
    dup2(saved, 1);
    ::close(saved);
    QFile file(QString::fromLocal8Bit(path));
    file.open(QIODevice::ReadOnly);
    const QByteArray out = file.readAll();
    ::close(fd);
    ::unlink(path);
    return out;
}

} // namespace

class TestMathListModel : public QObject {
    Q_OBJECT

private slots:
    // --- enumerations -------------------------------------------------------------

    void atomTypeRawValues() {
        QCOMPARE(mathAtomTypeFromRaw(101), std::optional<T>(T::boundary));
        QVERIFY(!mathAtomTypeFromRaw(18));
        QVERIFY(!mathAtomTypeFromRaw(0));
        QVERIFY(!mathAtomTypeFromRaw(206));
        QCOMPARE(mathAtomTypeFromRaw(1001), std::optional<T>(T::table));
        QCOMPARE(rawValue(T::colorBox), 205);
        QVERIFY(isScriptAllowed(T::accent));
        QVERIFY(isScriptAllowed(T::ordinary));
        for (T t : {T::boundary, T::space, T::style, T::color, T::textcolor, T::colorBox, T::table})
            QVERIFY(!isScriptAllowed(t));
        QVERIFY(T::accent < T::boundary);
        QVERIFY(T::table > T::colorBox);
    }

    void atomTypeDescriptions() {
        QCOMPARE(description(T::ordinary), QString("Ordinary"));
        QCOMPARE(description(T::largeOperator), QString("Large Operator"));
        QCOMPARE(description(T::binaryOperator), QString("Binary Operator"));
        QCOMPARE(description(T::unaryOperator), QString("Unary Operator"));
        QCOMPARE(description(T::textcolor), QString("TextColor"));
        QCOMPARE(description(T::colorBox), QString("Colorbox"));
        QCOMPARE(description(T::space), QString("Space"));
        QCOMPARE(description(T::table), QString("Table"));
    }

    void lineStylesAndFontStyles() {
        QCOMPARE(inc(MTLineStyle::scriptOfScript), MTLineStyle::display);
        QCOMPARE(inc(MTLineStyle::script), MTLineStyle::scriptOfScript);
        QCOMPARE(inc(MTLineStyle::display), MTLineStyle::text);
        QCOMPARE(inc(MTLineStyle::text), MTLineStyle::script);
        QVERIFY(isNotScript(MTLineStyle::display));
        QVERIFY(isNotScript(MTLineStyle::text));
        QVERIFY(!isNotScript(MTLineStyle::script));
        QVERIFY(!isNotScript(MTLineStyle::scriptOfScript));
        QVERIFY(!lineStyleFromRaw(4));
        QCOMPARE(lineStyleFromRaw(3), std::optional<MTLineStyle>(MTLineStyle::scriptOfScript));
        QCOMPARE(fontStyleFromRaw(9), std::optional<MTFontStyle>(MTFontStyle::boldItalic));
        QVERIFY(!fontStyleFromRaw(10));
        QVERIFY(!fontStyleFromRaw(-1));
        QCOMPARE(rawValue(MTFontStyle::blackboard), 8);
    }

    // --- atoms -------------------------------------------------------------------

    void atomDefaults() {
        MTMathAtom a;
        QCOMPARE(a.type(), T::ordinary);
        QVERIFY(a.nucleus().isEmpty());
        QVERIFY(!a.subScript() && !a.superScript());
        QCOMPARE(a.indexRange(), MTRange{});
        QCOMPARE(a.fontStyle(), MTFontStyle::defaultStyle);
        QVERIFY(a.fusedAtoms().empty());
        QCOMPARE(MTFraction().hasRule(), true);
        QCOMPARE(MTFraction(false).type(), T::fraction);
        QCOMPARE(MTLargeOperator("lim", true).limits(), true);
        QCOMPARE(MTLargeOperator("lim", true).nucleus(), QString("lim"));
        QCOMPARE(MTAccent(ch(0x301)).nucleus(), ch(0x301));
        QCOMPARE(MTMathSpace(3).type(), T::space);
        QCOMPARE(MTMathStyle(MTLineStyle::script).style(), MTLineStyle::script);
        QCOMPARE(MTMathColorbox().type(), T::colorBox);
        QCOMPARE(MTMathTextColor().type(), T::textcolor);
        QCOMPARE(MTMathTable(std::nullopt).environment(), QString());
        QCOMPARE(MTMathTable(QString("cases")).environment(), QString("cases"));
    }

    void radicalNucleusStaysEmpty() {
        MTMathAtom a(T::radical, "x");
        QVERIFY(a.nucleus().isEmpty());
        QVERIFY(a.copy()->nucleus().isEmpty());
        MTRadical r;
        r.setNucleus("y");
        QVERIFY(r.nucleus().isEmpty());
        QVERIFY(r.copy()->nucleus().isEmpty());
    }

    void scriptOnSpaceIsRefused() {
        MTMathSpace space(3);
        const QString reason = exceptionReason([&] { space.setSuperScript(std::make_shared<MTMathList>()); });
        QCOMPARE(reason, QString("Superscripts not allowed for atom of type Space"));
        QVERIFY(!space.superScript());
        const QString sub = exceptionReason([&] { space.setSubScript(std::make_shared<MTMathList>()); });
        QCOMPARE(sub, QString("Subscripts not allowed for atom of type Space"));
        QVERIFY(exceptionReason([&] { space.setSuperScript(nullptr); }).isEmpty());
        MTMathTable table;
        QCOMPARE(exceptionReason([&] { table.setSubScript(std::make_shared<MTMathList>()); }),
                 QString("Subscripts not allowed for atom of type Table"));
    }

    void innerBoundariesMustBeBoundaries() {
        MTInner inner;
        QCOMPARE(exceptionReason([&] { inner.setLeftBoundary(atom(T::open, "(")); }),
                 QString("Left boundary must be of type .boundary"));
        QVERIFY(!inner.leftBoundary());
        QCOMPARE(exceptionReason([&] { inner.setRightBoundary(atom(T::close, ")")); }),
                 QString("Right boundary must be of type .boundary"));
        QVERIFY(exceptionReason([&] { inner.setLeftBoundary(atom(T::boundary, "(")); }).isEmpty());
        QVERIFY(exceptionReason([&] { inner.setRightBoundary(nullptr); }).isEmpty());
        QCOMPARE(inner.leftBoundary()->nucleus(), QString("("));
    }

    // --- lists --------------------------------------------------------------------

    void addRefusesBoundary() {
        MTMathList l;
        l.add(atom(T::variable, "x"));
        QCOMPARE(exceptionReason([&] { l.add(atom(T::boundary, "(")); }),
                 QString("Cannot add atom of type 101 into mathlist"));
        QCOMPARE(exceptionReason([&] { l.insert(atom(T::boundary, "("), 0); }),
                 QString("Cannot add atom of type 101 into mathlist"));
        QCOMPARE(l.size(), std::size_t(1));
        l.add(nullptr);
        QCOMPARE(l.size(), std::size_t(1));
        QVERIFY(!MTMathList::isAtomAllowed(atom(T::boundary).get()));
        QVERIFY(MTMathList::isAtomAllowed(atom(T::table).get()));
        // The atoms constructors do not check.
        MTMathList unchecked(atom(T::boundary, "("));
        QCOMPARE(unchecked.size(), std::size_t(1));
    }

    void insertAtIndices() {
        auto a = atom(T::variable, "a"), b = atom(T::variable, "b"), c = atom(T::variable, "c");
        auto l = list({a, b});
        l->insert(c, 2);
        QCOMPARE(l->size(), std::size_t(3));
        QCOMPARE(l->atoms()[2], c);
        auto l2 = list({a, b});
        l2->insert(c, 3);
        QCOMPARE(l2->size(), std::size_t(2));
        l2->insert(c, 0);
        QCOMPARE(l2->atoms()[0], c);
        l2->insert(nullptr, 0);
        QCOMPARE(l2->size(), std::size_t(3));
    }

    void removeOperations() {
        MTMathList empty;
        empty.removeLastAtom();
        QVERIFY(empty.isEmpty());
        QCOMPARE(exceptionReason([&] { empty.removeAtom(0); }), QString("Index 0 out of bounds"));

        std::vector<MTMathAtomPtr> five;
        for (int i = 0; i < 5; ++i)
            five.push_back(atom(T::number, QString::number(i)));
        auto l = std::make_shared<MTMathList>(five);
        l->removeAtoms(1, 2);
        QCOMPARE(l->description(), QString("[0, 3, 4]"));
        QCOMPARE(exceptionReason([&] { l->removeAtom(3); }), QString("Index 3 out of bounds"));
        QCOMPARE(exceptionReason([&] { l->removeAtom(-1); }), QString("Index -1 out of bounds"));
        QCOMPARE(exceptionReason([&] { l->removeAtoms(1, 7); }), QString("Index 7 out of bounds"));
        QCOMPARE(exceptionReason([&] { l->removeAtoms(-2, 7); }), QString("Index -2 out of bounds"));
        QCOMPARE(l->size(), std::size_t(3));
        l->removeAtom(0);
        QCOMPARE(l->description(), QString("[3, 4]"));
        l->removeLastAtom();
        QCOMPARE(l->description(), QString("[3]"));
    }

    void appendSharesAtomsAndCopiesDoNot() {
        auto x = atom(T::variable, "x");
        auto second = list({x});
        MTMathList first;
        first.append(second);
        first.append(nullptr);
        x->setNucleus("y");
        QCOMPARE(first.atoms()[0]->nucleus(), QString("y"));
        QCOMPARE(first.atoms()[0], x);
        auto copy = MTMathList::deepCopy(second);
        QVERIFY(copy->atoms()[0] != x);
        QCOMPARE(copy->atoms()[0]->nucleus(), QString("y"));
        QVERIFY(!MTMathList::deepCopy(nullptr));
    }

    void copiesAreDeepAndKeepFusedAtoms() {
        auto x = atom(T::variable, "x");
        x->setSuperScript(list({atom(T::number, "2")}));
        auto fusedPart = atom(T::number, "1");
        x->setFusedAtoms({fusedPart});
        x->setIndexRange({4, 2});
        x->setFontStyle(MTFontStyle::bold);
        auto c = x->copy();
        QVERIFY(c != x);
        QVERIFY(c->superScript() != x->superScript());
        QCOMPARE(c->superScript()->atoms()[0]->nucleus(), QString("2"));
        QVERIFY(c->superScript()->atoms()[0] != x->superScript()->atoms()[0]);
        QCOMPARE(c->fusedAtoms().size(), std::size_t(1));
        QCOMPARE(c->fusedAtoms()[0], fusedPart);
        QCOMPARE(c->indexRange(), (MTRange{4, 2}));
        QCOMPARE(c->fontStyle(), MTFontStyle::bold);
    }

    void copiesKeepTheirClasses() {
        auto frac = std::make_shared<MTFraction>(false);
        frac->setNumerator(list({atom(T::variable, "a")}));
        frac->setDenominator(list({atom(T::variable, "b")}));
        frac->setLeftDelimiter("(");
        frac->setRightDelimiter(")");
        auto fc = std::dynamic_pointer_cast<MTFraction>(frac->copy());
        QVERIFY(fc);
        QCOMPARE(fc->hasRule(), false);
        QCOMPARE(fc->leftDelimiter(), QString("("));
        QVERIFY(fc->numerator() != frac->numerator());
        QCOMPARE(fc->numerator()->description(), QString("[a]"));

        auto op = std::make_shared<MTLargeOperator>(ch(0x2211), true);
        auto oc = std::dynamic_pointer_cast<MTLargeOperator>(op->copy());
        QVERIFY(oc && oc->limits());

        auto sp = std::dynamic_pointer_cast<MTMathSpace>(std::make_shared<MTMathSpace>(-3)->copy());
        QVERIFY(sp && sp->space() == -3);
        auto st = std::dynamic_pointer_cast<MTMathStyle>(std::make_shared<MTMathStyle>(MTLineStyle::text)->copy());
        QVERIFY(st && st->style() == MTLineStyle::text);

        auto color = std::make_shared<MTMathTextColor>();
        color->setColorString("#ff0000");
        color->setInnerList(list({atom(T::variable, "x")}));
        auto cc = std::dynamic_pointer_cast<MTMathTextColor>(color->copy());
        QVERIFY(cc);
        QCOMPARE(cc->colorString(), QString("#ff0000"));
        QVERIFY(cc->innerList() != color->innerList());

        auto accent = std::make_shared<MTAccent>(ch(0x302));
        accent->setInnerList(list({atom(T::variable, "x")}));
        auto ac = std::dynamic_pointer_cast<MTAccent>(accent->copy());
        QVERIFY(ac && ac->innerList() != accent->innerList() && ac->nucleus() == ch(0x302));

        QVERIFY(std::dynamic_pointer_cast<MTOverLine>(std::make_shared<MTOverLine>()->copy()));
        QVERIFY(std::dynamic_pointer_cast<MTUnderLine>(std::make_shared<MTUnderLine>()->copy()));
        QVERIFY(std::dynamic_pointer_cast<MTMathColor>(std::make_shared<MTMathColor>()->copy()));
        QVERIFY(std::dynamic_pointer_cast<MTMathColorbox>(std::make_shared<MTMathColorbox>()->copy()));
        // A plain atom copies as a plain atom.
        auto plain = atom(T::relation, "=")->copy();
        QCOMPARE(typeid(*plain).name(), typeid(MTMathAtom).name());
    }

    void innerCopyWithoutBoundaries() {
        MTInner inner;
        inner.setInnerList(list({atom(T::variable, "x")}));
        auto c = std::dynamic_pointer_cast<MTInner>(inner.copy());
        QVERIFY(c->leftBoundary() && c->rightBoundary());
        QCOMPARE(c->leftBoundary()->type(), T::ordinary);
        QVERIFY(c->leftBoundary()->nucleus().isEmpty());
        QVERIFY(c->rightBoundary()->nucleus().isEmpty());

        MTInner withBounds;
        withBounds.setLeftBoundary(atom(T::boundary, "("));
        withBounds.setRightBoundary(atom(T::boundary, ")"));
        auto c2 = std::dynamic_pointer_cast<MTInner>(withBounds.copy());
        QCOMPARE(c2->leftBoundary()->type(), T::boundary);
        QCOMPARE(c2->rightBoundary()->nucleus(), QString(")"));
        QVERIFY(c2->leftBoundary() != withBounds.leftBoundary());
    }

    void tableOperations() {
        MTMathTable t;
        t.setAlignment(MTColumnAlignment::left, 2);
        QCOMPARE(t.alignments(), (std::vector<MTColumnAlignment>{MTColumnAlignment::center, MTColumnAlignment::center,
                                                                 MTColumnAlignment::left}));
        QCOMPARE(t.getAlignment(7), MTColumnAlignment::center);
        QCOMPARE(t.numColumns(), 0);
        QCOMPARE(t.numRows(), 0);

        MTMathTable cells;
        auto given = list({atom(T::variable, "x")});
        cells.setCell(given, 1, 2);
        QCOMPARE(cells.numRows(), 2);
        QCOMPARE(cells.numColumns(), 3);
        QVERIFY(cells.cells()[0].empty());
        QCOMPARE(cells.cells()[1].size(), std::size_t(3));
        QVERIFY(cells.cells()[1][0]->isEmpty());
        QVERIFY(cells.cells()[1][1]->isEmpty());
        QCOMPARE(cells.cells()[1][2], given);
        auto replacement = list({atom(T::variable, "y")});
        cells.setCell(replacement, 1, 0);
        QCOMPARE(cells.cells()[1][0], replacement);

        cells.setEnvironment("matrix");
        cells.setInterColumnSpacing(18);
        cells.setInterRowAdditionalSpacing(1);
        auto copy = std::dynamic_pointer_cast<MTMathTable>(cells.copy());
        QCOMPARE(copy->environment(), QString("matrix"));
        QCOMPARE(copy->interColumnSpacing(), 18.0);
        QCOMPARE(copy->interRowAdditionalSpacing(), 1.0);
        QCOMPARE(copy->cells().size(), std::size_t(2));
        QVERIFY(copy->cells()[0].empty());
        QCOMPARE(copy->cells()[1].size(), std::size_t(3));
        QVERIFY(copy->cells()[1][2] != given);
        QCOMPARE(copy->cells()[1][2]->description(), QString("[x]"));
    }

    void descriptions() {
        QCOMPARE(MTMathList().description(), QString("[]"));
        auto x = atom(T::variable, "x");
        x->setSuperScript(list({atom(T::number, "2")}));
        x->setSubScript(list({atom(T::variable, "i")}));
        QCOMPARE(x->description(), QString("x^{[2]}_{[i]}"));
        QCOMPARE(x->string(), QString("x^{[2]}_{[i]}"));
        QCOMPARE(list({x, atom(T::binaryOperator, "+")})->description(), QString("[x^{[2]}_{[i]}, +]"));

        MTFraction frac;
        QCOMPARE(frac.description(), QString("\\frac{placeholder}{placeholder}"));
        MTFraction atop(false);
        atop.setLeftDelimiter("(");
        atop.setRightDelimiter(")");
        atop.setNumerator(list({atom(T::variable, "a")}));
        atop.setDenominator(list({atom(T::variable, "b")}));
        QCOMPARE(atop.description(), QString("\\atop[(][)]{[a]}{[b]}"));
        QVERIFY(atop.string().isEmpty());

        MTRadical rad;
        QCOMPARE(rad.description(), QString("\\sqrt"));
        rad.setDegree(list({atom(T::number, "3")}));
        rad.setRadicand(list({atom(T::variable, "x")}));
        QCOMPARE(rad.description(), QString("\\sqrt[[3]]{[x]}"));

        MTInner inner;
        inner.setLeftBoundary(atom(T::boundary, "("));
        inner.setRightBoundary(atom(T::boundary, ")"));
        inner.setInnerList(list({atom(T::variable, "x")}));
        inner.setSuperScript(list({atom(T::number, "2")}));
        QCOMPARE(inner.description(), QString("\\inner[(]{[x]}[)]^{[2]}"));

        MTMathColor color;
        color.setColorString("red");
        color.setInnerList(list({atom(T::variable, "x")}));
        QCOMPARE(color.string(), QString("\\color{red}{[x]}"));
        MTMathTextColor tc;
        tc.setColorString("blue");
        QCOMPARE(tc.string(), QString("\\textcolor{blue}{}"));
        MTMathColorbox cb;
        cb.setColorString("#fff");
        cb.setInnerList(std::make_shared<MTMathList>());
        QCOMPARE(cb.string(), QString("\\colorbox{#fff}{[]}"));
    }

    // --- finalization -------------------------------------------------------------

    void finalizeEmpty() { QVERIFY(MTMathList().finalized()->isEmpty()); }

    static QList<T> types(const MTMathListPtr& l) {
        QList<T> out;
        for (const auto& a : l->atoms())
            out.append(a->type());
        return out;
    }

    void finalizeBinaryOperators_data() {
        QTest::addColumn<QList<T>>("input");
        QTest::addColumn<QList<T>>("expected");
        const T v = T::variable, b = T::binaryOperator, u = T::unaryOperator, r = T::relation, o = T::open,
                c = T::close, n = T::number, p = T::punctuation, l = T::largeOperator;
        QTest::newRow("first") << QList<T>{b, v} << QList<T>{u, v};
        QTest::newRow("last") << QList<T>{v, b} << QList<T>{v, u};
        QTest::newRow("between") << QList<T>{v, b, v} << QList<T>{v, b, v};
        QTest::newRow("after relation") << QList<T>{v, r, b, v} << QList<T>{v, r, u, v};
        QTest::newRow("before relation") << QList<T>{v, b, r, v} << QList<T>{v, u, r, v};
        QTest::newRow("after open") << QList<T>{o, b, n, c} << QList<T>{o, u, n, c};
        QTest::newRow("two first") << QList<T>{b, b, v} << QList<T>{u, b, v};
        QTest::newRow("two middle") << QList<T>{v, b, b, v} << QList<T>{v, b, u, v};
        QTest::newRow("before punctuation") << QList<T>{v, b, p, v} << QList<T>{v, u, p, v};
        QTest::newRow("after punctuation") << QList<T>{v, p, b, v} << QList<T>{v, p, u, v};
        QTest::newRow("after large operator") << QList<T>{l, b, v} << QList<T>{l, u, v};
        QTest::newRow("before close") << QList<T>{o, v, b, c} << QList<T>{o, v, u, c};
        QTest::newRow("alone") << QList<T>{b} << QList<T>{u};
    }

    void finalizeBinaryOperators() {
        QFETCH(QList<T>, input);
        QFETCH(QList<T>, expected);
        auto l = std::make_shared<MTMathList>();
        int i = 0;
        for (T t : input) {
            MTMathAtomPtr a = t == T::largeOperator ? std::make_shared<MTLargeOperator>("sin", false)
                                                    : atom(t, QString("a%1").arg(i++));
            l->add(a);
        }
        const auto before = types(l);
        auto f = l->finalized();
        QCOMPARE(types(f), expected);
        QCOMPARE(types(l), before); // the receiver is unchanged
    }

    void finalizeFusesDigits() {
        auto one = atom(T::number, "1"), two = atom(T::number, "2"), three = atom(T::number, "3");
        auto x = atom(T::variable, "x");
        auto l = list({one, two, three, x});
        auto f = l->finalized();
        QCOMPARE(f->size(), std::size_t(2));
        const auto& n = f->atoms()[0];
        QCOMPARE(n->nucleus(), QString("123"));
        QCOMPARE(n->indexRange(), (MTRange{0, 3}));
        QCOMPARE(f->atoms()[1]->indexRange(), (MTRange{3, 1}));
        QCOMPARE(n->fusedAtoms().size(), std::size_t(3));
        QCOMPARE(n->fusedAtoms()[0]->nucleus(), QString("1"));
        QCOMPARE(n->fusedAtoms()[1]->nucleus(), QString("2"));
        QCOMPARE(n->fusedAtoms()[2]->nucleus(), QString("3"));
        QCOMPARE(typeid(*n->fusedAtoms()[0]).name(), typeid(MTMathAtom).name());
        // The parsed list is untouched.
        QCOMPARE(one->nucleus(), QString("1"));
        QCOMPARE(one->indexRange(), MTRange{});
        QVERIFY(one->fusedAtoms().empty());
    }

    void fuseDirectly() {
        auto a = atom(T::number, "1"), b = atom(T::number, "2"), c = atom(T::number, "3");
        a->setIndexRange({0, 1});
        b->setIndexRange({1, 1});
        c->setIndexRange({2, 1});
        a->fuse(b);
        a->fuse(c);
        QCOMPARE(a->nucleus(), QString("123"));
        QCOMPARE(a->indexRange(), (MTRange{0, 3}));
        QCOMPARE(a->fusedAtoms().size(), std::size_t(3));
        QVERIFY(a->fusedAtoms()[0] != a);
        QCOMPARE(a->fusedAtoms()[0]->nucleus(), QString("1"));
        QCOMPARE(a->fusedAtoms()[1], b);
        QCOMPARE(a->fusedAtoms()[2], c);

        // An atom that was itself fused contributes its parts.
        auto d = atom(T::number, "4"), e = atom(T::number, "5");
        d->fuse(e);
        auto f = atom(T::number, "6");
        f->fuse(d);
        QCOMPARE(f->nucleus(), QString("645"));
        QCOMPARE(f->fusedAtoms().size(), std::size_t(3));
        QCOMPARE(f->fusedAtoms()[2], e);
    }

    void fuseRefusesMismatch() {
        auto n = atom(T::number, "1"), v = atom(T::variable, "x");
        const QByteArray out = captureStdout([&] { n->fuse(v); });
        QCOMPARE(out, QByteArray("Can't fuse these 2 atoms\n"));
        QCOMPARE(n->nucleus(), QString("1"));
        QVERIFY(n->fusedAtoms().empty());
        QCOMPARE(v->nucleus(), QString("x"));
    }

    void finalizeScriptsAndFusing() {
        // A number with a superscript is not fused with the next number.
        auto a = atom(T::number, "1");
        a->setSuperScript(list({atom(T::number, "2")}));
        auto f = list({a, atom(T::number, "3")})->finalized();
        QCOMPARE(f->size(), std::size_t(2));
        // A number followed by a number with a subscript: fused, the subscript passes on.
        auto b = atom(T::number, "4");
        b->setSubScript(list({atom(T::variable, "i")}));
        auto g = list({atom(T::number, "1"), b})->finalized();
        QCOMPARE(g->size(), std::size_t(1));
        QCOMPARE(g->atoms()[0]->nucleus(), QString("14"));
        QVERIFY(g->atoms()[0]->subScript());
        QCOMPARE(g->atoms()[0]->subScript()->description(), QString("[i]"));
        // Two variables are not fused.
        QCOMPARE(list({atom(T::variable, "x"), atom(T::variable, "y")})->finalized()->size(), std::size_t(2));
    }

    void finalizeKeepsAssignedRanges() {
        auto a = atom(T::variable, "a");
        a->setIndexRange({5, 2});
        auto f = list({a, atom(T::variable, "b")})->finalized();
        QCOMPARE(f->atoms()[0]->indexRange(), (MTRange{5, 2}));
        QCOMPARE(f->atoms()[1]->indexRange(), (MTRange{7, 1}));
    }

    void finalizeRecursesIntoLists() {
        auto frac = std::make_shared<MTFraction>();
        frac->setNumerator(list({atom(T::variable, "a"), atom(T::binaryOperator, "+"), atom(T::variable, "b")}));
        frac->setDenominator(list({atom(T::binaryOperator, "-"), atom(T::number, "1"), atom(T::number, "2")}));
        auto l = list({atom(T::variable, "x"), frac});
        auto f = l->finalized();
        auto ff = std::dynamic_pointer_cast<MTFraction>(f->atoms()[1]);
        QVERIFY(ff);
        QCOMPARE(ff->indexRange(), (MTRange{1, 1}));
        QCOMPARE(ff->numerator()->atoms()[0]->indexRange(), (MTRange{0, 1}));
        QCOMPARE(ff->numerator()->atoms()[2]->indexRange(), (MTRange{2, 1}));
        QCOMPARE(ff->numerator()->atoms()[1]->type(), T::binaryOperator);
        QCOMPARE(ff->denominator()->atoms()[0]->type(), T::unaryOperator);
        QCOMPARE(ff->denominator()->atoms()[1]->nucleus(), QString("12"));
        QCOMPARE(frac->denominator()->size(), std::size_t(3));

        // Table cells, inner lists, radicals, accents and colours are finalized too.
        auto table = std::make_shared<MTMathTable>();
        table->setCell(list({atom(T::number, "1"), atom(T::number, "0")}), 0, 0);
        auto inner = std::make_shared<MTInner>();
        inner->setInnerList(list({atom(T::binaryOperator, "-")}));
        auto rad = std::make_shared<MTRadical>();
        rad->setRadicand(list({atom(T::number, "4"), atom(T::number, "2")}));
        rad->setDegree(list({atom(T::binaryOperator, "+")}));
        auto accent = std::make_shared<MTAccent>(ch(0x302));
        accent->setInnerList(list({atom(T::number, "7"), atom(T::number, "7")}));
        auto color = std::make_shared<MTMathColor>();
        color->setInnerList(list({atom(T::number, "9"), atom(T::number, "9")}));
        auto g = list({table, inner, rad, accent, color})->finalized();
        QCOMPARE(std::dynamic_pointer_cast<MTMathTable>(g->atoms()[0])->cells()[0][0]->size(), std::size_t(1));
        QCOMPARE(std::dynamic_pointer_cast<MTInner>(g->atoms()[1])->innerList()->atoms()[0]->type(), T::unaryOperator);
        auto fr = std::dynamic_pointer_cast<MTRadical>(g->atoms()[2]);
        QCOMPARE(fr->radicand()->atoms()[0]->nucleus(), QString("42"));
        QCOMPARE(fr->degree()->atoms()[0]->type(), T::unaryOperator);
        QCOMPARE(std::dynamic_pointer_cast<MTAccent>(g->atoms()[3])->innerList()->atoms()[0]->nucleus(), QString("77"));
        QCOMPARE(std::dynamic_pointer_cast<MTMathColor>(g->atoms()[4])->innerList()->atoms()[0]->nucleus(), QString("99"));
        QCOMPARE(g->atoms()[4]->indexRange(), (MTRange{4, 1}));
    }

    void overlineScriptsAreNotFinalized() {
        auto over = std::make_shared<MTOverLine>();
        over->setInnerList(list({atom(T::number, "1"), atom(T::number, "2")}));
        over->setSuperScript(list({atom(T::number, "3"), atom(T::number, "4")}));
        auto under = std::make_shared<MTUnderLine>();
        under->setInnerList(list({atom(T::number, "1"), atom(T::number, "2")}));
        under->setSuperScript(list({atom(T::number, "3"), atom(T::number, "4")}));
        auto f = list({over, under})->finalized();
        auto fo = std::dynamic_pointer_cast<MTOverLine>(f->atoms()[0]);
        QCOMPARE(fo->innerList()->size(), std::size_t(1));
        QCOMPARE(fo->superScript()->size(), std::size_t(2));
        QVERIFY(fo->superScript() != over->superScript());
        QCOMPARE(fo->superScript()->atoms()[0]->indexRange(), MTRange{});
        auto fu = std::dynamic_pointer_cast<MTUnderLine>(f->atoms()[1]);
        QCOMPARE(fu->superScript()->size(), std::size_t(1));
    }

    void finalizeRaisesOnBoundary() {
        MTMathList l(atom(T::boundary, "("));
        QCOMPARE(exceptionReason([&] { l.finalized(); }), QString("Cannot add atom of type 101 into mathlist"));
    }

    // --- index and character tests ---------------------------------------------------------------------------

    void listIndex() {
        using K = MTMathListIndex::MTMathListSubIndexType;
        QCOMPARE(MTMathListIndex(3).description(), QString("[3]"));
        MTMathListIndex nested(1, std::make_shared<MTMathListIndex>(0), K::superscript);
        QCOMPARE(nested.description(), QString("[1, 2:[0]]"));
        MTMathListIndex same(1, std::make_shared<MTMathListIndex>(0), K::superscript);
        QVERIFY(nested == same);
        QCOMPARE(nested.hash(), same.hash());
        QCOMPARE(std::hash<MTMathListIndex>()(nested), std::hash<MTMathListIndex>()(same));
        MTMathListIndex without(1, nullptr, K::superscript);
        QVERIFY(nested != without);
        QVERIFY(without != nested);
        QVERIFY(MTMathListIndex(1, std::make_shared<MTMathListIndex>(1), K::superscript) != nested);
        QVERIFY(MTMathListIndex(1, std::make_shared<MTMathListIndex>(0), K::ssubscript) != nested);
        QVERIFY(!MTMathListIndex::subIndexTypeFromRaw(8));
        QCOMPARE(MTMathListIndex::subIndexTypeFromRaw(7), std::optional<K>(K::degree));
        MTMathListIndex deep(2, std::make_shared<MTMathListIndex>(1, std::make_shared<MTMathListIndex>(0), K::numerator),
                             K::radicand);
        QCOMPARE(deep.description(), QString("[2, 6:[1, 4:[0]]]"));
    }

    void greekTests() {
        QVERIFY(isCapitalGreek(ch(0x3A2)));
        QVERIFY(isCapitalGreek(ch(0x391)));
        QVERIFY(isCapitalGreek(ch(0x3A9)));
        QVERIFY(!isCapitalGreek(ch(0x3AA)));
        QVERIFY(isLowerGreek(ch(0x3C2)));
        QVERIFY(isLowerGreek(ch(0x3B5)));
        QVERIFY(!isGreekSymbol(ch(0x3B5)));
        QCOMPARE(greekSymbolOrder(ch(0x3F5)), std::optional<int>(0));
        QVERIFY(!isLowerGreek(ch(0x3F5)));
        QCOMPARE(greekSymbolOrder(ch(0x3D6)), std::optional<int>(5));
        QCOMPARE(greekSymbolOrder(ch(0x3D1)), std::optional<int>(1));
        QCOMPARE(greekSymbolOrder(ch(0x3F0)), std::optional<int>(2));
        QCOMPARE(greekSymbolOrder(ch(0x3D5)), std::optional<int>(3));
        QCOMPARE(greekSymbolOrder(ch(0x3F1)), std::optional<int>(4));
        QVERIFY(!isCapitalGreek(QString("A")));
        QVERIFY(!isLowerGreek(QString("a")));
        QVERIFY(!greekSymbolOrder(QString("a")));
        // Tests work on the sum of the scalars: an alpha with a combining mark is not lower-case Greek.
        QVERIFY(!isLowerGreek(QString(ch(0x3B1) + ch(0x301))));
    }

    void englishAndDigitTests() {
        QVERIFY(isUpperEnglish(QString("A")));
        QVERIFY(isUpperEnglish(QString("Z")));
        QVERIFY(!isUpperEnglish(QString("a")));
        QVERIFY(isLowerEnglish(QString("q")));
        QVERIFY(!isLowerEnglish(QString("{")));
        QVERIFY(isNumber(QString("0")));
        QVERIFY(isNumber(QString("9")));
        QVERIFY(!isNumber(QString(":")));
        QVERIFY(!isUpperEnglish(ch(0x391)));
        // "A" with a combining acute composes to U+00C1, which orders after "Z".
        QVERIFY(!isUpperEnglish(QString("A") + ch(0x301)));
        // "Z" with a combining mark that has no composition orders after "Z" (longer).
        QVERIFY(!isUpperEnglish(QString("Z") + ch(0x20D7)));
        QVERIFY(isUpperEnglish(QString("Y") + ch(0x20D7)));
    }

    void graphemes() {
        QCOMPARE(graphemeBoundaries(u""), (std::vector<qsizetype>{0}));
        QCOMPARE(graphemeBoundaries(u"ab\r\nc"), (std::vector<qsizetype>{0, 1, 2, 4, 5}));
        const QString composed = QString("e") + ch(0x301) + QString("x") + ch(0x1D715) + QString("y");
        auto clusters = graphemeClusters(composed);
        QCOMPARE(clusters.size(), std::size_t(4));
        QCOMPARE(clusters[0].toString(), QString("e") + ch(0x301));
        QCOMPARE(clusters[2].toString(), ch(0x1D715));
        QCOMPARE(utf32Chars(clusters[0]), char32_t(0x65 + 0x301));
        QCOMPARE(utf32Chars(clusters[2]), char32_t(0x1D715));
        // A flag (two regional indicators) and a family emoji (ZWJ sequence) are one character each.
        const QString flag = ch(0x1F1E9) + ch(0x1F1EA);
        QCOMPARE(graphemeClusters(flag).size(), std::size_t(1));
        const QString family = ch(0x1F468) + ch(0x200D) + ch(0x1F469) + ch(0x200D) + ch(0x1F467);
        QCOMPARE(graphemeClusters(QString("a") + family + QString("b")).size(), std::size_t(3));
        QVERIFY(isCasedLetter(ch(0x3B1)));
        QVERIFY(isCasedLetter(ch(0x416)));
        QVERIFY(!isCasedLetter(ch(0x4E00)));
        QVERIFY(!isCasedLetter(QString("1")));
        QVERIFY(isCasedLetter(QString("e") + ch(0x301)));
    }
};

QTEST_GUILESS_MAIN(TestMathListModel)
#include "test_model.moc"
