// Horizontal white space of Markdown lines: the tab and the Unicode space separators, never line breaks.
#include "HorizontalSpace.h"

#include <algorithm>
#include <iterator>

namespace zepla::markdown {

namespace {

struct CodeRange {
    char16_t first;
    char16_t last;
};

// The tab plus every character of the general category Zs (all of them lie in the BMP).
constexpr CodeRange horizontalSpaces[] = {
    {0x0009, 0x0009}, {0x0020, 0x0020}, {0x00A0, 0x00A0}, {0x1680, 0x1680},
    {0x2000, 0x200A}, {0x202F, 0x202F}, {0x205F, 0x205F}, {0x3000, 0x3000},
};

} // namespace

bool isHorizontalSpace(char16_t c) {
    // Answers are mostly ASCII, where only the space and the tab count.
    if (c < 0xA0)
        return c == u' ' || c == u'\t';
    if (c > 0x3000)
        return false;
    return std::any_of(std::begin(horizontalSpaces), std::end(horizontalSpaces),
                       [c](CodeRange r) { return c >= r.first && c <= r.last; });
}

QStringView trimHorizontalSpace(QStringView line) {
    const char16_t* begin = line.utf16();
    const char16_t* end = begin + line.size();
    while (begin != end && isHorizontalSpace(*begin))
        ++begin;
    while (end != begin && isHorizontalSpace(end[-1]))
        --end;
    return QStringView(begin, end);
}

} // namespace zepla::markdown
