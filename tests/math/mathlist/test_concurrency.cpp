// Concurrent first use of the vocabulary: several threads start at once on a
// fresh process, each touching the one-time tables and the three reverse maps in its own order.
// Run under ThreadSanitizer to check the locking (see build-mathlist-tsan in the report).
#include "corpus/TypicalFormulas.h"
#include "mathlist/MTMathAtomFactory.h"
#include "mathlist/MTMathListBuilder.h"

#include <QTest>

#include <latch>
#include <thread>

using namespace zepla::math;

namespace {

QString ch(char32_t c) { return QString::fromUcs4(&c, 1); }

// One thread's view of the vocabulary, as text, so that the threads' results can be compared.
QStringList probe(int order) {
    QStringList out;
    auto symbols = [&] {
        for (const char16_t* name : {u"alpha", u"le", u"sum", u"quad", u"Vert", u"limsup", u"frac"}) {
            auto a = MTMathAtomFactory::atomForLatexSymbol(QStringView(name));
            out << (a ? a->nucleus() + QString::number(rawValue(a->type())) : QStringLiteral("-"));
        }
    };
    auto characters = [&] {
        for (const QString& c : {QString("x"), QString("-"), ch(0xE9), ch(0x416), QString("'"), QString("~")}) {
            auto a = MTMathAtomFactory::atomForCharacter(c);
            out << (a ? a->nucleus() + QString::number(rawValue(a->type())) : QStringLiteral("-"));
        }
    };
    auto reverse = [&] {
        out << MTMathAtomFactory::latexSymbolNameForAtom(MTMathAtom(MTMathAtomType::ordinary, "|")).value_or("-");
        out << MTMathAtomFactory::latexSymbolNameForAtom(MTMathAtom(MTMathAtomType::ordinary, ch(0x2016))).value_or("-");
        out << MTMathAtomFactory::getDelimiterName(MTMathAtom(MTMathAtomType::boundary, ch(0x2329))).value_or("-");
        out << MTMathAtomFactory::getDelimiterName(MTMathAtom(MTMathAtomType::boundary, QString())).value_or("-");
        out << MTMathAtomFactory::accentName(MTAccent(ch(0x302))).value_or("-");
    };
    auto tables = [&] {
        out << QString::number(MTMathAtomFactory::aliases().size()) << QString::number(MTMathAtomFactory::delimiters().size())
            << QString::number(MTMathAtomFactory::accents().size())
            << QString::number(MTMathAtomFactory::supportedAccentedCharacters().size())
            << QString::number(MTMathAtomFactory::fontStyles().size())
            << QString::number(MTMathAtomFactory::matrixEnvs().size())
            << QString::number(MTMathAtomFactory::supportedLatexSymbolCount());
        out << QString::number(rawValue(MTMathAtomFactory::fontStyleWithName(u"mathbb").value_or(MTFontStyle::defaultStyle)));
    };
    // Each order starts with a different first use.
    switch (order % 4) {
    case 0: reverse(); symbols(); characters(); tables(); break;
    case 1: symbols(); tables(); reverse(); characters(); break;
    case 2: characters(); reverse(); tables(); symbols(); break;
    default: tables(); characters(); symbols(); reverse(); break;
    }
    out.sort();
    return out;
}

} // namespace

class TestMathConcurrency : public QObject {
    Q_OBJECT

private slots:
    void concurrentFirstUse() {
        constexpr int threads = 8;
        std::latch start(threads);
        std::vector<QStringList> results(threads);
        std::vector<std::thread> pool;
        for (int i = 0; i < threads; ++i) {
            pool.emplace_back([&, i] {
                start.arrive_and_wait();
                results[i] = probe(i);
            });
        }
        for (auto& t : pool)
            t.join();
        const QStringList expected = probe(0);
        for (int i = 0; i < threads; ++i)
            QCOMPARE(results[i], expected);
        QVERIFY(expected.contains("vert"));
        QVERIFY(expected.contains("<"));
        QVERIFY(expected.contains("hat"));
        QVERIFY(expected.contains("237"));
    }

    // Parses on several threads at once, each with objects of its own, give what one thread gives.
    void parallelParses() {
        const QStringList corpus = zepla::math::corpus::typicalFormulaCorpus(300);
        QStringList expected;
        for (const QString& f : corpus)
            expected << MTMathListBuilder::mathListToString(MTMathListBuilder::build(f));
        constexpr int threads = 6;
        std::latch start(threads);
        std::vector<QStringList> results(threads);
        std::vector<std::thread> pool;
        for (int i = 0; i < threads; ++i) {
            pool.emplace_back([&, i] {
                start.arrive_and_wait();
                for (const QString& f : corpus) {
                    MTMathListPtr list = MTMathListBuilder::build(f);
                    list->finalized();
                    results[i] << MTMathListBuilder::mathListToString(list);
                }
            });
        }
        for (auto& t : pool)
            t.join();
        for (int i = 0; i < threads; ++i)
            QCOMPARE(results[i], expected);
    }
};

QTEST_GUILESS_MAIN(TestMathConcurrency)
#include "test_concurrency.moc"
