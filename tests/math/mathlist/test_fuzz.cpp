// Bad input: tens of thousands of generated LaTeX-ish strings. None may crash, hang or throw; every failure
// must be one of the parse error codes with one of its messages; every success must finalize, write back and
// parse its written text again without crashing.
//
// Every run draws a new seed and prints it, so runs add up to wide coverage while each stays short on a busy
// two-core machine. ZEPLA_FUZZ_SEED replays a run; ZEPLA_FUZZ_COUNT changes the number of strings (30,000).
#include "MathListCompare.h"
#include "corpus/TypicalFormulas.h"
#include "mathlist/MTMathAtomFactory.h"
#include "mathlist/MTMathListBuilder.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTest>

#include <map>
#include <random>

using namespace zepla::math;

namespace {

QString ch(char32_t c) { return QString::fromUcs4(&c, 1); }

// Whether `error` is one of the parser's errors (or Zepla's code 15) with a message of its code.
bool isKnownError(const MTParseError& e, const QString& input) {
    const QString& m = e.message;
    if (e.domain != QLatin1String("ParseError"))
        return false;
    switch (e.code) {
    case 1: return m == u"Mismatched braces." || m == u"Missing closing brace" || m == QStringLiteral("Mismatched braces: ") + input;
    case 2: return m.startsWith(u"Invalid command \\");
    case 3: return m == u"Expected character not found: ]" || m == u"Missing {" || m == u"Missing }";
    case 4: return m == u"Missing delimiter for \\left" || m == u"Missing delimiter for \\right";
    case 5: return m.startsWith(u"Invalid delimiter for left: ") || m.startsWith(u"Invalid delimiter for right: ");
    case 6: return m == u"Missing \\right";
    case 7: return m == u"Missing \\left";
    case 8: return (m.startsWith(u"Begin environment name ") && m.contains(u" does not match end name: ")) ||
                   m.startsWith(u"Unknown environment ");
    case 10: return m == u"Missing \\begin";
    case 11: return m == u"Missing \\end";
    case 12: return m.endsWith(u" environment can only have 2 columns") || m.endsWith(u" environment can only have 1 column") ||
                    m.endsWith(u" environment can only have 3 columns");
    case 13: return m == u"Internal error";
    case 14: return m == u"Limits can only be applied to an operator." || m == u"No limits can only be applied to an operator.";
    case 15: return m.startsWith(u"Formula nested too deeply");
    default: return false;
    }
}

class Generator {
public:
    explicit Generator(quint32 seed) : m_rng(seed) {
        const QStringList names = MTMathAtomFactory::supportedLatexSymbolNames();
        for (const QString& n : names)
            m_commands << "\\" + n;
        for (const auto& entry : MTMathAtomFactory::aliases())
            m_commands << "\\" + entry.first;
        for (const auto& entry : MTMathAtomFactory::accents())
            m_commands << "\\" + entry.first;
        for (const auto& entry : MTMathAtomFactory::fontStyles())
            m_commands << "\\" + entry.first;
        m_structural = {"\\frac", "\\binom", "\\sqrt", "\\sqrt[", "\\left", "\\right", "\\over", "\\atop", "\\choose",
                        "\\brack", "\\brace", "\\\\", "\\cr", "\\limits", "\\nolimits", "\\overline", "\\underline",
                        "\\color{red}", "\\textcolor{#00ff00}", "\\colorbox{yellow}", "\\color", "\\color{", "\\text{",
                        "\\left(", "\\right)", "\\left.", "\\right.", "\\left\\{", "\\right\\}", "\\left|", "\\right\\|",
                        "\\left\\langle", "\\right\\rangle", "\\left[", "\\right]", "\\foo", "\\", "\\&", "\\1"};
        const QStringList envs = {"matrix", "pmatrix", "bmatrix", "Bmatrix", "vmatrix", "Vmatrix", "cases",
                                  "aligned", "split", "eqalign", "gather", "displaylines", "eqnarray", "array", ""};
        for (const QString& e : envs) {
            m_structural << "\\begin{" + e + "}" << "\\end{" + e + "}";
        }
        m_structural << "\\begin" << "\\end" << "\\begin{" << "\\end{matrix";
        m_chars = {"{", "}", "{", "}", "^", "_", "&", "[", "]", "(", ")", "|", ".", ",", ";", ":", "+", "-", "=",
                   "<", ">", "!", "?", "*", "/", "'", "\"", "@", "`", "~", "$", "#", "%", " ", " ", "\t", "\n",
                   "\r\n", "0", "1", "2", "9", "a", "b", "x", "y", "z", "A", "Z", "#ff0000"};
        m_unicode = {ch(0x416), ch(0x44F), ch(0x401), ch(0x3B1), ch(0x3A9), ch(0xE9), QString("e") + ch(0x301),
                     ch(0x301), ch(0x20D7), ch(0xDF), ch(0x212B), ch(0x1F600), ch(0x1F468) + ch(0x200D) + ch(0x1F469),
                     ch(0x1F1E9) + ch(0x1F1EA), ch(0x4E00), ch(0x2211), ch(0x221E), ch(0x1D715), QString(QChar(0)),
                     QString(QChar(0xD800)), QString(QChar(0xDC00)), ch(0xFFFD), ch(0x200B), ch(0xA0), ch(0x2028)};
        m_corpus = corpus::typicalFormulas();
    }

    QString next() {
        switch (pick(10)) {
        case 0:
        case 1:
            return mutate(m_corpus[pick(m_corpus.size())]);
        case 2:
            return nested();
        default:
            return tokens(pick(60));
        }
    }

private:
    int pick(qsizetype n) { return n <= 0 ? 0 : int(std::uniform_int_distribution<qsizetype>(0, n - 1)(m_rng)); }

    QString token() {
        switch (pick(10)) {
        case 0: case 1: return m_commands[pick(m_commands.size())];
        case 2: case 3: return m_structural[pick(m_structural.size())];
        case 4: return m_unicode[pick(m_unicode.size())];
        default: return m_chars[pick(m_chars.size())];
        }
    }

    QString tokens(int n) {
        QString s;
        for (int i = 0; i < n; ++i)
            s += token();
        return s;
    }

    // A corpus formula with a few characters deleted, inserted, duplicated or cut.
    QString mutate(QString s) {
        const int edits = 1 + pick(4);
        for (int e = 0; e < edits && !s.isEmpty(); ++e) {
            const int at = pick(s.size() + 1);
            switch (pick(5)) {
            case 0: s.remove(std::min<int>(at, s.size() - 1), 1 + pick(3)); break;
            case 1: s.insert(at, token()); break;
            case 2: s.insert(at, s.mid(pick(s.size()), pick(12))); break;
            case 3: s.truncate(at); break;
            default: s.insert(at, m_chars[pick(8)]); break;
            }
        }
        return s;
    }

    // Deep nesting of one construct, near and past the bound.
    QString nested() {
        static const QStringList openers = {"{", "x^{", "\\frac{", "\\sqrt{", "\\left(", "\\begin{pmatrix}", "\\hat{", "\\mathbf{",
                                            "\\color{red}{", "a\\over ", "\\sqrt[", "\\text{"};
        static const QStringList closers = {"}", "}", "}{}", "}", "\\right)", "\\end{pmatrix}", "}", "}", "}", "", "]", "}"};
        const int kind = pick(openers.size());
        const int depth = 200 + pick(120);
        QString s;
        for (int i = 0; i < depth; ++i)
            s += openers[kind];
        s += "x";
        const int closing = pick(3) == 0 ? pick(depth + 1) : depth;
        for (int i = 0; i < closing; ++i)
            s += closers[kind];
        return s;
    }

    std::mt19937 m_rng;
    QStringList m_commands, m_structural, m_chars, m_unicode, m_corpus;
};

} // namespace

class TestMathFuzz : public QObject {
    Q_OBJECT

private slots:
    void generatedInputNeverCrashes() {
        const int count = qEnvironmentVariableIsSet("ZEPLA_FUZZ_COUNT") ? qEnvironmentVariableIntValue("ZEPLA_FUZZ_COUNT") : 30000;
        const quint32 seed = qEnvironmentVariableIsSet("ZEPLA_FUZZ_SEED") ? qEnvironmentVariable("ZEPLA_FUZZ_SEED").toUInt()
                                                                          : QRandomGenerator::system()->generate();
        qInfo().noquote() << QString("seed %1 (ZEPLA_FUZZ_SEED=%1 replays this run)").arg(seed);
        Generator gen(seed);
        std::map<int, int> codes;
        int parsed = 0, reparsed = 0, sameAfterRoundTrip = 0;
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < count; ++i) {
            const QString input = gen.next();
            try {
                std::optional<MTParseError> error;
                MTMathListPtr list = MTMathListBuilder::build(input, error);
                if (!list) {
                    QVERIFY2(error, qPrintable(input));
                    QVERIFY2(isKnownError(*error, input),
                             qPrintable(QString("input %1: code %2 message '%3'").arg(input).arg(error->code).arg(error->message)));
                    ++codes[error->code];
                    continue;
                }
                ++parsed;
                MTMathListPtr final = list->finalized();
                QVERIFY(final);
                const QString text = MTMathListBuilder::mathListToString(list);
                std::optional<MTParseError> againError;
                MTMathListPtr again = MTMathListBuilder::build(text, againError);
                if (again) {
                    ++reparsed;
                    if (testing::equalLists(list.get(), again.get(), nullptr))
                        ++sameAfterRoundTrip;
                    else if (qEnvironmentVariableIsSet("ZEPLA_FUZZ_SHOW"))
                        qInfo().noquote() << "DIFF" << input << "=>" << text;
                } else {
                    QVERIFY2(isKnownError(*againError, text), qPrintable(text));
                }
                (void)list->description();
            } catch (const MTMathException& e) {
                QFAIL(qPrintable(QString("model exception '%1' for input: %2").arg(e.reason(), input)));
            } catch (const std::exception& e) {
                QFAIL(qPrintable(QString("exception '%1' for input: %2").arg(e.what(), input)));
            }
        }
        QString summary = QString("seed %6: %1 strings in %2 ms; %3 parsed, %4 of them read back from their written text, %5 equal; errors:")
                              .arg(count).arg(timer.elapsed()).arg(parsed).arg(reparsed).arg(sameAfterRoundTrip).arg(seed);
        for (const auto& [code, n] : codes)
            summary += QString(" %1:%2").arg(code).arg(n);
        qInfo().noquote() << summary;
        QVERIFY(parsed > count / 20);
        // What the parser reads, it writes back readably, and mostly as the same list. What differs is
        // broken input, such as a dangling ^ read as an empty script that is not written back
        // (ZEPLA_FUZZ_SHOW=1 prints each); over 41 seeds 94.7-96.3 % came back equal, so the bound leaves
        // room for the seed's draw while still catching a writer that loses more.
        QVERIFY2(reparsed >= parsed * 9 / 10, qPrintable(summary));
        QVERIFY2(sameAfterRoundTrip * 100 >= reparsed * 93, qPrintable(summary));
        for (int code : {1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 14, 15})
            QVERIFY2(codes.count(code), qPrintable(QString("seed %1: no input produced code %2").arg(seed).arg(code)));
        QVERIFY(!codes.count(9));
    }
};

QTEST_GUILESS_MAIN(TestMathFuzz)
#include "test_fuzz.moc"
