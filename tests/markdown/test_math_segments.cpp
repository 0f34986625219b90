// Cutting running text into plain runs and formulas, and recognising a paragraph that is one display formula.
#include "markdown/MathSegmentSplitter.h"

#include <QTest>

using namespace zepla::markdown;

namespace {

// "[t:…]" for plain text, "[i:…]" and "[d:…]" for inline and display formulas.
QString describe(const MathSegments& segments) {
    QString text;
    for (const MathSegment& segment : segments) {
        const char* kind = segment.kind == MathSegment::Kind::text ? "t" : segment.display ? "d" : "i";
        text += QStringLiteral("[%1:%2]").arg(QLatin1String(kind), segment.text.toString());
    }
    return text;
}

} // namespace

class TestMathSegments : public QObject {
    Q_OBJECT

private slots:
    void split_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("segments");
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("no delimiter") << "just words"
                                      << "[t:just words]";
        QTest::newRow("inline dollars") << "so $x^2$ grows"
                                        << "[t:so ][i:x^2][t: grows]";
        QTest::newRow("display dollars") << "a $$\\int f$$ b"
                                         << "[t:a ][d:\\int f][t: b]";
        QTest::newRow("parentheses") << "\\(a+b\\) then"
                                     << "[i:a+b][t: then]";
        QTest::newRow("brackets") << "\\[ x \\]"
                                  << "[d: x ]";
        QTest::newRow("two prices") << "costs $5 or $10 now"
                                    << "[t:costs ][i:5 or ][t:10 now]";
        QTest::newRow("across lines") << "$a\nb$"
                                      << "[i:a\nb]";
        QTest::newRow("lone dollar") << "5$ only"
                                     << "[t:5$ only]";
        QTest::newRow("dollar last") << "pay $"
                                     << "[t:pay $]";
        QTest::newRow("open paren without closer") << "\\( x and $y$"
                                                   << "[t:\\( x and ][i:y]";
        QTest::newRow("open bracket without closer") << "\\[ x"
                                                     << "[t:\\[ x]";
        QTest::newRow("unclosed double dollar stays") << "a $$ b"
                                                      << "[t:a $$ b]";
        QTest::newRow("unclosed double then inline") << "$$ x $y$"
                                                     << "[t:$$ x ][i:y]";
        QTest::newRow("no escape") << "\\$x$"
                                   << "[t:\\][i:x]";
        QTest::newRow("empty inline") << "$$$$"
                                      << "[d:]";
        QTest::newRow("emphasis around") << "*$x$*"
                                         << "[t:*][i:x][t:*]";
        QTest::newRow("combining mark") << QString("a $\u0301 b $c$") << QString("[t:a $\u0301 b ][i:c]");
        QTest::newRow("inside code spans too") << "`$a$`"
                                               << "[t:`][i:a][t:`]";
    }
    void split() {
        QFETCH(QString, text);
        QFETCH(QString, segments);
        QCOMPARE(describe(MathSegmentSplitter::split(text)), segments);
    }

    void soleDisplayEquation_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("latex");
        QTest::addColumn<bool>("found");
        QTest::newRow("dollars") << "$$x^2$$"
                                 << "x^2" << true;
        QTest::newRow("white space around") << "  \n$$ a+b $$\n\t"
                                            << " a+b " << true;
        QTest::newRow("brackets") << "\\[\\sum_i i\\]"
                                  << "\\sum_i i" << true;
        QTest::newRow("full stop after") << "$$x$$."
                                         << "" << false;
        QTest::newRow("text before") << "so $$x$$"
                                     << "" << false;
        QTest::newRow("inline alone") << "$x$"
                                      << "" << false;
        QTest::newRow("two formulas") << "$$x$$ $$y$$"
                                      << "" << false;
        QTest::newRow("empty") << ""
                               << "" << false;
    }
    void soleDisplayEquation() {
        QFETCH(QString, text);
        QFETCH(QString, latex);
        QFETCH(bool, found);
        const std::optional<QString> equation = MathSegmentSplitter::soleDisplayEquation(text);
        QCOMPARE(equation.has_value(), found);
        if (found)
            QCOMPARE(*equation, latex);
    }

    void openersWithoutClosersStayLinear() {
        // A megabyte of openers whose closers never come: each kind is searched for once, not once per
        // opener.
        for (const QString& unit :
             {QStringLiteral("\\( a "), QStringLiteral("\\[ b "), QStringLiteral("\\[ \\( ")}) {
            const QString text = QStringLiteral("$x$ ") + unit.repeated(1'000'000 / unit.size());
            const MathSegments segments = MathSegmentSplitter::split(text);
            QCOMPARE(segments.size(), 2);
            QCOMPARE(segments[1].text, QStringView(text).sliced(3));
        }
    }

    void findersStopAtWholeCharacters() {
        const QString text = QString("x$\u0301$$y");
        QCOMPARE(MathSegmentSplitter::findChar(text, 0, '$'), std::optional<qsizetype>(3));
        QCOMPARE(MathSegmentSplitter::findSequence(text, 0, u"$$"), std::optional<qsizetype>(3));
        QCOMPARE(MathSegmentSplitter::findSequence(text, 4, u"$$"), std::nullopt);
        QCOMPARE(MathSegmentSplitter::findChar(text, 6, 'y'), std::nullopt);
    }
};

QTEST_MAIN(TestMathSegments)
#include "test_math_segments.moc"
