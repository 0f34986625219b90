// Colours written in formulas as "#" and hexadecimal digits (\color, \textcolor, \colorbox).
#pragma once

#include <QColor>
#include <QStringView>

#include <optional>

namespace zepla::math {

// The colour of "#RRGGBB". The digits are read as one unsigned 64-bit number up to the first character that
// is not a hexadecimal digit, and its low 24 bits give red, green and blue, so a shorter number fills from
// the blue end and "#" alone is black. Text that is empty or does not begin with "#" gives no colour.
std::optional<QColor> colorFromHexString(QStringView text);

} // namespace zepla::math
