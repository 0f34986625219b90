// The text of one line display with what the typesetter attaches to it: the font over the whole and the
// style the line is set in, the extra space (kern) after single characters, and foreground colours over
// ranges.
#pragma once

#include "fonts/SizedFont.h"
#include "mathlist/MTEnums.h"

#include <QColor>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace zepla::math {

class MTAttributedString {
public:
    struct Kern {
        qsizetype end; // the UTF-16 offset just past the character the space follows
        qreal space;
    };
    struct ColorRange {
        qsizetype start;
        qsizetype end;
        QColor color;
    };

    const QString& string() const { return m_string; }
    qsizetype length() const { return m_string.size(); }
    bool isEmpty() const { return m_string.isEmpty(); }

    // Appends text, in `color` when one is given. The first text appended is shared, not copied.
    void append(const QString& text, const std::optional<QColor>& color = std::nullopt);
    // Puts `space` after the last user-perceived character, replacing a kern it already has there. The space
    // follows the whole character once, however many code points it is made of.
    void kernLastCharacter(qreal space);
    // The foreground colour of the whole text, replacing every range.
    void setForegroundColor(const QColor& color);
    void setFont(std::shared_ptr<const SizedFont> font) { m_font = std::move(font); }
    // The style of the line: in the script styles some characters take the font's script forms
    // (MTTextLine). Display unless set.
    void setStyle(MTLineStyle style) { m_style = style; }

    const std::shared_ptr<const SizedFont>& font() const { return m_font; }
    MTLineStyle style() const { return m_style; }
    // In order of their offsets.
    const std::vector<Kern>& kerns() const { return m_kerns; }
    // In order, not overlapping.
    const std::vector<ColorRange>& colorRanges() const { return m_colors; }

private:
    QString m_string;
    std::vector<Kern> m_kerns;
    std::vector<ColorRange> m_colors;
    std::shared_ptr<const SizedFont> m_font;
    MTLineStyle m_style = MTLineStyle::display;
};

} // namespace zepla::math
