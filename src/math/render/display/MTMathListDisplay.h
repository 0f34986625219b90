// A laid-out math list: its child displays placed relative to its own position; the root of a display tree
// and the display of every nested list and script.
#pragma once

#include "display/MTDisplay.h"

#include <vector>

namespace zepla::math {

class MTMathListDisplay : public MTDisplay {
public:
    // What a list is to the atom it belongs to: a plain list, or one of its scripts.
    enum class LinePosition : int {
        regular = 0,
        ssubscript = 1,
        superscript = 2,
    };
    static constexpr qint64 kNoIndex = MTRange::notFound;

    // The box is computed from the children at once.
    MTMathListDisplay(std::vector<MTDisplayPtr> displays, MTRange range);

    void draw(MTGraphicsContext& context) const override;
    // Gives each child its own local colour when it has one, else this one.
    void setTextColor(const std::optional<QColor>& color) override;

    // Ascent and descent are the furthest any child reaches above and below the baseline (never
    // negative), the width the furthest right end of a child.
    void recomputeDimensions();

    LinePosition type() const { return m_type; }
    void setType(LinePosition type) { m_type = type; }
    const std::vector<MTDisplayPtr>& subDisplays() const { return m_subDisplays; }
    // For a script: the index of the atom it belongs to; kNoIndex otherwise.
    qint64 index() const { return m_index; }
    void setIndex(qint64 index) { m_index = index; }

private:
    LinePosition m_type = LinePosition::regular;
    std::vector<MTDisplayPtr> m_subDisplays;
    qint64 m_index = kNoIndex;
};

using MTMathListDisplayPtr = std::shared_ptr<MTMathListDisplay>;

} // namespace zepla::math
