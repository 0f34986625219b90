// Walks the lines of a text front to back, with a look at the line after the current one.
#pragma once

#include <QStringView>
#include <optional>

namespace zepla::markdown {

// Lines end at each line feed, which belongs to neither line; a text of n line feeds has n + 1 lines,
// the last one empty when the text ends with a line feed. Lines are found as they are reached, so walking
// a text costs one pass and no memory per line.
class LineCursor {
public:
    explicit LineCursor(QStringView text) : text(text), end(lineEndFrom(0)) {}

    bool atEnd() const { return start > text.size(); }
    QStringView current() const { return text.sliced(start, end - start); }
    std::optional<QStringView> following() const;
    void advance();

    // Where the current line starts in the text; spans of whole lines are cut from the text by it.
    qsizetype position() const { return start; }
    QStringView span(qsizetype from, qsizetype to) const { return text.sliced(from, to - from); }

private:
    qsizetype lineEndFrom(qsizetype from) const;

    QStringView text;
    qsizetype start = 0;
    qsizetype end;
    // The end of the following line once it has been looked at, so no line is searched twice.
    mutable std::optional<qsizetype> followingEnd;
};

} // namespace zepla::markdown
