// The drag payload of a thumbnail: the page's zero-based index as decimal text, and its strict reading.
#pragma once

#include <QString>

#include <optional>

namespace zepla::ui::PageDropPayload {

QString make(int pageIndex);

// An optional "+" or "-" followed by one or more digits 0 to 9 and nothing else, within a signed 64-bit
// integer; anything else reads as nothing. A negative number reads, though it names no page.
std::optional<qint64> read(const QString& text);

} // namespace zepla::ui::PageDropPayload
