// Inline Markdown: pieces of text and delimiter runs, links and code spans first, then emphasis matched by
// the delimiter-stack rules of CommonMark, with strikethrough as GitHub writes it.
#include "InlineMarkdownReader.h"

#include <QHash>
#include <QRegularExpression>
#include <QVarLengthArray>

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>

namespace zepla::markdown {

namespace {

bool isPunctuation(QChar c) {
    return c.isPunct() || c.isSymbol();
}

bool isAsciiPunctuation(QChar c) {
    return c.unicode() < 0x80 && c.unicode() > 0x20 && !c.isLetterOrNumber();
}

// The ASCII characters that may start inline syntax; plain text runs up to the next of them.
constexpr std::array<bool, 128> syntaxStarts = [] {
    std::array<bool, 128> starts{};
    for (char c : std::string_view("\\`*_~<[!"))
        starts[size_t(c)] = true;
    return starts;
}();

bool startsSyntax(QChar c) {
    return c.unicode() < syntaxStarts.size() && syntaxStarts[c.unicode()];
}

// A link's address as a span of the text; e-mail autolinks get "mailto:" in front. No address, no link.
struct Link {
    QStringView address;
    bool mail = false;

    static constexpr QStringView mailScheme = u"mailto:";

    // Compared as the addresses they give, so "mailto:" written out equals an e-mail autolink.
    friend bool operator==(const Link& a, const Link& b) {
        if (a.mail == b.mail)
            return a.address == b.address;
        const Link& mail = a.mail ? a : b;
        const Link& written = a.mail ? b : a;
        return written.address.size() == mailScheme.size() + mail.address.size() &&
               written.address.startsWith(mailScheme) &&
               written.address.sliced(mailScheme.size()) == mail.address;
    }
};

// Links are numbered as they are read; pieces outside links carry none.
constexpr int noLink = -1;

// One piece of the run: a span of the text with the attributes fixed while reading, or a run of emphasis
// markers (the span starts at its first marker). Pieces point into the text, so reading copies nothing.
struct Piece {
    qsizetype from = 0;
    qsizetype length = 0;
    int link = noLink;
    // A delimiter run: how many markers are left of how many, its marker and whether it may open or close.
    int count = 0;
    int original = 0;
    // Style depths added by matched delimiters, summed into flags at the end.
    std::array<int, 3> depth{};
    char16_t marker = 0;
    bool canOpen = false;
    bool canClose = false;
    bool code = false;
};

enum Style { emphasisStyle, strongStyle, strikeStyle };

// The styles a piece stands in, one bit per style.
using Styles = unsigned;

bool has(Styles styles, Style style) {
    return styles & (1u << style);
}

class Reader {
public:
    explicit Reader(QStringView text) : m_text(text) {}

    void run(InlineRuns& result) {
        readPieces(0, m_text.size(), noLink);
        processEmphasis();
        gatherRuns(result);
    }

private:
    // Every "[" of the text from `from` on, in order, with the position of its "]" (or -1), found with one
    // stack so unclosed brackets cost nothing. Only texts with a link look for them, from the first "[" that
    // may start one: which "]" closes a "[" depends only on what follows it.
    void matchBrackets(qsizetype from) {
        QVarLengthArray<qsizetype, 8> open;
        for (qsizetype i = from; i < m_text.size(); ++i) {
            const QChar c = m_text[i];
            if (c == '\\') {
                ++i;
            } else if (c == '[') {
                open.push_back(m_brackets.size());
                m_brackets.emplace_back(i, -1);
            } else if (c == ']' && !open.empty()) {
                m_brackets[open.back()].second = i;
                open.pop_back();
            }
        }
        m_bracketsMatched = true;
    }

    qsizetype closingBracket(qsizetype open) {
        if (!m_bracketsMatched)
            matchBrackets(open);
        const auto found =
            std::lower_bound(m_brackets.begin(), m_brackets.end(), std::pair(open, qsizetype(-1)));
        return found != m_brackets.end() && found->first == open ? found->second : -1;
    }

    int addLink(Link link) {
        m_links.append(link);
        return int(m_links.size() - 1);
    }

    Link linkAt(int link) const { return link == noLink ? Link() : m_links[link]; }

    bool sameLink(int a, int b) const { return a == b || linkAt(a) == linkAt(b); }

    void addText(qsizetype from, qsizetype length, bool code, int link) {
        if (length == 0)
            return;
        if (!m_pieces.empty()) {
            Piece& last = m_pieces.back();
            if (last.marker == 0 && last.from + last.length == from && last.code == code &&
                sameLink(last.link, link)) {
                last.length += length;
                return;
            }
        }
        // Filled in place: a piece built on the stack and then copied in stalls the processor on each copy.
        Piece& piece = m_pieces.emplace_back();
        piece.from = from;
        piece.length = length;
        piece.code = code;
        piece.link = link;
    }

    void readPieces(qsizetype from, qsizetype to, int link) {
        qsizetype i = from;
        while (i < to) {
            const QChar c = m_text[i];
            if (c == '\\' && i + 1 < to && isAsciiPunctuation(m_text[i + 1])) {
                addText(i + 1, 1, false, link);
                i += 2;
            } else if (c == '`') {
                i = readCodeSpan(i, to, link);
            } else if (c == '*' || c == '_' || c == '~') {
                i = readDelimiterRun(i, to, link);
            } else if (c == '<') {
                i = readAutolink(i, to, link);
            } else if (c == '[' || (c == '!' && i + 1 < to && m_text[i + 1] == '[')) {
                i = readLink(i, to, link);
            } else {
                qsizetype end = i + 1;
                while (end < to && !startsSyntax(m_text[end]))
                    ++end;
                addText(i, end - i, false, link);
                i = end;
            }
        }
    }

    qsizetype readCodeSpan(qsizetype i, qsizetype to, int link) {
        qsizetype ticks = i;
        while (ticks < to && m_text[ticks] == '`')
            ++ticks;
        const qsizetype length = ticks - i;
        // A run length already searched for in vain from an earlier point has no closer further on either.
        const auto failed = m_noCloserFrom.constFind(length);
        if (failed != m_noCloserFrom.cend() && *failed <= ticks) {
            addText(i, length, false, link);
            return ticks;
        }
        const QStringView run = m_text.sliced(i, length);
        for (qsizetype at = m_text.indexOf(run, ticks); at >= 0 && at < to; at = m_text.indexOf(run, at)) {
            qsizetype end = at + length;
            if (end > to)
                break;
            if (end < to && m_text[end] == '`') {
                while (end < to && m_text[end] == '`')
                    ++end;
                at = end;
                continue;
            }
            const QStringView code = m_text.sliced(ticks, at - ticks);
            const bool padded =
                code.size() >= 2 && code.front() == ' ' && code.back() == ' ' && !code.trimmed().isEmpty();
            addText(padded ? ticks + 1 : ticks, padded ? code.size() - 2 : code.size(), true, link);
            return end;
        }
        m_noCloserFrom.insert(length, ticks);
        addText(i, length, false, link);
        return ticks;
    }

    qsizetype readDelimiterRun(qsizetype i, qsizetype to, int link) {
        const QChar marker = m_text[i];
        qsizetype end = i;
        while (end < to && m_text[end] == marker)
            ++end;
        const int count = int(end - i);
        const QChar before = i > 0 ? m_text[i - 1] : QChar(' ');
        const QChar after = end < m_text.size() ? m_text[end] : QChar(' ');
        const bool leftFlanking =
            !after.isSpace() && (!isPunctuation(after) || before.isSpace() || isPunctuation(before));
        const bool rightFlanking =
            !before.isSpace() && (!isPunctuation(before) || after.isSpace() || isPunctuation(after));
        if (marker == '~' && count > 2) {
            addText(i, count, false, link);
            return end;
        }
        Piece& piece = m_pieces.emplace_back();
        piece.from = i;
        piece.link = link;
        piece.marker = marker.unicode();
        piece.count = piece.original = count;
        if (marker == '_') {
            piece.canOpen = leftFlanking && (!rightFlanking || isPunctuation(before));
            piece.canClose = rightFlanking && (!leftFlanking || isPunctuation(after));
        } else {
            piece.canOpen = leftFlanking;
            piece.canClose = rightFlanking;
        }
        return end;
    }

    qsizetype readAutolink(qsizetype i, qsizetype to, int link) {
        static const QRegularExpression uri(QStringLiteral("^<([A-Za-z][A-Za-z0-9+.-]{1,31}:[^<>\\s]*)>"));
        static const QRegularExpression email(
            QStringLiteral("^<([A-Za-z0-9.!#$%&'*+/=?^_`{|}~-]+@[A-Za-z0-9](?:[A-Za-z0-9-]{0,61}[A-Za-z0-9])?"
                           "(?:\\.[A-Za-z0-9](?:[A-Za-z0-9-]{0,61}[A-Za-z0-9])?)*)>"));
        const QStringView rest = m_text.sliced(i, to - i);
        for (const bool mail : {false, true}) {
            const QRegularExpressionMatch match = (mail ? email : uri).match(rest);
            if (match.hasMatch()) {
                addText(i + 1, match.capturedLength(1), false,
                        addLink({m_text.sliced(i + 1, match.capturedLength(1)), mail}));
                return i + match.capturedLength(0);
            }
        }
        addText(i, 1, false, link);
        return i + 1;
    }

    // "[text](address)", "[text](address "title")" or an image "![alt](address)", whose alt text is shown.
    qsizetype readLink(qsizetype i, qsizetype to, int link) {
        const bool image = m_text[i] == '!';
        const qsizetype open = image ? i + 1 : i;
        const qsizetype close = closingBracket(open);
        if (close < 0 || close + 1 >= to || m_text[close + 1] != '(') {
            addText(i, open + 1 - i, false, link);
            return open + 1;
        }
        const qsizetype end = closingParenthesis(close + 2, to);
        if (end < 0) {
            addText(i, open + 1 - i, false, link);
            return open + 1;
        }
        const QStringView inside = m_text.sliced(close + 2, end - close - 2).trimmed();
        const qsizetype space = inside.indexOf(u' ');
        QStringView address = space < 0 ? inside : inside.left(space);
        const QStringView title = space < 0 ? QStringView() : inside.sliced(space).trimmed();
        const bool titled = title.isEmpty() || (title.size() >= 2 && title.front() == title.back() &&
                                                QStringView(u"\"'").contains(title.front()));
        if (!titled || address.contains(u'\n')) {
            addText(i, open + 1 - i, false, link);
            return open + 1;
        }
        if (address.startsWith('<') && address.endsWith('>'))
            address = address.mid(1, address.size() - 2);
        readPieces(open + 1, close, image ? link : addLink({address}));
        return end + 1;
    }
    // The ")" that closes a link's address on its line, parentheses inside it balanced; -1 when there is
    // none.
    qsizetype closingParenthesis(qsizetype from, qsizetype to) const {
        int depth = 0;
        for (qsizetype i = from; i < to; ++i) {
            const QChar c = m_text[i];
            if (c == '\n')
                return -1;
            if (c == '\\')
                ++i;
            else if (c == '(')
                ++depth;
            else if (c == ')' && depth-- == 0)
                return i;
        }
        return -1;
    }

    // CommonMark's process_emphasis: a stack of the markers that may still open; markers between a matched
    // pair leave the stack, and a floor per marker and length class keeps failed searches from repeating.
    void processEmphasis() {
        std::array<std::array<qsizetype, 3>, 3> floor{};
        for (auto& byLength : floor)
            byLength.fill(-1);
        QVarLengthArray<qsizetype, 16> openers;
        for (qsizetype closer = 0; closer < qsizetype(m_pieces.size()); ++closer) {
            Piece& close = m_pieces[size_t(closer)];
            if (close.marker == 0)
                continue;
            if (close.canClose) {
                const int kind = close.marker == '*' ? 0 : close.marker == '_' ? 1 : 2;
                qsizetype& bottom = floor[size_t(kind)][size_t(close.original % 3)];
                for (bool matched = true; matched && close.count > 0;)
                    matched = matchOpener(openers, closer, bottom);
                if (close.count > 0)
                    bottom = closer - 1;
            }
            if (close.canOpen && close.count > 0)
                openers.push_back(closer);
        }
    }

    // Pairs the closer with the nearest fitting opener above the floor; false when there is none.
    bool matchOpener(QVarLengthArray<qsizetype, 16>& openers, qsizetype closer, qsizetype bottom) {
        Piece& close = m_pieces[size_t(closer)];
        for (size_t k = openers.size(); k-- > 0 && openers[k] > bottom;) {
            Piece& open = m_pieces[size_t(openers[k])];
            if (open.marker != close.marker || !pairs(open, close))
                continue;
            const int used =
                close.marker == '~' ? close.count : (open.count >= 2 && close.count >= 2 ? 2 : 1);
            const Style style = close.marker == '~' ? strikeStyle : used == 2 ? strongStyle : emphasisStyle;
            m_pieces[size_t(openers[k]) + 1].depth[style] += 1;
            close.depth[style] -= 1;
            open.count -= used;
            close.count -= used;
            openers.resize(open.count > 0 ? k + 1 : k);
            return true;
        }
        return false;
    }

    static bool pairs(const Piece& open, const Piece& close) {
        if (close.marker == '~')
            return open.count == close.count;
        // The rule of three: a run that can both open and close pairs only when the sum is no multiple of
        // three.
        if ((open.canClose || close.canOpen) && (open.original + close.original) % 3 == 0 &&
            (open.original % 3 != 0 || close.original % 3 != 0))
            return false;
        return true;
    }

    static qsizetype textLength(const Piece& piece) {
        // A marker run leaves as text only the markers that paired with nothing.
        return piece.marker == 0 ? piece.length : piece.count;
    }

    // Calls visit(first, end, styles) for each stretch of neighbouring pieces of one style; pieces that leave
    // no text join any stretch.
    template <typename Visit> void forEachRun(Visit visit) const {
        std::array<int, 3> depth{};
        Styles styles = 0;
        const Piece* first = nullptr;
        const Piece* last = nullptr;
        for (const Piece& piece : m_pieces) {
            Styles pieceStyles = 0;
            for (size_t style = 0; style < depth.size(); ++style) {
                depth[style] += piece.depth[style];
                pieceStyles |= Styles(depth[style] > 0) << style;
            }
            if (textLength(piece) == 0)
                continue;
            if (first &&
                (pieceStyles != styles || piece.code != first->code || !sameLink(piece.link, first->link))) {
                visit(first, last + 1, styles);
                first = nullptr;
            }
            if (!first) {
                first = &piece;
                styles = pieceStyles;
            }
            last = &piece;
        }
        if (first)
            visit(first, last + 1, styles);
    }

    // The text of a stretch when it is one span of the text read.
    std::optional<QStringView> spanOf(const Piece* first, const Piece* end) const {
        qsizetype to = first->from;
        for (const Piece* piece = first; piece != end; ++piece) {
            if (textLength(*piece) == 0)
                continue;
            if (piece->from != to)
                return std::nullopt;
            to += textLength(*piece);
        }
        return m_text.sliced(first->from, to - first->from);
    }

    // The most `joined` can hold: every piece once, and each e-mail autolink's address with "mailto:".
    qsizetype joinedCapacity() const {
        qsizetype capacity = m_text.size();
        for (const Link& link : m_links) {
            if (link.mail)
                capacity += Link::mailScheme.size() + link.address.size();
        }
        return capacity;
    }

    // Appends one run per stretch of one style. `joined` is allocated once, at the first run that needs it,
    // so the views into it hold.
    void gatherRuns(InlineRuns& result) const {
        const auto joinedSince = [&](qsizetype from) { return QStringView(result.joined).sliced(from); };
        forEachRun([&](const Piece* first, const Piece* end, Styles styles) {
            const std::optional<QStringView> span = spanOf(first, end);
            const Link link = linkAt(first->link);
            if ((!span || link.mail) && result.joined.capacity() == 0)
                result.joined.reserve(joinedCapacity());
            const qsizetype textFrom = result.joined.size();
            if (!span) {
                for (const Piece* piece = first; piece != end; ++piece)
                    result.joined.append(m_text.sliced(piece->from, textLength(*piece)));
            }
            const QStringView text = span ? *span : joinedSince(textFrom);
            const qsizetype linkFrom = result.joined.size();
            if (link.mail)
                result.joined.append(Link::mailScheme).append(link.address);
            result.runs.emplace_back(text, has(styles, emphasisStyle), has(styles, strongStyle),
                                     has(styles, strikeStyle), first->code,
                                     link.mail ? joinedSince(linkFrom) : link.address);
        });
    }

    QStringView m_text;
    QVarLengthArray<std::pair<qsizetype, qsizetype>, 8> m_brackets;
    bool m_bracketsMatched = false;
    QHash<qsizetype, qsizetype> m_noCloserFrom;
    QVarLengthArray<Link, 4> m_links;
    // Short texts, the usual case, are read without touching the heap.
    QVarLengthArray<Piece, 32> m_pieces;
};

} // namespace

InlineRuns InlineMarkdownReader::read(QStringView text) {
    // Filled in place, so nothing is copied on the way out.
    InlineRuns runs;
    // Many texts, the cells of a table say, are plain words.
    if (std::none_of(text.begin(), text.end(), startsSyntax)) {
        if (!text.isEmpty())
            runs.runs.emplace_back(text);
    } else {
        Reader(text).run(runs);
    }
    return runs;
}

} // namespace zepla::markdown
