// A line of text set from an attributed string, the stand-in for a platform text line: one glyph per code
// point from the math font's character map (primes in the script styles take the font's script forms), or
// from a fallback text font when the math font lacks it, each advanced by its exact width plus the kern
// after it; measured by the exact ink of its glyphs; drawn as one glyph run per stretch of one font and one
// colour. The glyphs are kept compactly, since a formula can hold many thousands of lines.
#pragma once

#include "display/MTAttributedString.h"
#include "display/MTGraphicsContext.h"

#include <QList>
#include <QPointF>
#include <QRectF>

#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace zepla::math {

class MTTextLine {
public:
    // A glyph and its baseline point's x from the line's start (every glyph sits on the baseline).
    struct PlacedGlyph {
        quint32 glyph;
        qreal x;
    };
    // A stretch of glyphs of one font and one colour: glyphs()[start, start + count).
    struct GlyphRun {
        std::shared_ptr<const SizedFont> font;
        std::optional<QColor> color; // none: the context's fill colour
        qsizetype start = 0;
        qsizetype count = 0;
    };

    // A line without a font has no glyphs.
    explicit MTTextLine(const MTAttributedString& string);

    // The advances and kerns summed.
    qreal width() const { return m_width; }
    // The union of the glyphs' exact ink rectangles, its y the bottom edge; empty when nothing has ink.
    const QRectF& inkBounds() const { return m_ink; }
    const std::vector<GlyphRun>& glyphRuns() const { return m_runs; }
    // The glyphs of the whole line, run after run.
    const std::vector<PlacedGlyph>& glyphs() const { return m_glyphs; }
    std::span<const PlacedGlyph> glyphs(const GlyphRun& run) const {
        return std::span(m_glyphs).subspan(run.start, run.count);
    }

    // Draws with the line's start at `textPosition`.
    void draw(MTGraphicsContext& context, QPointF textPosition) const;

private:
    qreal m_width = 0;
    QRectF m_ink;
    std::vector<GlyphRun> m_runs;
    std::vector<PlacedGlyph> m_glyphs;
};

} // namespace zepla::math
