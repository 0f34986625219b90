// A line of text set from an attributed string, the stand-in for a platform text line: one glyph per code
// point from the math font's character map, or from a fallback text font when the math font lacks it, each
// advanced by its exact width plus the kern after it; measured by the exact ink of its glyphs; drawn as one
// glyph run per stretch of one font and one colour.
#pragma once

#include "display/MTAttributedString.h"
#include "display/MTGraphicsContext.h"

#include <QList>
#include <QPointF>
#include <QRectF>

#include <memory>
#include <optional>
#include <vector>

namespace zepla::math {

class MTTextLine {
public:
    struct GlyphRun {
        std::shared_ptr<const SizedFont> font;
        std::optional<QColor> color; // none: the context's fill colour
        QList<quint32> glyphs;
        QList<QPointF> positions; // baseline points from the line's start, y upward
    };

    // A line without a font has no glyphs.
    explicit MTTextLine(const MTAttributedString& string);

    // The advances and kerns summed.
    qreal width() const { return m_width; }
    // The union of the glyphs' exact ink rectangles, its y the bottom edge; empty when nothing has ink.
    const QRectF& inkBounds() const { return m_ink; }
    const std::vector<GlyphRun>& glyphRuns() const { return m_runs; }

    // Draws with the line's start at `textPosition`.
    void draw(MTGraphicsContext& context, QPointF textPosition) const;

private:
    qreal m_width = 0;
    QRectF m_ink;
    std::vector<GlyphRun> m_runs;
};

} // namespace zepla::math
