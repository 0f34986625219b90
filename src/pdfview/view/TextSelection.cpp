#include "TextSelection.h"

#include "pdf/PageTurn.h"

#include <QStringList>

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

// `p` is upright.
int nearestLine(const PageText& text, const QPointF& p) {
    int best = -1;
    double bestVertical = std::numeric_limits<double>::max();
    double bestHorizontal = std::numeric_limits<double>::max();
    for (size_t i = 0; i < text.lines.size(); ++i) {
        const QRectF box = text.toUpright.mapRect(text.lines[i].box);
        if (text.lines[i].chars.empty())
            continue;
        const double vertical = gap(p.y(), box.top(), box.bottom());
        const double horizontal = gap(p.x(), box.left(), box.right());
        if (vertical < bestVertical || (vertical == bestVertical && horizontal < bestHorizontal)) {
            best = int(i);
            bestVertical = vertical;
            bestHorizontal = horizontal;
        }
    }
    return best;
}

// The character under the upright point's x along the line, or the closest one.
int nearestChar(const PageText& text, const pdf::TextLine& line, double x) {
    int best = 0;
    double bestDistance = std::numeric_limits<double>::max();
    for (size_t i = 0; i < line.chars.size(); ++i) {
        const QRectF box = text.toUpright.mapRect(line.chars[i].box);
        const double d = gap(x, box.left(), box.right());
        if (d < bestDistance) {
            best = int(i);
            bestDistance = d;
        }
    }
    return best;
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

PageText PageText::from(const pdf::StructuredText& text, int pageRotation) {
    PageText page;
    page.toUpright = pdf::uprightToPage(pageRotation).inverted();
    for (const pdf::TextBlock& block : text.blocks)
        page.lines.insert(page.lines.end(), block.lines.begin(), block.lines.end());
    return page;
}

TextPosition positionAt(const PageText& text, int page, const QPointF& pagePoint) {
    const QPointF p = text.toUpright.map(pagePoint);
    const int line = nearestLine(text, p);
    if (line < 0)
        return {};
    const pdf::TextLine& l = text.lines[size_t(line)];
    const int i = nearestChar(text, l, p.x());
    const QRectF box = text.toUpright.mapRect(l.chars[size_t(i)].box);
    const int offset = p.x() > box.center().x() ? i + 1 : i;
    return TextPosition{page, line, offset};
}

std::pair<TextPosition, TextPosition> wordAt(const PageText& text, int page, const QPointF& pagePoint) {
    const QPointF p = text.toUpright.map(pagePoint);
    const int line = nearestLine(text, p);
    if (line < 0)
        return {};
    const pdf::TextLine& l = text.lines[size_t(line)];
    const int i = nearestChar(text, l, p.x());
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
    const int line = nearestLine(text, text.toUpright.map(pagePoint));
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
            result.push_back(LineSelection{page, unitedBoxes(l, start, end), charsText(l, start, end)});
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
