// The text of one line display with its font, kerns and colours.
#include "display/MTAttributedString.h"

namespace zepla::math {

void MTAttributedString::append(const QString& text, const std::optional<QColor>& color) {
    const qsizetype start = m_string.size();
    m_string.append(text);
    if (color && !text.isEmpty())
        m_colors.push_back({start, m_string.size(), *color});
}

void MTAttributedString::kernLastCharacter(qreal space) {
    if (m_string.isEmpty())
        return;
    if (!m_kerns.empty() && m_kerns.back().end == m_string.size())
        m_kerns.back().space = space;
    else
        m_kerns.push_back({m_string.size(), space});
}

void MTAttributedString::setForegroundColor(const QColor& color) {
    m_colors.clear();
    if (!m_string.isEmpty())
        m_colors.push_back({0, m_string.size(), color});
}

} // namespace zepla::math
