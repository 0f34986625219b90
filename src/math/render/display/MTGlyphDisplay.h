// Nodes that draw glyphs of the math font directly: one glyph (a large operator, a radical sign, an accent,
// a delimiter) or a vertical construction of several glyphs.
#pragma once

#include "display/MTDisplay.h"
#include "fonts/MTFont.h"

#include <QList>

#include <memory>
#include <vector>

namespace zepla::math {

// A single glyph; its creator sets the box.
class MTGlyphDisplay : public MTDisplayDS {
public:
    MTGlyphDisplay(quint16 glyph, MTRange range, std::shared_ptr<MTFont> font);

    void draw(MTGraphicsContext& context) const override;

    quint16 glyph() const { return m_glyph; }
    const std::shared_ptr<MTFont>& font() const { return m_font; }

private:
    quint16 m_glyph;
    std::shared_ptr<MTFont> m_font;
};

// Glyphs stacked at vertical offsets from the node's baseline; its creator sets the box.
class MTGlyphConstructionDisplay : public MTDisplayDS {
public:
    // `offsets` holds at least as many entries as `glyphs`.
    MTGlyphConstructionDisplay(const std::vector<quint16>& glyphs, const std::vector<qreal>& offsets,
                               std::shared_ptr<MTFont> font);

    void draw(MTGraphicsContext& context) const override;

    const QList<quint32>& glyphs() const { return m_glyphs; }
    const QList<QPointF>& positions() const { return m_positions; }
    qsizetype numGlyphs() const { return m_glyphs.size(); }
    const std::shared_ptr<MTFont>& font() const { return m_font; }

private:
    QList<quint32> m_glyphs;
    QList<QPointF> m_positions;
    std::shared_ptr<MTFont> m_font;
};

} // namespace zepla::math
