// The block rules of assistant answers, one table of cases per block kind.
#include "MarkdownBlockPrinting.h"
#include "markdown/MarkdownParser.h"

#include <QTest>

using namespace zepla::markdown;
using Blocks = QList<MarkdownBlock>;
using Rows = QList<QStringList>;

namespace {

MarkdownBlock heading(int level, const QString& text) {
    return MarkdownBlock::heading(level, text);
}
MarkdownBlock paragraph(const QString& text) {
    return MarkdownBlock::paragraph(text);
}
MarkdownBlock bullets(const QStringList& items) {
    return MarkdownBlock::bulletList(items);
}
MarkdownBlock numbered(const QStringList& items) {
    return MarkdownBlock::numberedList(items);
}
MarkdownBlock code(const QString& text) {
    return MarkdownBlock::codeBlock(text);
}
MarkdownBlock table(const QStringList& header, const Rows& rows) {
    return MarkdownBlock::table(header, rows);
}
MarkdownBlock quote(const QString& text) {
    return MarkdownBlock::blockquote(text);
}

void addColumns() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<Blocks>("expected");
}

void row(const char* name, const QString& text, const Blocks& expected) {
    QTest::newRow(name) << text << expected;
}

} // namespace

class TestMarkdownParser : public QObject {
    Q_OBJECT

    static void compareParse() {
        QFETCH(QString, text);
        QFETCH(Blocks, expected);
        QCOMPARE(MarkdownParser::parse(text), expected);
    }

private slots:
    void emptyAndBlank_data() {
        addColumns();
        row("null", QString(), {});
        row("empty", "", {});
        row("blank lines of spaces and tabs", "\n  \n\t\n", {});
        row("other space separators are blank", QString::fromUtf16(u"\u00A0\u3000\u2003\n\u202F"), {});
    }
    void emptyAndBlank() { compareParse(); }

    void headings_data() {
        addColumns();
        row("one hash", "# Title", {heading(1, "Title")});
        row("six hashes", "###### Six", {heading(6, "Six")});
        row("spaces around the title are trimmed", "###   Title   ", {heading(3, "Title")});
        row("indented", "  ## Indented", {heading(2, "Indented")});
        row("closing hashes stay text", "## Title ##", {heading(2, "Title ##")});
        row("glued to its text", "#Title", {paragraph("#Title")});
        row("seven hashes", "####### Seven", {paragraph("####### Seven")});
        row("lone hash", "#", {paragraph("#")});
        row("tab after the hashes", "#\tTab", {paragraph("#\tTab")});
        row("no-break space after the hashes", QString::fromUtf16(u"#\u00A0Title"),
            {paragraph(QString::fromUtf16(u"#\u00A0Title"))});
        row("a bar in a heading keeps it a heading", "# a | b\n|---|",
            {heading(1, "a | b"), paragraph("|---|")});
        row("headings in a row", "# One\n## Two", {heading(1, "One"), heading(2, "Two")});
    }
    void headings() { compareParse(); }

    void paragraphs_data() {
        addColumns();
        row("lines joined and trimmed", "  one  \n\ttwo", {paragraph("one\ntwo")});
        row("blank line separates", "one\n\ntwo", {paragraph("one"), paragraph("two")});
        row("three hyphens are no rule", "---", {paragraph("---")});
        row("quote marker glued to text", "text\n>glued", {paragraph("text\n>glued")});
        row("bullet marker glued to text", "-glued\n*glued", {paragraph("-glued\n*glued")});
        row("decimal number", "1.5 is a number", {paragraph("1.5 is a number")});
        row("abbreviation", "Dr. Smith", {paragraph("Dr. Smith")});
        row("lone number with its point", "42.", {paragraph("42.")});
        row("bar without separator", "a | b\nc", {paragraph("a | b\nc")});
        row("ended by a heading", "text\n# H", {paragraph("text"), heading(1, "H")});
        row("ended by a bullet", "text\n- item", {paragraph("text"), bullets({"item"})});
        row("ended by a numbered item", "text\n1. item", {paragraph("text"), numbered({"item"})});
        row("ended by a quote", "text\n> q", {paragraph("text"), quote("q")});
        row("ended by a fence", "text\n```\nx", {paragraph("text"), code("x")});
        row("ended by a table start", "text\na | b\n---", {paragraph("text"), table({"a", "b"}, {})});
        row("inline markup and formulas stay text", "**bold** and $x^2$\n\\[y\\]",
            {paragraph("**bold** and $x^2$\n\\[y\\]")});
    }
    void paragraphs() { compareParse(); }

    void bulletLists_data() {
        addColumns();
        row("hyphens and stars mix", "- a\n* b\n- c", {bullets({"a", "b", "c"})});
        row("indented item joins the flat list", "- a\n  - b", {bullets({"a", "b"})});
        row("extra spaces stay in the item", "-  two", {bullets({" two"})});
        row("plain line ends the list", "- a\ntext", {bullets({"a"}), paragraph("text")});
        row("blank line ends the list", "- a\n\n- b", {bullets({"a"}), bullets({"b"})});
        row("numbered line ends the list", "- a\n1. b", {bullets({"a"}), numbered({"b"})});
        row("bullet line over a separator starts a table", "* a | b\n|---|---|", {table({"* a", "b"}, {})});
        row("a running list takes a bullet line over a separator", "- a\n- b | c\n---",
            {bullets({"a", "b | c"}), paragraph("---")});
    }
    void bulletLists() { compareParse(); }

    void numberedLists_data() {
        addColumns();
        row("source numbers dropped", "4. a\n5. b\n6. c", {numbered({"a", "b", "c"})});
        row("blank line starts a new list", "1. a\n2. b\n\n3. c", {numbered({"a", "b"}), numbered({"c"})});
        row("two spaces keep one", "1.  a", {numbered({" a"})});
        row("signed numbers", "-1. minus\n+2. plus", {numbered({"minus", "plus"})});
        row("largest 64-bit number", "9223372036854775807. max", {numbered({"max"})});
        row("smallest 64-bit number", "-9223372036854775808. min", {numbered({"min"})});
        row("beyond 64 bits", "9223372036854775808. over", {paragraph("9223372036854775808. over")});
        row("sign without digits", "-. x\n+-1. y", {paragraph("-. x\n+-1. y")});
        row("point not followed by a space", "1.x\n1.2. y", {paragraph("1.x\n1.2. y")});
        row("text before the number", "a1. x", {paragraph("a1. x")});
        row("bullet line ends the list", "1. a\n- b", {numbered({"a"}), bullets({"b"})});
    }
    void numberedLists() { compareParse(); }

    void codeBlocks_data() {
        addColumns();
        row("closed fence", "```\ncode\n```", {code("code")});
        row("language name dropped, lines kept exactly", "```python\n  indented\n\n$x$ *y* # z\n```\nafter",
            {code("  indented\n\n$x$ *y* # z"), paragraph("after")});
        row("unclosed fence runs to the end", "```\nunclosed\n# not a heading\n",
            {code("unclosed\n# not a heading\n")});
        row("fence on the last line", "text\n```", {paragraph("text"), code("")});
        row("empty block", "```\n```", {code("")});
        row("indented closing fence with text after it", "  ```\ncode\n   ``` trailing\nafter",
            {code("code"), paragraph("after")});
        row("carriage returns stay in the code", "```\r\na\r\n```\r", {code("a\r")});
        row("two blocks", "```\na\n```\n```\nb\n```", {code("a"), code("b")});
    }
    void codeBlocks() { compareParse(); }

    void tables_data() {
        addColumns();
        row("outer bars optional", "| a | b |\n|---|:--:|\n| 1 | 2 |\n3 | 4",
            {table({"a", "b"}, {{"1", "2"}, {"3", "4"}})});
        row("ragged rows kept as written", "|a|b|\n|-|-|\n|1|2|3|\n|4|",
            {table({"a", "b"}, {{"1", "2", "3"}, {"4"}})});
        row("no rows", "a | b\n---", {table({"a", "b"}, {})});
        row("hyphens separated by spaces", "a | b\n- - -", {table({"a", "b"}, {})});
        row("indented separator", "a | b\n   |---|   ", {table({"a", "b"}, {})});
        row("tab in the separator", "a | b\n-\t-", {paragraph("a | b\n-\t-")});
        row("letter in the separator", "a | b\n--x", {paragraph("a | b\n--x")});
        row("separator without a hyphen", "a | b\n|:|:|", {paragraph("a | b\n|:|:|")});
        row("blank line ends the table", "a|b\n---\n1|2\n\n3|4",
            {table({"a", "b"}, {{"1", "2"}}), paragraph("3|4")});
        row("line without a bar ends the table", "a|b\n---\n1|2\nend",
            {table({"a", "b"}, {{"1", "2"}}), paragraph("end")});
        row("heading line with a bar is a row", "a|b\n---\n# h | x", {table({"a", "b"}, {{"# h", "x"}})});
        row("lone bars give one empty cell", "|\n---\n||", {table({""}, {{""}})});
        row("empty cells kept", "| a | | b |\n---", {table({"a", "", "b"}, {})});
    }
    void tables() { compareParse(); }

    void blockquotes_data() {
        addColumns();
        row("lines joined", "> a\n> b", {quote("a\nb")});
        row("bare marker gives an empty line", "> a\n>\n> b", {quote("a\n\nb")});
        row("glued marker is no quote", ">glued", {paragraph(">glued")});
        row("nested and list markers stay text", "> > nested\n> - item", {quote("> nested\n- item")});
        row("extra spaces stay", ">  two", {quote(" two")});
        row("indented", "  > indented", {quote("indented")});
        row("plain line ends the quote", "> a\ntext", {quote("a"), paragraph("text")});
    }
    void blockquotes() { compareParse(); }

    void lineEnds_data() {
        addColumns();
        row("carriage return stays at the end of each line", "a\r\nb\r\n", {paragraph("a\r\nb\r")});
        row("a line of only a carriage return is not blank", "a\r\n\r\nb", {paragraph("a\r\n\r\nb")});
        row("heading keeps its carriage return", "# T\r\n", {heading(1, "T\r")});
        row("lone carriage returns break no line", "a\rb\r# c", {paragraph("a\rb\r# c")});
    }
    void lineEnds() { compareParse(); }

    void wholeAnswer() {
        const QString answer = "## Result\n"
                               "The area is $\\pi r^2$,\n"
                               "as shown below.\n"
                               "\n"
                               "$$A = \\pi r^2$$\n"
                               "\n"
                               "1. Measure\n"
                               "2. Square\n"
                               "- note\n"
                               "```tex\n"
                               "\\int_0^1 x\\,dx\n"
                               "```\n"
                               "| r | A |\n"
                               "|---|---|\n"
                               "| 1 | 3.14 |\n"
                               "> Remember the units.\n";
        const Blocks expected{heading(2, "Result"),
                              paragraph("The area is $\\pi r^2$,\nas shown below."),
                              paragraph("$$A = \\pi r^2$$"),
                              numbered({"Measure", "Square"}),
                              bullets({"note"}),
                              code("\\int_0^1 x\\,dx"),
                              table({"r", "A"}, {{"1", "3.14"}}),
                              quote("Remember the units.")};
        QCOMPARE(MarkdownParser::parse(answer), expected);
    }

    void splitTableRow_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("cells");
        QTest::newRow("outer bars") << "| a | b |" << QStringList{"a", "b"};
        QTest::newRow("no outer bars") << "a | b" << QStringList{"a", "b"};
        QTest::newRow("only one outer bar removed") << "||a||" << QStringList{"", "a", ""};
        QTest::newRow("lone bar") << "|" << QStringList{""};
        QTest::newRow("two bars") << "||" << QStringList{""};
        QTest::newRow("no escape for bars") << "a \\| b" << QStringList{"a \\", "b"};
        QTest::newRow("cells trimmed of tabs and wide spaces")
            << QString::fromUtf16(u" |\ta\u3000| b |  ") << QStringList{"a", "b"};
    }
    void splitTableRow() {
        QFETCH(QString, line);
        QFETCH(QStringList, cells);
        QCOMPARE(MarkdownParser::splitTableRow(line), cells);
    }
};

QTEST_APPLESS_MAIN(TestMarkdownParser)
#include "test_markdown_parser.moc"
