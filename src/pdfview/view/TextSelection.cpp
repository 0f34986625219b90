#include "TextSelection.h"

#include <QStringList>
#include <QtMath>

#include <algorithm>
#include <cmath>
#include <limits>

namespace zepla::pdfview {

namespace {

// Distance from a value to an interval, 0 inside it.
double gap(double value, double low, double high) {
    if (value < low)
        return low - value;
    if (value > high)
        return value - high;
    return 0.0;
}

// The line nearest to a page point: the least distance across a line, then along it, each line measured in
// its own direction.
int nearestLine(const PageText& text, const QPointF& pagePoint) {
    int best = -1;
    double bestAcross = std::numeric_limits<double>::max();
    double bestAlong = std::numeric_limits<double>::max();
    for (size_t i = 0; i < text.lines.size(); ++i) {
        if (text.lines[i].chars.empty())
            continue;
        const QPointF p = text.toLine[i].map(pagePoint);
        const QRectF box = text.toLine[i].mapRect(text.lines[i].box);
        const double across = gap(p.y(), box.top(), box.bottom());
        const double along = gap(p.x(), box.left(), box.right());
        if (across < bestAcross || (across == bestAcross && along < bestAlong)) {
            best = int(i);
            bestAcross = across;
            bestAlong = along;
        }
    }
    return best;
}

// The character of line `line` under a page point along the line, or the closest one; with the point's place
// before (false) or after (true) the character's middle.
std::pair<int, bool> nearestChar(const PageText& text, int line, const QPointF& pagePoint) {
    const QTransform& toLine = text.toLine[size_t(line)];
    const pdf::TextLine& l = text.lines[size_t(line)];
    const double x = toLine.map(pagePoint).x();
    int best = 0;
    double bestDistance = std::numeric_limits<double>::max();
    for (size_t i = 0; i < l.chars.size(); ++i) {
        const QRectF box = toLine.mapRect(l.chars[i].box);
        const double d = gap(x, box.left(), box.right());
        if (d < bestDistance) {
            best = int(i);
            bestDistance = d;
        }
    }
    return {best, x > toLine.mapRect(l.chars[size_t(best)].box).center().x()};
}

// The line's direction in whole quarter turns, counter-clockwise.
int quarterTurnDegrees(const QPointF& direction) {
    const double degrees = qRadiansToDegrees(std::atan2(direction.y(), direction.x()));
    return (int(std::lround(degrees / 90)) * 90 + 360) % 360;
}

bool isWordChar(char32_t c) {
    return QChar::isLetterOrNumber(c) || c == U'_' || c == U'\'' || c == U'\u2019';
}

QRectF unitedBoxes(const pdf::TextLine& line, int from, int to) {
    QRectF box;
    for (int i = from; i < to; ++i)
        box = box.united(line.chars[size_t(i)].box);
    return box;
}

QString charsText(const pdf::TextLine& line, int from, int to) {
    QString s;
    for (int i = from; i < to; ++i)
        s += QString::fromUcs4(&line.chars[size_t(i)].character, 1);
    return s;
}

} // namespace

PageText PageText::from(const pdf::StructuredText& text) {
    PageText page;
    for (const pdf::TextBlock& block : text.blocks) {
        for (const pdf::TextLine& line : block.lines) {
            const QPointF d = line.direction;
            page.lines.push_back(line);
            // Page space is y-up: a line's tops lie a quarter turn counter-clockwise from its direction.
            page.toLine.emplace_back(d.x(), -d.y(), d.y(), d.x(), 0, 0);
        }
    }
    return page;
}

TextPosition positionAt(const PageText& text, int page, const QPointF& pagePoint) {
    const int line = nearestLine(text, pagePoint);
    if (line < 0)
        return {};
    const auto [i, after] = nearestChar(text, line, pagePoint);
    return TextPosition{page, line, after ? i + 1 : i};
}

std::pair<TextPosition, TextPosition> wordAt(const PageText& text, int page, const QPointF& pagePoint) {
    const int line = nearestLine(text, pagePoint);
    if (line < 0)
        return {};
    const pdf::TextLine& l = text.lines[size_t(line)];
    const int i = nearestChar(text, line, pagePoint).first;
    int from = i;
    int to = i + 1;
    if (isWordChar(l.chars[size_t(i)].character)) {
        while (from > 0 && isWordChar(l.chars[size_t(from - 1)].character))
            --from;
        while (to < int(l.chars.size()) && isWordChar(l.chars[size_t(to)].character))
            ++to;
    }
    return {TextPosition{page, line, from}, TextPosition{page, line, to}};
}

std::pair<TextPosition, TextPosition> lineAt(const PageText& text, int page, const QPointF& pagePoint) {
    const int line = nearestLine(text, pagePoint);
    if (line < 0)
        return {};
    return {TextPosition{page, line, 0},
            TextPosition{page, line, int(text.lines[size_t(line)].chars.size())}};
}

bool isOverText(const PageText& text, const QPointF& pagePoint) {
    return std::any_of(text.lines.begin(), text.lines.end(),
                       [&](const pdf::TextLine& line) { return line.box.contains(pagePoint); });
}

std::vector<LineSelection> selectLines(const TextPosition& a, const TextPosition& b,
                                       const std::function<const PageText&(int page)>& textOf) {
    std::vector<LineSelection> result;
    if (a.isNull() || b.isNull() || a == b)
        return result;
    const TextPosition from = std::min(a, b);
    const TextPosition to = std::max(a, b);
    for (int page = from.page; page <= to.page; ++page) {
        const PageText& text = textOf(page);
        const int firstLine = page == from.page ? from.line : 0;
        const int lastLine = page == to.page ? to.line : int(text.lines.size()) - 1;
        for (int line = firstLine; line <= lastLine && line < int(text.lines.size()); ++line) {
            const pdf::TextLine& l = text.lines[size_t(line)];
            const int start = (page == from.page && line == from.line) ? from.offset : 0;
            const int end = (page == to.page && line == to.line) ? to.offset : int(l.chars.size());
            if (end <= start)
                continue;
            result.push_back(LineSelection{page, unitedBoxes(l, start, end), quarterTurnDegrees(l.direction),
                                           charsText(l, start, end)});
        }
    }
    return result;
}

QString joinedText(const std::vector<LineSelection>& lines) {
    QStringList texts;
    for (const LineSelection& line : lines)
        texts << line.text;
    return texts.join(QLatin1Char('\n'));
}

} // namespace zepla::pdfview
