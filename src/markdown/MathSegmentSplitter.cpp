// Plain runs and formulas of running text.
#include "MathSegmentSplitter.h"

#include <QTextBoundaryFinder>

#include <algorithm>
#include <array>

namespace zepla::markdown {

namespace {

// Grapheme rules only join across a boundary next to non-ASCII text, so a look at a few neighbours decides.
bool isBoundary(QStringView text, qsizetype position) {
    if (position <= 0 || position >= text.size())
        return true;
    const char16_t before = text[position - 1].unicode();
    const char16_t after = text[position].unicode();
    if (before < 0x80 && after < 0x80)
        return !(before == '\r' && after == '\n');
    const qsizetype start = std::max<qsizetype>(0, position - 8);
    const QString window = text.mid(start, std::min<qsizetype>(text.size(), position + 8) - start).toString();
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, window);
    finder.setPosition(position - start);
    return finder.isAtBoundary();
}

// True when the ASCII sequence stands at `position` as whole characters.
bool standsAt(QStringView text, qsizetype position, QStringView sequence) {
    if (position + sequence.size() > text.size() || text.mid(position, sequence.size()) != sequence)
        return false;
    for (qsizetype i = 0; i <= sequence.size(); ++i) {
        if (!isBoundary(text, position + i))
            return false;
    }
    return true;
}

struct Delimiter {
    QStringView open;
    QStringView close;
    bool display;
};

// Tried in this order at each "$" or backslash.
constexpr std::array<Delimiter, 4> delimiters{{
    {u"$$", u"$$", true},
    {u"$", u"$", false},
    {u"\\(", u"\\)", false},
    {u"\\[", u"\\]", true},
}};

class Splitter {
public:
    Splitter(QStringView text, MathSegments& segments) : m_text(text), m_segments(segments) {}

    void run() {
        qsizetype i = nextOpenerFrom(0);
        while (i < m_text.size())
            i = nextOpenerFrom(step(i));
        flushPlain(m_text.size());
    }

private:
    // Where the next "$" or backslash is, at `from` or after.
    qsizetype nextOpenerFrom(qsizetype from) const {
        const auto opens = [](QChar c) { return c == u'$' || c == u'\\'; };
        return std::find_if(m_text.begin() + from, m_text.end(), opens) - m_text.begin();
    }

    // Handles the delimiter that may start at i and returns where to go on.
    qsizetype step(qsizetype i) {
        for (size_t kind = 0; kind < delimiters.size(); ++kind) {
            const Delimiter& delimiter = delimiters[kind];
            if (!standsAt(m_text, i, delimiter.open))
                continue;
            const qsizetype inside = i + delimiter.open.size();
            if (const auto end = findCloser(kind, inside))
                return emitMath(i, delimiter.open.size(), *end, delimiter.display);
            return inside;
        }
        return i + 1;
    }

    // A closer looked for in vain from one place is missing from any later place too, so openers without
    // closers cost one search per kind, not one each.
    std::optional<qsizetype> findCloser(size_t kind, qsizetype from) {
        if (m_noCloserFrom[kind] && from >= *m_noCloserFrom[kind])
            return std::nullopt;
        const auto end = MathSegmentSplitter::findSequence(m_text, from, delimiters[kind].close);
        if (!end)
            m_noCloserFrom[kind] = from;
        return end;
    }

    // The formula between an opener of `length` at `open` and its closer (of the same length) at `close`.
    qsizetype emitMath(qsizetype open, qsizetype length, qsizetype close, bool display) {
        flushPlain(open);
        m_segments.emplace_back(MathSegment::Kind::math, m_text.sliced(open + length, close - open - length),
                                display);
        m_plainStart = close + length;
        return m_plainStart;
    }

    void flushPlain(qsizetype end) {
        if (end > m_plainStart)
            m_segments.emplace_back(MathSegment::Kind::text, m_text.sliced(m_plainStart, end - m_plainStart),
                                    false);
        m_plainStart = end;
    }

    QStringView m_text;
    // Filled in place, segment by segment: the caller's list, so nothing is copied on the way out.
    MathSegments& m_segments;
    qsizetype m_plainStart = 0;
    std::array<std::optional<qsizetype>, delimiters.size()> m_noCloserFrom;
};

} // namespace

MathSegments MathSegmentSplitter::split(QStringView text) {
    MathSegments segments;
    Splitter(text, segments).run();
    return segments;
}

std::optional<QString> MathSegmentSplitter::soleDisplayEquation(QStringView text) {
    const MathSegments segments = split(text.trimmed());
    if (segments.size() == 1 && segments.front().kind == MathSegment::Kind::math && segments.front().display)
        return segments.front().text.toString();
    return std::nullopt;
}

std::optional<qsizetype> MathSegmentSplitter::findSequence(QStringView text, qsizetype from,
                                                           QStringView sequence) {
    for (qsizetype at = text.indexOf(sequence, from); at >= 0; at = text.indexOf(sequence, at + 1)) {
        if (standsAt(text, at, sequence))
            return at;
    }
    return std::nullopt;
}

std::optional<qsizetype> MathSegmentSplitter::findChar(QStringView text, qsizetype from, char16_t target) {
    return findSequence(text, from, QStringView(&target, 1));
}

} // namespace zepla::markdown
