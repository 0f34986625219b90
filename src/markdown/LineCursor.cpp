// Walks the lines of a text front to back, with a look at the line after the current one.
#include "LineCursor.h"

namespace zepla::markdown {

qsizetype LineCursor::lineEndFrom(qsizetype from) const {
    const qsizetype feed = text.indexOf(u'\n', from);
    return feed < 0 ? text.size() : feed;
}

std::optional<QStringView> LineCursor::following() const {
    if (end >= text.size())
        return std::nullopt;
    if (!followingEnd)
        followingEnd = lineEndFrom(end + 1);
    return text.sliced(end + 1, *followingEnd - end - 1);
}

void LineCursor::advance() {
    start = end + 1;
    if (atEnd())
        return;
    end = followingEnd ? *followingEnd : lineEndFrom(start);
    followingEnd.reset();
}

} // namespace zepla::markdown
