// Cuts an assistant answer into a flat list of Markdown blocks, line by line.
#include "MarkdownParser.h"

#include "HorizontalSpace.h"
#include "LineCursor.h"

#include <QVarLengthArray>

#include <algorithm>
#include <cstdint>
#include <limits>

namespace zepla::markdown {

namespace {

constexpr int maxHeadingLevel = 6;

// What a trimmed line opens, tested in this order; a paragraph runs until a line that is not plain.
enum class LineKind { blank, fence, heading, tableStart, quote, bullet, numbered, plain };

bool isFence(QStringView t) {
    return t.startsWith(u"```");
}
bool isQuoteLine(QStringView t) {
    return t.startsWith(u"> ") || t == u">";
}
bool isBulletLine(QStringView t) {
    return t.startsWith(u"- ") || t.startsWith(u"* ");
}

bool isAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// An optional sign and ASCII digits whose value fits a signed 64-bit integer.
bool isDecimalInteger(QStringView s) {
    const bool negative = s.startsWith(u'-');
    if (negative || s.startsWith(u'+'))
        s = s.mid(1);
    if (s.isEmpty() || !std::all_of(s.begin(), s.end(), isAsciiDigit))
        return false;
    const std::uint64_t limit = std::uint64_t(std::numeric_limits<std::int64_t>::max()) + (negative ? 1 : 0);
    std::uint64_t value = 0;
    for (QChar c : s) {
        const std::uint64_t digit = c.unicode() - u'0';
        if (value > (limit - digit) / 10)
            return false;
        value = value * 10 + digit;
    }
    return true;
}

// Most runs of lines are short; longer ones spill to the heap.
using LineViews = QVarLengthArray<QStringView, 32>;

QString joinLines(const LineViews& lines) {
    qsizetype length = lines.isEmpty() ? 0 : lines.size() - 1;
    for (QStringView line : lines)
        length += line.size();
    QString joined;
    joined.reserve(length);
    for (qsizetype k = 0; k < lines.size(); ++k) {
        if (k > 0)
            joined += u'\n';
        joined += lines[k];
    }
    return joined;
}

QStringList toStrings(const LineViews& views) {
    QStringList strings;
    strings.reserve(views.size());
    for (QStringView view : views)
        strings.append(view.toString());
    return strings;
}

bool isNumberedItem(QStringView t) {
    return MarkdownParser::numberedListItem(t).has_value();
}
QStringView numberedItemText(QStringView t) {
    return *MarkdownParser::numberedListItem(t);
}
// Quote and bullet markers are two characters ("> ", "- ", "* "); a bare ">" leaves nothing.
QStringView afterMarker(QStringView t) {
    return t.mid(2);
}

class BlockReader {
public:
    explicit BlockReader(QStringView text) : lines(text) {}

    QList<MarkdownBlock> readAll() {
        while (!lines.atEnd()) {
            const QStringView t = trimHorizontalSpace(lines.current());
            switch (classify(t)) {
            case LineKind::blank:
                lines.advance();
                break;
            case LineKind::fence:
                readCodeBlock();
                break;
            case LineKind::heading: {
                const auto heading = MarkdownParser::headingLevel(t);
                blocks.append(MarkdownBlock::heading(heading->level, heading->text.toString()));
                lines.advance();
                break;
            }
            case LineKind::tableStart:
                readTable(t);
                break;
            case LineKind::quote:
                blocks.append(MarkdownBlock::blockquote(joinLines(readRun(isQuoteLine, afterMarker))));
                break;
            case LineKind::bullet:
                blocks.append(MarkdownBlock::bulletList(toStrings(readRun(isBulletLine, afterMarker))));
                break;
            case LineKind::numbered:
                blocks.append(
                    MarkdownBlock::numberedList(toStrings(readRun(isNumberedItem, numberedItemText))));
                break;
            case LineKind::plain:
                readParagraph(t);
                break;
            }
        }
        return blocks;
    }

private:
    // The current line, trimmed, if there is one and it passes the test.
    template <typename Test> std::optional<QStringView> currentIf(Test passes) const {
        if (lines.atEnd())
            return std::nullopt;
        const QStringView t = trimHorizontalSpace(lines.current());
        return passes(t) ? std::optional(t) : std::nullopt;
    }

    bool isTableStart(QStringView t) const {
        if (!t.contains(u'|'))
            return false;
        const auto following = lines.following();
        return following && MarkdownParser::isTableSeparator(*following);
    }

    LineKind classify(QStringView t) const {
        if (t.isEmpty())
            return LineKind::blank;
        if (isFence(t))
            return LineKind::fence;
        if (MarkdownParser::headingLevel(t))
            return LineKind::heading;
        if (isTableStart(t))
            return LineKind::tableStart;
        if (isQuoteLine(t))
            return LineKind::quote;
        if (isBulletLine(t))
            return LineKind::bullet;
        if (isNumberedItem(t))
            return LineKind::numbered;
        return LineKind::plain;
    }

    // The current line and every following line that passes the same test, each reduced to its content.
    template <typename Test, typename Content> LineViews readRun(Test passes, Content content) {
        LineViews contents;
        for (std::optional<QStringView> t; (t = currentIf(passes)); lines.advance())
            contents.append(content(*t));
        return contents;
    }

    // Code keeps its lines exactly as written, so it is the span of the text from the first to the last.
    void readCodeBlock() {
        lines.advance();
        const qsizetype from = lines.position();
        qsizetype to = from;
        for (; currentIf([](QStringView t) { return !isFence(t); }); lines.advance())
            to = lines.position() + lines.current().size();
        blocks.append(MarkdownBlock::codeBlock(to > from ? lines.span(from, to).toString() : QString()));
        if (!lines.atEnd())
            lines.advance();
    }

    void readTable(QStringView headerLine) {
        QStringList header = MarkdownParser::splitTableRow(headerLine);
        lines.advance();
        lines.advance();
        QList<QStringList> rows;
        const auto isRow = [](QStringView t) { return t.contains(u'|'); };
        for (std::optional<QStringView> t; (t = currentIf(isRow)); lines.advance())
            rows.append(MarkdownParser::splitTableRow(*t));
        blocks.append(MarkdownBlock::table(std::move(header), std::move(rows)));
    }

    void readParagraph(QStringView first) {
        LineViews paragraph{first};
        lines.advance();
        const auto isPlain = [this](QStringView t) { return classify(t) == LineKind::plain; };
        for (std::optional<QStringView> t; (t = currentIf(isPlain)); lines.advance())
            paragraph.append(*t);
        blocks.append(MarkdownBlock::paragraph(joinLines(paragraph)));
    }

    LineCursor lines;
    QList<MarkdownBlock> blocks;
};

} // namespace

QList<MarkdownBlock> MarkdownParser::parse(QStringView text) {
    return BlockReader(text).readAll();
}

std::optional<MarkdownParser::Heading> MarkdownParser::headingLevel(QStringView trimmedLine) {
    const auto run = std::find_if(trimmedLine.begin(), trimmedLine.end(), [](QChar c) { return c != u'#'; });
    const qsizetype level = run - trimmedLine.begin();
    if (level == 0 || level > maxHeadingLevel || run == trimmedLine.end() || *run != u' ')
        return std::nullopt;
    return Heading{int(level), trimHorizontalSpace(trimmedLine.mid(level))};
}

bool MarkdownParser::isTableSeparator(QStringView line) {
    const QStringView t = trimHorizontalSpace(line);
    const auto allowed = [](QChar c) { return c == u'-' || c == u':' || c == u'|' || c == u' '; };
    return t.contains(u'-') && std::all_of(t.begin(), t.end(), allowed);
}

QStringList MarkdownParser::splitTableRow(QStringView line) {
    QStringView t = trimHorizontalSpace(line);
    if (t.startsWith(u'|'))
        t = t.mid(1);
    if (t.endsWith(u'|'))
        t.chop(1);
    QStringList cells;
    cells.reserve(t.count(u'|') + 1);
    // Cells are short, so a plain walk finds their bars sooner than a search per cell.
    qsizetype start = 0;
    for (qsizetype i = 0; i <= t.size(); ++i) {
        if (i == t.size() || t[i] == u'|') {
            cells.append(trimHorizontalSpace(t.sliced(start, i - start)).toString());
            start = i + 1;
        }
    }
    return cells;
}

std::optional<QStringView> MarkdownParser::numberedListItem(QStringView trimmedLine) {
    // The number is a sign and digits, so the first "." lies right after them or the line is no item;
    // looking no further than that keeps long lines cheap.
    const auto numberEnd = std::find_if(trimmedLine.begin(), trimmedLine.end(),
                                        [](QChar c) { return !isAsciiDigit(c) && c != u'+' && c != u'-'; });
    const qsizetype dot = numberEnd - trimmedLine.begin();
    if (dot == 0 || dot + 1 >= trimmedLine.size() || trimmedLine[dot] != u'.' ||
        trimmedLine[dot + 1] != u' ' || !isDecimalInteger(trimmedLine.first(dot)))
        return std::nullopt;
    return trimmedLine.mid(dot + 2);
}

} // namespace zepla::markdown
