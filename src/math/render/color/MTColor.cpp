// Colours written in formulas as "#" and hexadecimal digits (\color, \textcolor, \colorbox).
#include "color/MTColor.h"

namespace zepla::math {

namespace {

std::optional<unsigned> hexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return std::nullopt;
}

} // namespace

std::optional<QColor> colorFromHexString(QStringView text) {
    if (text.isEmpty() || text.front() != u'#')
        return std::nullopt;
    // Only the low 24 bits are kept, so the number wrapping past 64 bits on a long run of digits is harmless.
    quint64 number = 0;
    for (QChar c : text.mid(1)) {
        const auto digit = hexDigit(c);
        if (!digit)
            break;
        number = (number << 4) | *digit;
    }
    return QColor::fromRgb(int((number >> 16) & 0xFF), int((number >> 8) & 0xFF), int(number & 0xFF));
}

} // namespace zepla::math
