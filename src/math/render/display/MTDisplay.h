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

    const std::optional<QColor>& textColor() const { return m_textColor; }
    // Containers pass the colour on to their children.
    virtual void setTextColor(const std::optional<QColor>& color) { m_textColor = color; }
    const std::optional<QColor>& localTextColor() const { return m_localTextColor; }
    void setLocalTextColor(const std::optional<QColor>& color) { m_localTextColor = color; }
    const std::optional<QColor>& localBackgroundColor() const { return m_localBackgroundColor; }
    void setLocalBackgroundColor(const std::optional<QColor>& color) { m_localBackgroundColor = color; }

protected:
    // Gives a child the colour a container passes on, unless a colour atom fixed the child's own.
    static void passTextColor(MTDisplay* child, const std::optional<QColor>& color);

private:
    qreal m_ascent = 0;
    qreal m_descent = 0;
    qreal m_width = 0;
    QPointF m_position;
    MTRange m_range;
    bool m_hasScript = false;
    std::optional<QColor> m_textColor;
    std::optional<QColor> m_localTextColor;
    std::optional<QColor> m_localBackgroundColor;
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
