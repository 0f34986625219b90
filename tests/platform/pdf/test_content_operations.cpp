// Content streams read as operations: operands decoded as readers decode them, and each operation's bytes
// exact, so that rewriting one operation leaves every other byte of the stream as it was.
#include "pdf/ContentOperations.h"

#include <QTest>

using zepla::pdf::ContentOperand;
using zepla::pdf::ContentOperation;
using zepla::pdf::contentOperations;

class TestContentOperations : public QObject {
    Q_OBJECT

    // "op: operand operand" for each operation; strings and names as decoded, arrays in brackets.
    static QString describe(const ContentOperand& o) {
        switch (o.kind) {
        case ContentOperand::Kind::Number:
            return QString::number(o.number);
        case ContentOperand::Kind::Name:
            return QLatin1Char('/') + QString::fromLatin1(o.bytes);
        case ContentOperand::Kind::String:
            return QLatin1Char('"') + QString::fromLatin1(o.bytes) + QLatin1Char('"');
        case ContentOperand::Kind::Array: {
            QStringList items;
            for (const ContentOperand& item : o.items)
                items << describe(item);
            return QLatin1Char('[') + items.join(QLatin1Char(' ')) + QLatin1Char(']');
        }
        case ContentOperand::Kind::Other:
            return QStringLiteral("?");
        }
        return {};
    }

private slots:
    void operationsAndTheirOperands_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("operations");
        QTest::newRow("numbers") << QByteArray("1 -2.5 +.5 -.25 3. 0 cm")
                                 << QStringList{"cm: 1 -2.5 0.5 -0.25 3 0"};
        QTest::newRow("literal string escapes and nesting")
            << QByteArray("(a\\(b\\)c (nested) \\101\\t\\\\ end\\\nline) Tj")
            << QStringList{"Tj: \"a(b)c (nested) A\t\\ endline\""};
        QTest::newRow("hex string, odd digits and spaces")
            << QByteArray("<48 65 6C 7> Tj") << QStringList{"Tj: \"Help\""};
        QTest::newRow("kerned array")
            << QByteArray("[(W) 80 (ave) -20 <41>] TJ") << QStringList{"TJ: [\"W\" 80 \"ave\" -20 \"A\"]"};
        QTest::newRow("names with escapes, comments, no spaces")
            << QByteArray("/F#31 12 Tf% a comment ( ) Tj\nBT(x)Tj ET")
            << QStringList{"Tf: /F1 12", "BT: ", "Tj: \"x\"", "ET: "};
        QTest::newRow("marked content with a dictionary")
            << QByteArray("/Span << /ActualText (x) /Nested << /A [1 2] >> >> BDC (y) Tj EMC")
            << QStringList{"BDC: /Span ?", "Tj: \"y\"", "EMC: "};
        QTest::newRow("quote operators")
            << QByteArray("(a) ' 1 2 (b) \"") << QStringList{"': \"a\"", "\": 1 2 \"b\""};
        // The image's data holds bytes that would read as strings and operators.
        QTest::newRow("inline image") << QByteArray("BI /W 4 /H 1 /BPC 8 /CS /G ID (\x01"
                                                    "ET)EI\xff EI\nQ")
                                      << QStringList{"BI: ", "Q: "};
        QTest::newRow("stray delimiters are skipped") << QByteArray(") ] >> } 1 w") << QStringList{"w: 1"};
    }
    void operationsAndTheirOperands() {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, operations);
        QStringList found;
        for (const ContentOperation& o : contentOperations(content)) {
            QStringList operands;
            for (const ContentOperand& operand : o.operands)
                operands << describe(operand);
            found << QString::fromLatin1(o.op) + QStringLiteral(": ") + operands.join(QLatin1Char(' '));
        }
        QCOMPARE(found, operations);
    }

    // Each operation spans its operands and operator exactly: the bytes between operations are white space
    // and comments only.
    void spansCoverTheOperations() {
        const QByteArray content = "q 1 0 0 1 5 5 cm\nBT /F1 12 Tf (a b) Tj [(c) 5] TJ ET % end\n"
                                   "BI /W 1 /H 1 ID x EI Q";
        const auto operations = contentOperations(content);
        QStringList texts;
        for (const ContentOperation& o : operations)
            texts << QString::fromLatin1(content.mid(o.begin, o.end - o.begin));
        QCOMPARE(texts, (QStringList{"q", "1 0 0 1 5 5 cm", "BT", "/F1 12 Tf", "(a b) Tj", "[(c) 5] TJ", "ET",
                                     "BI /W 1 /H 1 ID x EI", "Q"}));
        QCOMPARE(operations[5].operands.front().begin, content.indexOf("[(c)"));
        QCOMPARE(operations[5].operands.front().end, content.indexOf(" TJ"));
    }
};

QTEST_MAIN(TestContentOperations)
#include "test_content_operations.moc"
