#include "text/GraphemeText.h"

#include <QTextBoundaryFinder>

#include <algorithm>

namespace zepla::ai::graphemes {

namespace {

// Text without combining marks, joiners, variation selectors, surrogates or CR LF pairs breaks after every
// code unit; most page text is like that, and checking is far cheaper than walking the boundaries.
bool breaksEverywhere(QStringView text) {
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if (u >= 0x0300 || u == '\r')
            return false;
    }
    return true;
}

} // namespace

qsizetype count(const QString& text) {
    if (breaksEverywhere(text))
        return text.size();
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype n = 0;
    while (finder.toNextBoundary() != -1)
        ++n;
    return n;
}

qsizetype positionAfter(const QString& text, qsizetype n) {
    if (n <= 0)
        return 0;
    if (breaksEverywhere(QStringView(text).first(std::min(text.size(), n + 1))))
        return std::min(text.size(), n);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype position = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const qsizetype next = finder.toNextBoundary();
        if (next == -1)
            break;
        position = next;
    }
    return position;
}

QString prefix(const QString& text, qsizetype n) {
    return text.left(positionAfter(text, n));
}

Range widened(const QString& text, qsizetype start, qsizetype end, qsizetype n) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    finder.setPosition(start);
    Range range{start, end};
    for (qsizetype i = 0; i < n && range.start > 0; ++i)
        range.start = finder.toPreviousBoundary();
    finder.setPosition(end);
    for (qsizetype i = 0; i < n && range.end < text.size(); ++i)
        range.end = finder.toNextBoundary();
    range.start = std::max<qsizetype>(range.start, 0);
    range.end = range.end < 0 ? text.size() : range.end;
    return range;
}

QString trimmedHorizontally(const QString& text) {
    const auto horizontal = [](QChar c) { return c == u'\t' || c.category() == QChar::Separator_Space; };
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && horizontal(text[start]))
        ++start;
    while (end > start && horizontal(text[end - 1]))
        --end;
    return text.mid(start, end - start);
}

} // namespace zepla::ai::graphemes
