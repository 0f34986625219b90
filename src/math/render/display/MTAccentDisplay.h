// An accented list: the accentee, and the accent glyph placed relative to this node.
#pragma once

#include "display/MTGlyphDisplay.h"
#include "display/MTMathListDisplay.h"

namespace zepla::math {

class MTAccentDisplay : public MTDisplay {
public:
    // The accentee starts at position zero; the creator sets the box and places the accent.
    MTAccentDisplay(std::shared_ptr<MTGlyphDisplay> accent, MTMathListDisplayPtr accentee, MTRange range);

    void setPosition(QPointF position) override;
    void setTextColor(const std::optional<QColor>& color) override;
    void draw(MTGraphicsContext& context) const override;

    const std::shared_ptr<MTGlyphDisplay>& accent() const { return m_accent; }
    const MTMathListDisplayPtr& accentee() const { return m_accentee; }

private:
    std::shared_ptr<MTGlyphDisplay> m_accent;
    MTMathListDisplayPtr m_accentee;
};

} // namespace zepla::math
