// The base of the display tree: a laid-out box (ascent, descent, width) at a position in its parent's space,
// y upward, with the source range it stands for and its colours; and the base of glyph nodes that can be
// lowered below their baseline.
#pragma once

#include "display/MTGraphicsContext.h"
#include "mathlist/MTEnums.h"

#include <QColor>
#include <QPointF>

#include <memory>
#include <optional>

namespace zepla::math {

class MTDisplay;
using MTDisplayPtr = std::shared_ptr<MTDisplay>;

class MTDisplay {
public:
    MTDisplay() = default;
    virtual ~MTDisplay() = default;
    MTDisplay(const MTDisplay&) = delete;
    MTDisplay& operator=(const MTDisplay&) = delete;

    // Fills the box with the background colour when there is one; subclasses then draw themselves.
    virtual void draw(MTGraphicsContext& context) const;

    virtual qreal ascent() const { return m_ascent; }
    void setAscent(qreal ascent) { m_ascent = ascent; }
    virtual qreal descent() const { return m_descent; }
    void setDescent(qreal descent) { m_descent = descent; }
    virtual qreal width() const { return m_width; }
    void setWidth(qreal width) { m_width = width; }

    QPointF position() const { return m_position; }
    // Containers re-place their children.
    virtual void setPosition(QPointF position) { m_position = position; }

    MTRange range() const { return m_range; }
    void setRange(MTRange range) { m_range = range; }

    bool hasScript() const { return m_hasScript; }
    void setHasScript(bool hasScript) { m_hasScript = hasScript; }

    const std::optional<QColor>& textColor() const { return colors().text; }
    // Containers pass the colour on to their children.
    virtual void setTextColor(const std::optional<QColor>& color) { setColor(&Colors::text, color); }
    const std::optional<QColor>& localTextColor() const { return colors().localText; }
    void setLocalTextColor(const std::optional<QColor>& color) { setColor(&Colors::localText, color); }
    const std::optional<QColor>& localBackgroundColor() const { return colors().localBackground; }
    void setLocalBackgroundColor(const std::optional<QColor>& color) {
        setColor(&Colors::localBackground, color);
    }

protected:
    // Gives a child the colour a container passes on, unless a colour atom fixed the child's own.
    static void passTextColor(MTDisplay* child, const std::optional<QColor>& color);

private:
    qreal m_ascent = 0;
    qreal m_descent = 0;
    qreal m_width = 0;
    QPointF m_position;
    MTRange m_range;
    // Most nodes have no colour: the colours live apart, made when one is first set.
    struct Colors {
        std::optional<QColor> text;
        std::optional<QColor> localText;
        std::optional<QColor> localBackground;
    };
    const Colors& colors() const;
    void setColor(std::optional<QColor> Colors::*field, const std::optional<QColor>& color);

    bool m_hasScript = false;
    std::unique_ptr<Colors> m_colors;
};

// A node drawn lowered by shiftDown below its baseline; its box moves down with it.
class MTDisplayDS : public MTDisplay {
public:
    qreal ascent() const override { return MTDisplay::ascent() - m_shiftDown; }
    qreal descent() const override { return MTDisplay::descent() + m_shiftDown; }

    qreal shiftDown() const { return m_shiftDown; }
    void setShiftDown(qreal shiftDown) { m_shiftDown = shiftDown; }

private:
    qreal m_shiftDown = 0;
};

} // namespace zepla::math
