// A run of text atoms laid out as one line of glyphs: the atoms it stands for, its text and its measured box.
#pragma once

#include "display/MTAttributedString.h"
#include "display/MTDisplay.h"
#include "display/MTTextLine.h"
#include "mathlist/MTMathList.h"

#include <optional>
#include <vector>

namespace zepla::math {

class MTCTLineDisplay : public MTDisplay {
public:
    // Sets the line from the string; the width is the line's, the ascent and descent its ink above and below
    // the baseline (never negative). The string carries the font.
    MTCTLineDisplay(MTAttributedString string, QPointF position, MTRange range,
                    std::vector<MTMathAtomPtr> atoms);

    void draw(MTGraphicsContext& context) const override;
    // Colours the whole text.
    void setTextColor(const std::optional<QColor>& color) override;

    // The line set from the string. A formula can hold many thousands of lines, so the display keeps only
    // its string and measures, and sets the glyphs again when they are asked for or drawn.
    MTTextLine line() const { return MTTextLine(m_attributedString); }
    const MTAttributedString& attributedString() const { return m_attributedString; }
    const std::vector<MTMathAtomPtr>& atoms() const { return m_atoms; }
    void setAtoms(std::vector<MTMathAtomPtr> atoms) { m_atoms = std::move(atoms); }

private:
    MTAttributedString m_attributedString;
    std::vector<MTMathAtomPtr> m_atoms;
};

} // namespace zepla::math
