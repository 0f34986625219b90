// Cuts an assistant answer into a flat list of Markdown blocks, line by line.
#include "MarkdownParser.h"

#include "HorizontalSpace.h"

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

// Joins views that all lie in one text with "\n" between them.
QString joinLines(const QList<QStringView>& lines) {
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

class BlockReader {
public:
    explicit BlockReader(QStringView text) : lines(text.split(u'\n')) {}

    QList<MarkdownBlock> readAll() {
        while (next < lines.size()) {
            const QStringView t = trimmedLine(next);
            switch (classify(next, t)) {
            case LineKind::blank:
                ++next;
                break;
            case LineKind::fence:
                readCodeBlock();
                break;
            case LineKind::heading: {
                const auto heading = MarkdownParser::headingLevel(t);
                blocks.append(MarkdownBlock::heading(heading->level, heading->text.toString()));
                ++next;
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
                readParagraph();
                break;
            }
        }
        return blocks;
    }

private:
    QStringView trimmedLine(qsizetype k) const { return trimHorizontalSpace(lines[k]); }

    bool isTableStart(qsizetype k, QStringView t) const {
        return t.contains(u'|') && k + 1 < lines.size() && MarkdownParser::isTableSeparator(lines[k + 1]);
    }

    LineKind classify(qsizetype k, QStringView t) const {
        if (t.isEmpty())
            return LineKind::blank;
        if (isFence(t))
            return LineKind::fence;
        if (MarkdownParser::headingLevel(t))
            return LineKind::heading;
        if (isTableStart(k, t))
            return LineKind::tableStart;
        if (isQuoteLine(t))
            return LineKind::quote;
        if (isBulletLine(t))
            return LineKind::bullet;
        if (isNumberedItem(t))
            return LineKind::numbered;
        return LineKind::plain;
    }

    static bool isNumberedItem(QStringView t) { return MarkdownParser::numberedListItem(t).has_value(); }
    static QStringView numberedItemText(QStringView t) { return *MarkdownParser::numberedListItem(t); }
    // Quote and bullet markers are two characters ("> ", "- ", "* "); a bare ">" leaves nothing.
    static QStringView afterMarker(QStringView t) { return t.mid(2); }

    static QStringList toStrings(const QList<QStringView>& views) {
        QStringList strings;
        strings.reserve(views.size());
        for (QStringView view : views)
            strings.append(view.toString());
        return strings;
    }

    // The current line and every following line that passes the same test, each reduced to its content.
    template <typename Test, typename Content> QList<QStringView> readRun(Test passes, Content content) {
        QList<QStringView> pieces;
        for (QStringView t; next < lines.size() && passes(t = trimmedLine(next)); ++next)
            pieces.append(content(t));
        return pieces;
    }

    // Code keeps its lines exactly as written; the lines are consecutive views of one text, so the code
    // is the span from the first to the last of them.
    void readCodeBlock() {
        const qsizetype first = ++next;
        while (next < lines.size() && !isFence(trimmedLine(next)))
            ++next;
        const QString code =
            next > first ? QStringView(lines[first].begin(), lines[next - 1].end()).toString() : QString();
        blocks.append(MarkdownBlock::codeBlock(code));
        if (next < lines.size())
            ++next;
    }

    void readTable(QStringView headerLine) {
        QStringList header = MarkdownParser::splitTableRow(headerLine);
        next += 2;
        QList<QStringList> rows;
        for (QStringView t; next < lines.size() && !(t = trimmedLine(next)).isEmpty() && t.contains(u'|');
             ++next)
            rows.append(MarkdownParser::splitTableRow(t));
        blocks.append(MarkdownBlock::table(std::move(header), std::move(rows)));
    }

    void readParagraph() {
        QList<QStringView> paragraph{trimmedLine(next)};
        for (QStringView t;
             ++next < lines.size() && classify(next, t = trimmedLine(next)) == LineKind::plain;)
            paragraph.append(t);
        blocks.append(MarkdownBlock::paragraph(joinLines(paragraph)));
    }

    const QList<QStringView> lines;
    qsizetype next = 0;
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
    for (QStringView cell : t.split(u'|'))
        cells.append(trimHorizontalSpace(cell).toString());
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
