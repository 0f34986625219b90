// Hostile and huge answers: deep markers, huge lists and rows, unclosed fences, odd line ends, bad encoding,
// and a loop over generated inputs. Each must parse completely without crashing or stalling.
#include "MarkdownBlockPrinting.h"
#include "markdown/HorizontalSpace.h"
#include "markdown/MarkdownParser.h"

#include <QRandomGenerator>
#include <QTest>

using namespace zepla::markdown;
using Blocks = QList<MarkdownBlock>;

namespace {

constexpr qsizetype tenMegabytes = 10 * 1024 * 1024;

// Every block kind once, closed so that repetitions do not run into each other.
const QString sampleAnswer = "## Heading\n"
                             "A paragraph with $x^2$ and **bold**,\n"
                             "over two lines.\n"
                             "\n"
                             "- bullet | item\n"
                             "* star item\n"
                             "1. first\n"
                             "2. second\n"
                             "```cpp\n"
                             "  int x = 1;\n"
                             "```\n"
                             "| a | b |\n"
                             "|---|:-:|\n"
                             "| 1 | 2 |\n"
                             "> quoted\n"
                             ">\n"
                             "\n";
constexpr qsizetype blocksPerSample = 7;

QString repeatedTo(const QString& unit, qsizetype size) {
    return unit.repeated(size / unit.size() + 1);
}

// One content line of random markers, spaces and words; never a backtick, so only the generated fence
// lines can open or close code.
QString randomLine(QRandomGenerator& random) {
    static const QStringList tokens{
        "#",
        "##",
        "#######",
        " ",
        "\t",
        QString(QChar(0x00A0)),
        QString(QChar(0x3000)),
        "-",
        "*",
        "+",
        ">",
        "|",
        ":",
        ".",
        "1",
        "42",
        "-7",
        "9223372036854775808",
        "word",
        "x",
        "\r",
        "$",
        "\\(",
        "é",
        QString(QChar(0x0301)),
        QString(QChar(0xD800)),
        "|---|",
        "---",
        "- - -",
        "|:-:|",
    };
    static const QStringList wholeLines{"```", "  ```", "```PY", "", "   ", "|---|---|", "---", ">"};
    if (random.bounded(5) == 0)
        return wholeLines[random.bounded(wholeLines.size())];
    QString line;
    for (int n = random.bounded(1, 7); n > 0; --n)
        line += tokens[random.bounded(tokens.size())];
    return line;
}

QString randomDocument(QRandomGenerator& random) {
    QStringList lines;
    for (int n = random.bounded(1, 30); n > 0; --n)
        lines.append(randomLine(random));
    return lines.join('\n');
}

// Any UTF-16 code units, weighted towards line ends and Markdown markers.
QString randomNoise(QRandomGenerator& random) {
    static const char16_t markers[] = u"\n\n\r#|->*. 1`:\t";
    QString noise;
    for (int n = random.bounded(400); n > 0; --n)
        noise += random.bounded(2) ? QChar(markers[random.bounded(int(std::size(markers)) - 1)])
                                   : QChar(char16_t(random.bounded(0x10000)));
    return noise;
}

qsizetype lowercaseLetters(QStringView s) {
    return std::count_if(s.begin(), s.end(), [](QChar c) { return c >= u'a' && c <= u'z'; });
}

// All the text a block hands on to the views.
QStringList payloadOf(const MarkdownBlock& block) {
    QStringList payload = block.items + block.header;
    payload.append(block.text);
    for (const QStringList& row : block.rows)
        payload += row;
    return payload;
}

bool isTrimmed(QStringView s) {
    return trimHorizontalSpace(s).size() == s.size();
}

// What must hold of any parse, whatever the input; an empty answer means well-formed.
QString malformation(const Blocks& blocks) {
    using Kind = MarkdownBlock::Kind;
    for (const MarkdownBlock& block : blocks) {
        const bool wrong = [&] {
            switch (block.kind) {
            case Kind::heading:
                return block.level < 1 || block.level > 6 || block.text.isEmpty() || !isTrimmed(block.text);
            case Kind::paragraph: {
                const QStringList lines = block.text.split('\n');
                return std::any_of(lines.begin(), lines.end(),
                                   [](const QString& line) { return line.isEmpty() || !isTrimmed(line); });
            }
            case Kind::bulletList:
            case Kind::numberedList:
                return block.items.isEmpty();
            case Kind::table:
                return block.header.isEmpty() ||
                       !std::all_of(block.header.begin(), block.header.end(), isTrimmed);
            case Kind::codeBlock:
            case Kind::blockquote:
                return false;
            }
            return true;
        }();
        if (wrong)
            return "malformed " + describe(block);
    }
    return {};
}

} // namespace

class TestMarkdownRobustness : public QObject {
    Q_OBJECT

private slots:
    void tenThousandNestedQuoteMarkers() {
        const Blocks spaced = MarkdownParser::parse(QString("> ").repeated(10000) + "deep");
        QCOMPARE(spaced, Blocks{MarkdownBlock::blockquote(QString("> ").repeated(9999) + "deep")});
        const QString glued = QString(">").repeated(10000) + " deep";
        QCOMPARE(MarkdownParser::parse(glued), Blocks{MarkdownBlock::paragraph(glued)});
    }

    void hundredThousandListItems_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("kind");
        QTest::newRow("bullets") << "- item\n"
                                 << "item" << int(MarkdownBlock::Kind::bulletList);
        QTest::newRow("numbered") << "123. item\n"
                                  << "item" << int(MarkdownBlock::Kind::numberedList);
    }
    void hundredThousandListItems() {
        QFETCH(QString, line);
        QFETCH(QString, item);
        QFETCH(int, kind);
        const Blocks blocks = MarkdownParser::parse(line.repeated(100000));
        QCOMPARE(blocks.size(), 1);
        QCOMPARE(int(blocks[0].kind), kind);
        QCOMPARE(blocks[0].items, QStringList(100000, item));
    }

    void tableRowWithTenThousandCells() {
        const QString row = "|" + QString(" cell |").repeated(10000);
        const QString separator = "|" + QString("---|").repeated(10000);
        const Blocks blocks = MarkdownParser::parse(row + "\n" + separator + "\n" + row);
        QCOMPARE(blocks,
                 Blocks{MarkdownBlock::table(QStringList(10000, "cell"), {QStringList(10000, "cell")})});
    }

    void tenMegabyteAnswer() {
        const QString answer = repeatedTo(sampleAnswer, tenMegabytes);
        const Blocks blocks = MarkdownParser::parse(answer);
        const Blocks sample = MarkdownParser::parse(sampleAnswer);
        QCOMPARE(sample.size(), blocksPerSample);
        QCOMPARE(blocks.size(), answer.size() / sampleAnswer.size() * blocksPerSample);
        QCOMPARE(blocks.mid(blocks.size() - blocksPerSample), sample);
    }

    void unterminatedFenceTakesTheRest() {
        const QString rest = repeatedTo(QString(sampleAnswer).replace("```", "~~~"), tenMegabytes);
        QCOMPARE(MarkdownParser::parse("```\n" + rest), Blocks{MarkdownBlock::codeBlock(rest)});
    }

    void manyFences() {
        const Blocks blocks = MarkdownParser::parse(QString("```\n").repeated(100001));
        QCOMPARE(blocks.size(), 50001);
        QVERIFY(std::all_of(blocks.begin(), blocks.end(),
                            [](const MarkdownBlock& b) { return b == MarkdownBlock::codeBlock({}); }));
    }

    void hugeLines_data() {
        QTest::addColumn<QString>("line");
        const qsizetype size = tenMegabytes / 10;
        QTest::newRow("hashes") << QString("#").repeated(size) + " x";
        QTest::newRow("digits") << QString("1").repeated(size) + ". x";
        QTest::newRow("bars") << QString("|").repeated(size);
        QTest::newRow("hyphens under a bar") << "|\n" + QString("-").repeated(size);
    }
    void hugeLines() {
        QFETCH(QString, line);
        const Blocks blocks = MarkdownParser::parse(line);
        QCOMPARE(blocks.size(), 1);
        QCOMPARE(malformation(blocks), QString());
    }

    void windowsAndOldMacLineEnds() {
        const QString crlf = repeatedTo(QString(sampleAnswer).replace("\n", "\r\n"), tenMegabytes);
        const Blocks crlfBlocks = MarkdownParser::parse(crlf);
        QVERIFY(!crlfBlocks.isEmpty());
        QCOMPARE(malformation(crlfBlocks), QString());

        const QString loneCr = repeatedTo(QString(sampleAnswer).replace("\n", "\r"), tenMegabytes);
        const Blocks loneCrBlocks = MarkdownParser::parse(loneCr);
        QCOMPARE(loneCrBlocks.size(), 1);
        QCOMPARE(loneCrBlocks[0].kind, MarkdownBlock::Kind::heading);
    }

    void invalidUtf8IsReplaced() {
        const QByteArray bytes = "# Ti\xfftle\n- \xc3\x28\n| a\x80 | b |\n|---|---|\n\xfe\n";
        const QChar bad = QChar::ReplacementCharacter;
        const Blocks expected{
            MarkdownBlock::heading(1, QString("Ti") + bad + "tle"),
            MarkdownBlock::bulletList({QString(bad) + "("}),
            MarkdownBlock::table({QString("a") + bad, "b"}, {}),
            MarkdownBlock::paragraph(QString(bad)),
        };
        QCOMPARE(MarkdownParser::parse(QString::fromUtf8(bytes)), expected);
    }

    void loneSurrogatesAreKept() {
        const QString item = QString("x") + QChar(0xDC00) + QChar(0xD800);
        QCOMPARE(MarkdownParser::parse("- " + item), Blocks{MarkdownBlock::bulletList({item})});
    }

    // Lines are dropped only when blank, fences, separators or markers, none of which holds a lowercase
    // letter outside fence lines, so every lowercase letter must come out in some block.
    void generatedDocumentsKeepTheirText() {
        QRandomGenerator random(20261210);
        for (int round = 0; round < 50000; ++round) {
            const QString text = randomDocument(random);
            const Blocks blocks = MarkdownParser::parse(text);
            qsizetype letters = 0;
            for (const MarkdownBlock& block : blocks)
                letters += lowercaseLetters(payloadOf(block).join(QString()));
            const QString context = " in " + quoted(text);
            QVERIFY2(malformation(blocks).isEmpty(), qPrintable(malformation(blocks) + context));
            QVERIFY2(letters == lowercaseLetters(text), qPrintable("letters lost" + context));
        }
    }

    void generatedNoiseIsWellFormed() {
        QRandomGenerator random(1210);
        for (int round = 0; round < 5000; ++round) {
            const QString text = randomNoise(random);
            const QString problem = malformation(MarkdownParser::parse(text));
            QVERIFY2(problem.isEmpty(), qPrintable(problem + " in " + quoted(text)));
        }
    }
};

QTEST_APPLESS_MAIN(TestMarkdownRobustness)
#include "test_markdown_robustness.moc"
