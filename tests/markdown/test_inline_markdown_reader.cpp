// Inline Markdown of answer text: which spans come out styled, which markers stay literal, and that every
// space and line break is kept.
#include "markdown/InlineMarkdownReader.h"

#include <QTest>

#include <algorithm>

using namespace zepla::markdown;

namespace {

// Runs joined by "|", each with its styles in braces: e emphasis, s strong, ~ strike-through, c code, and
// "@address" for a link.
QString describe(const InlineRuns& runs) {
    QStringList parts;
    for (const InlineRun& run : runs.runs) {
        QString styles;
        if (run.emphasis)
            styles += 'e';
        if (run.strong)
            styles += 's';
        if (run.strikethrough)
            styles += '~';
        if (run.code)
            styles += 'c';
        QString part = run.text.toString();
        if (!styles.isEmpty())
            part += '{' + styles + '}';
        if (!run.link.isEmpty())
            part += '@' + run.link.toString();
        parts << part;
    }
    return parts.join('|');
}

} // namespace

class TestInlineMarkdownReader : public QObject {
    Q_OBJECT

private slots:
    void read_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("runs");
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("plain") << "plain words"
                               << "plain words";
        QTest::newRow("emphasis") << "a *b* c"
                                  << "a |b{e}| c";
        QTest::newRow("underscores") << "_b_ and __c__"
                                     << "b{e}| and |c{s}";
        QTest::newRow("strong") << "**bold** text"
                                << "bold{s}| text";
        QTest::newRow("both") << "***both***"
                              << "both{es}";
        QTest::newRow("nested") << "*a **b** c*"
                                << "a {e}|b{es}| c{e}";
        QTest::newRow("inside a word") << "un*believ*able"
                                       << "un|believ{e}|able";
        QTest::newRow("underscores inside words") << "snake_case_name"
                                                  << "snake_case_name";
        QTest::newRow("strikethrough") << "~~gone~~ ~one~"
                                       << "gone{~}| |one{~}";
        QTest::newRow("three tildes") << "~~~x~~~"
                                      << "~~~x~~~";
        // Tildes pair only with a run of the same length.
        QTest::newRow("two tildes and one") << "~~a~"
                                            << "~~a~";
        QTest::newRow("one tilde and two") << "~a~~ b"
                                           << "~a~~ b";
        // The rule of three: a run that can open and close pairs with another only when their lengths do
        // not add up to a multiple of three (unless both are).
        QTest::newRow("rule of three keeps a double run inside") << "*foo**bar*"
                                                                 << "foo**bar{e}";
        QTest::newRow("rule of three nests strong") << "*foo**bar**baz*"
                                                    << "foo{e}|bar{es}|baz{e}";
        QTest::newRow("rule of three with multiples of three") << "foo***bar***baz"
                                                               << "foo|bar{es}|baz";
        QTest::newRow("unclosed") << "*open and **more"
                                  << "*open and **more";
        QTest::newRow("space inside") << "a * b * c"
                                      << "a * b * c";
        QTest::newRow("code") << "use `a*b*` here"
                              << "use |a*b*{c}| here";
        QTest::newRow("double backticks") << "`` a`b ``"
                                          << "a`b{c}";
        QTest::newRow("unclosed backtick") << "`x *y*"
                                           << "`x |y{e}";
        QTest::newRow("escapes") << "\\*not\\* \\_ \\a"
                                 << "*not* _ \\a";
        QTest::newRow("link") << "see [the *site*](https://a.example/x) now"
                              << "see |the @https://a.example/x|site{e}@https://a.example/x| now";
        QTest::newRow("link with parentheses and title") << "[w](https://w.example/a_(b) \"T\")"
                                                         << "w@https://w.example/a_(b)";
        QTest::newRow("image shows its text") << "![alt text](pic.png)"
                                              << "alt text";
        QTest::newRow("brackets without address") << "[not a link] and [x]"
                                                  << "[not a link] and [x]";
        QTest::newRow("autolink") << "<https://b.example/p?q=1>"
                                  << "https://b.example/p?q=1@https://b.example/p?q=1";
        QTest::newRow("mail autolink") << "<me@example.com>"
                                       << "me@example.com@mailto:me@example.com";
        QTest::newRow("one address twice") << "<me@example.com><me@example.com> and \\*<me@example.com>"
                                           << "me@example.comme@example.com@mailto:me@example.com| and *|"
                                              "me@example.com@mailto:me@example.com";
        QTest::newRow("less-than") << "a < b <c"
                                   << "a < b <c";
        QTest::newRow("white space kept") << "  two\n\n  lines  \t"
                                          << "  two\n\n  lines  \t";
        QTest::newRow("no block syntax") << "# not a heading\n- not a list\n1. no"
                                         << "# not a heading\n- not a list\n1. no";
    }
    void read() {
        QFETCH(QString, text);
        QFETCH(QString, runs);
        QCOMPARE(describe(InlineMarkdownReader::read(text)), runs);
    }

    void pathologicalMarkersStayLinear() {
        // Openers with no closers, brackets with no addresses and backtick runs of growing length, a megabyte
        // of each.
        QString ticks;
        for (int length = 1; ticks.size() < 1'000'000; length = length % 500 + 1)
            ticks += QString(length, '`') + 'x';
        for (const QString& unit : {QStringLiteral("*a "), QStringLiteral("[x"), QStringLiteral("_ `"),
                                    QStringLiteral("**a* "), ticks}) {
            const QString text = unit.repeated(std::max<qsizetype>(1, 1'000'000 / unit.size()));
            QString joined;
            for (const InlineRun& run : InlineMarkdownReader::read(text).runs)
                joined += run.text;
            QVERIFY(joined.size() <= text.size());
            QVERIFY(joined.size() >= text.size() / 2);
        }
    }
};

QTEST_MAIN(TestInlineMarkdownReader)
#include "test_inline_markdown_reader.moc"
