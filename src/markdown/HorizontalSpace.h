// Horizontal white space of Markdown lines: the tab and the Unicode space separators, never line breaks.
#pragma once

#include <QStringView>

namespace zepla::markdown {

bool isHorizontalSpace(char16_t c);

// Removes horizontal white space at both ends; a carriage return is not white space and stays.
QStringView trimHorizontalSpace(QStringView line);

} // namespace zepla::markdown
