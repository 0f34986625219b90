// Inline Markdown: pieces of text and delimiter runs, links and code spans first, then emphasis matched by
// the delimiter-stack rules of CommonMark, with strikethrough as GitHub writes it.
#include "InlineMarkdownReader.h"

#include <QHash>
#include <QRegularExpression>

#include <array>
#include <vector>

namespace zepla::markdown {

namespace {

bool isPunctuation(QChar c) {
    return c.isPunct() || c.isSymbol();
}

bool isAsciiPunctuation(QChar c) {
    return c.unicode() < 0x80 && c.unicode() > 0x20 && !c.isLetterOrNumber();
}

// One piece of the run: text with the attributes fixed while reading, or a run of emphasis markers.
struct Piece {
    QString text;
    bool code = false;
    QString link;
    // A delimiter run: its marker, how many markers are left and whether it may open or close.
    char16_t marker = 0;
    int count = 0;
    int original = 0;
    bool canOpen = false;
    bool canClose = false;
    // Style depths added by matched delimiters, summed into flags at the end.
    std::array<int, 3> depth{};
};

enum Style { emphasisStyle, strongStyle, strikeStyle };

class Reader {
public:
    explicit Reader(QStringView text) : m_text(text) { matchBrackets(); }

    QList<InlineRun> run(const QString& link = QString()) {
        readPieces(0, m_text.size(), link);
        processEmphasis();
        return runs();
    }

private:
    // For each "[", the position of its "]" (or -1), found with one stack so unclosed brackets cost nothing.
    void matchBrackets() {
        m_closing.assign(size_t(m_text.size()), -1);
        std::vector<qsizetype> open;
        for (qsizetype i = 0; i < m_text.size(); ++i) {
            const QChar c = m_text[i];
            if (c == '\\') {
                ++i;
            } else if (c == '[') {
                open.push_back(i);
            } else if (c == ']' && !open.empty()) {
                m_closing[size_t(open.back())] = i;
                open.pop_back();
            }
        }
    }

    void addText(const QString& text, bool code, const QString& link) {
        if (text.isEmpty())
            return;
        if (!m_pieces.empty() && m_pieces.back().marker == 0 && m_pieces.back().code == code &&
            m_pieces.back().link == link) {
            m_pieces.back().text += text;
            return;
        }
        Piece piece;
        piece.text = text;
        piece.code = code;
        piece.link = link;
        m_pieces.push_back(std::move(piece));
    }

    void readPieces(qsizetype from, qsizetype to, const QString& link) {
        qsizetype i = from;
        while (i < to) {
            const QChar c = m_text[i];
            if (c == '\\' && i + 1 < to && isAsciiPunctuation(m_text[i + 1])) {
                addText(m_text[i + 1], false, link);
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
                while (end < to && !QStringView(u"\\`*_~<[!").contains(m_text[end]))
                    ++end;
                addText(m_text.mid(i, end - i).toString(), false, link);
                i = end;
            }
        }
    }

    qsizetype readCodeSpan(qsizetype i, qsizetype to, const QString& link) {
        qsizetype ticks = i;
        while (ticks < to && m_text[ticks] == '`')
            ++ticks;
        const qsizetype length = ticks - i;
        // A run length already searched for in vain from an earlier point has no closer further on either.
        const auto failed = m_noCloserFrom.constFind(length);
        if (failed != m_noCloserFrom.cend() && *failed <= ticks) {
            addText(m_text.mid(i, length).toString(), false, link);
            return ticks;
        }
        for (qsizetype at = m_text.indexOf(QStringView(m_text.mid(i, length)), ticks); at >= 0 && at < to;
             at = m_text.indexOf(QStringView(m_text.mid(i, length)), at)) {
            qsizetype end = at + length;
            if (end > to)
                break;
            if (end < to && m_text[end] == '`') {
                while (end < to && m_text[end] == '`')
                    ++end;
                at = end;
                continue;
            }
            QString code = m_text.mid(ticks, at - ticks).toString();
            if (code.size() >= 2 && code.front() == ' ' && code.back() == ' ' && !code.trimmed().isEmpty())
                code = code.mid(1, code.size() - 2);
            addText(code, true, link);
            return end;
        }
        m_noCloserFrom.insert(length, ticks);
        addText(m_text.mid(i, length).toString(), false, link);
        return ticks;
    }

    qsizetype readDelimiterRun(qsizetype i, qsizetype to, const QString& link) {
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
            addText(m_text.mid(i, count).toString(), false, link);
            return end;
        }
        Piece piece;
        piece.text = m_text.mid(i, count).toString();
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
        m_pieces.push_back(std::move(piece));
        return end;
    }

    qsizetype readAutolink(qsizetype i, qsizetype to, const QString& link) {
        static const QRegularExpression uri(QStringLiteral("^<([A-Za-z][A-Za-z0-9+.-]{1,31}:[^<>\\s]*)>"));
        static const QRegularExpression email(
            QStringLiteral("^<([A-Za-z0-9.!#$%&'*+/=?^_`{|}~-]+@[A-Za-z0-9](?:[A-Za-z0-9-]{0,61}[A-Za-z0-9])?"
                           "(?:\\.[A-Za-z0-9](?:[A-Za-z0-9-]{0,61}[A-Za-z0-9])?)*)>"));
        const QStringView rest = m_text.mid(i, to - i);
        if (const QRegularExpressionMatch match = uri.match(rest); match.hasMatch()) {
            addText(match.captured(1), false, match.captured(1));
            return i + match.capturedLength(0);
        }
        if (const QRegularExpressionMatch match = email.match(rest); match.hasMatch()) {
            addText(match.captured(1), false, QStringLiteral("mailto:") + match.captured(1));
            return i + match.capturedLength(0);
        }
        addText(QStringLiteral("<"), false, link);
        return i + 1;
    }

    // "[text](address)", "[text](address "title")" or an image "![alt](address)", whose alt text is shown.
    qsizetype readLink(qsizetype i, qsizetype to, const QString& link) {
        const bool image = m_text[i] == '!';
        const qsizetype open = image ? i + 1 : i;
        const qsizetype close = m_closing[size_t(open)];
        if (close < 0 || close + 1 >= to || m_text[close + 1] != '(') {
            addText(m_text.mid(i, open + 1 - i).toString(), false, link);
            return open + 1;
        }
        const qsizetype end = closingParenthesis(close + 2, to);
        if (end < 0) {
            addText(m_text.mid(i, open + 1 - i).toString(), false, link);
            return open + 1;
        }
        const QStringView inside = m_text.mid(close + 2, end - close - 2).trimmed();
        const qsizetype space = inside.indexOf(u' ');
        const QStringView address = space < 0 ? inside : inside.left(space);
        const QStringView title = space < 0 ? QStringView() : inside.mid(space).trimmed();
        const bool titled = title.isEmpty() || (title.size() >= 2 && title.front() == title.back() &&
                                                QStringView(u"\"'").contains(title.front()));
        if (!titled || address.contains(u'\n')) {
            addText(m_text.mid(i, open + 1 - i).toString(), false, link);
            return open + 1;
        }
        QString target = address.toString();
        if (target.startsWith('<') && target.endsWith('>'))
            target = target.mid(1, target.size() - 2);
        readPieces(open + 1, close, image ? link : target);
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
        std::vector<qsizetype> openers;
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
    bool matchOpener(std::vector<qsizetype>& openers, qsizetype closer, qsizetype bottom) {
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

    QList<InlineRun> runs() const {
        QList<InlineRun> result;
        std::array<int, 3> depth{};
        for (const Piece& piece : m_pieces) {
            for (size_t style = 0; style < depth.size(); ++style)
                depth[style] += piece.depth[style];
            // A marker run leaves as text only the markers that paired with nothing.
            const QString text = piece.marker == 0 ? piece.text : QString(piece.count, QChar(piece.marker));
            if (text.isEmpty())
                continue;
            InlineRun run{text,
                          depth[emphasisStyle] > 0,
                          depth[strongStyle] > 0,
                          depth[strikeStyle] > 0,
                          piece.code,
                          piece.link};
            if (!result.isEmpty()) {
                InlineRun& last = result.back();
                if (last.emphasis == run.emphasis && last.strong == run.strong &&
                    last.strikethrough == run.strikethrough && last.code == run.code &&
                    last.link == run.link) {
                    last.text += run.text;
                    continue;
                }
            }
            result.append(std::move(run));
        }
        return result;
    }

    QStringView m_text;
    std::vector<qsizetype> m_closing;
    QHash<qsizetype, qsizetype> m_noCloserFrom;
    std::vector<Piece> m_pieces;
};

} // namespace

QList<InlineRun> InlineMarkdownReader::read(QStringView text) {
    return Reader(text).run();
}

} // namespace zepla::markdown
