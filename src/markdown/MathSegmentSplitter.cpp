// Plain runs and formulas of running text.
#include "MathSegmentSplitter.h"

#include <QTextBoundaryFinder>

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

class Splitter {
public:
    explicit Splitter(QStringView text) : m_text(text) {}

    MathSegments run() {
        qsizetype i = 0;
        while (i < m_text.size())
            i = step(i);
        flushPlain(m_text.size());
        return std::move(m_segments);
    }

private:
    // Handles the character at i and returns where to go on.
    qsizetype step(qsizetype i) {
        const char16_t c = m_text[i].unicode();
        if (c == '$' && standsAt(m_text, i, u"$$")) {
            if (const auto end = MathSegmentSplitter::findSequence(m_text, i + 2, u"$$"))
                return emitMath(i, 2, *end, true);
            return i + 2;
        }
        if (c == '$' && standsAt(m_text, i, u"$") && i + 1 < m_text.size()) {
            if (const auto end = MathSegmentSplitter::findChar(m_text, i + 1, '$'))
                return emitMath(i, 1, *end, false);
            return i + 1;
        }
        if (c == '\\' && standsAt(m_text, i, u"\\(")) {
            if (const auto end = MathSegmentSplitter::findSequence(m_text, i + 2, u"\\)"))
                return emitMath(i, 2, *end, false);
            return i + 2;
        }
        if (c == '\\' && standsAt(m_text, i, u"\\[")) {
            if (const auto end = MathSegmentSplitter::findSequence(m_text, i + 2, u"\\]"))
                return emitMath(i, 2, *end, true);
            return i + 2;
        }
        return i + 1;
    }

    // The formula between an opener of `length` at `open` and its closer (of the same length) at `close`.
    qsizetype emitMath(qsizetype open, qsizetype length, qsizetype close, bool display) {
        flushPlain(open);
        m_segments.append(
            {MathSegment::Kind::math, m_text.sliced(open + length, close - open - length), display});
        m_plainStart = close + length;
        return m_plainStart;
    }

    void flushPlain(qsizetype end) {
        if (end > m_plainStart)
            m_segments.append(
                {MathSegment::Kind::text, m_text.sliced(m_plainStart, end - m_plainStart), false});
        m_plainStart = end;
    }

    QStringView m_text;
    MathSegments m_segments;
    qsizetype m_plainStart = 0;
};

} // namespace

MathSegments MathSegmentSplitter::split(QStringView text) {
    return Splitter(text).run();
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
