// Nodes that draw glyphs of the math font directly.
#include "display/MTGlyphDisplay.h"

namespace zepla::math {

namespace {

// Glyphs in the node's text colour (or the context's fill colour), lowered with the node.
void drawLowered(const MTDisplayDS& node, MTGraphicsContext& context, const MTFont& font,
                 const QList<quint32>& glyphs, const QList<QPointF>& positions) {
    node.MTDisplay::draw(context);
    context.saveState();
    context.setFillColor(node.textColor());
    context.translate(node.position() - QPointF(0, node.shiftDown()));
    context.drawGlyphs(font.ctFont()->rawFont(), glyphs, positions);
    context.restoreState();
}

} // namespace

MTGlyphDisplay::MTGlyphDisplay(quint16 glyph, MTRange range, std::shared_ptr<MTFont> font)
    : m_glyph(glyph), m_font(std::move(font)) {
    setRange(range);
}

void MTGlyphDisplay::draw(MTGraphicsContext& context) const {
    drawLowered(*this, context, *m_font, {m_glyph}, {QPointF(0, 0)});
}

MTGlyphConstructionDisplay::MTGlyphConstructionDisplay(const std::vector<quint16>& glyphs,
                                                       const std::vector<qreal>& offsets,
                                                       std::shared_ptr<MTFont> font)
    : m_font(std::move(font)) {
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
        m_glyphs.append(glyphs[i]);
        m_positions.append(QPointF(0, offsets[i]));
    }
}

void MTGlyphConstructionDisplay::draw(MTGraphicsContext& context) const {
    drawLowered(*this, context, *m_font, m_glyphs, m_positions);
}

} // namespace zepla::math
