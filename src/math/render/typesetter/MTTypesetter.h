// The one-line TeX layout engine: a math list in, a display tree out. One typesetter lays out one list; each
// nested list (a script, a coloured group, ...) gets a typesetter of its own.
#pragma once

#include "display/MTAttributedString.h"
#include "display/MTCTLineDisplay.h"
#include "display/MTMathListDisplay.h"
#include "fonts/MTFont.h"
#include "mathlist/MTMathList.h"
#include "typesetter/MTInterElementSpace.h"

#include <QColor>
#include <QPointF>

#include <array>
#include <memory>
#include <optional>
#include <vector>

namespace zepla::math {

class MTTypesetter {
public:
    // The constants of the table layout, as multiples of the style font's size.
    static constexpr qreal kBaseLineSkipMultiplier = 1.2;
    static constexpr qreal kLineSkipMultiplier = 0.1;
    static constexpr qreal kLineSkipLimitMultiplier = 0;
    static constexpr qreal kJotMultiplier = 0.3;

    // Lays out a finalized copy of the list; the caller's list is left as it is. No list gives an empty
    // display.
    static MTMathListDisplayPtr createLineForMathList(const MTMathListPtr& mathList,
                                                      const std::shared_ptr<MTFont>& font, MTLineStyle style);
    // Lays out the list itself, already finalized, as a nested line.
    static MTMathListDisplayPtr createLineForMathList(const MTMathListPtr& mathList,
                                                      const std::shared_ptr<MTFont>& font, MTLineStyle style,
                                                      bool cramped, bool spaced = false);
    // Restyles variable and number atoms into their alphabets and makes them, and unary operators,
    // ordinary; runs of ordinary atoms are fused into one atom. Changes the atoms in place.
    static std::vector<MTMathAtomPtr> preprocessMathList(const MTMathList* mathList);
    // The font size of a style: the font's own for display and text, scaled down by the math table for the
    // script styles.
    static qreal getStyleSize(MTLineStyle style, const MTFont* font);
    // The colour of placeholder atoms.
    static QColor placeholderColor() { return QColor(Qt::blue); }

    MTTypesetter(const std::shared_ptr<MTFont>& font, MTLineStyle style, bool cramped, bool spaced);

    // The atom loop; call once.
    void createDisplayAtoms(const std::vector<MTMathAtomPtr>& atoms);

    const std::vector<MTDisplayPtr>& displayAtoms() const { return m_displayAtoms; }
    QPointF currentPosition() const { return m_currentPosition; }
    const std::shared_ptr<MTFont>& font() const;
    MTLineStyle style() const { return m_style; }
    void setStyle(MTLineStyle style) { m_style = style; }
    // The font at the size of the current style.
    const std::shared_ptr<MTFont>& styleFont() const { return fontForStyle(m_style); }
    bool cramped() const { return m_cramped; }
    bool spaced() const { return m_spaced; }

    // Spacing between atoms, in mu and in points at the current style.
    int getSpacingInMu(InterElementSpaceType type) const;
    qreal getInterElementSpace(MTMathAtomType left, MTMathAtomType right) const;

    // The style and cramping of scripts.
    MTLineStyle scriptStyle() const;
    bool subscriptCramped() const { return true; }
    bool superScriptCramped() const { return m_cramped; }
    qreal superScriptShiftUp() const;

    // True when the accent sits over one character alone: its list holds one atom without scripts whose
    // nucleus is a single user-perceived character.
    static bool isSingleCharAccentee(const MTAccent* accent);

    // Places the scripts of `atom` after its nucleus `display` (already placed, the pen at its right end)
    // and moves the pen past them; `delta` is the nucleus's italic correction, `index` the atom's position,
    // recorded in the script displays.
    void makeScripts(const MTMathAtom& atom, MTDisplay& display, qint64 index, qreal delta);

private:
    // The font of the whole formula at each style size, made once per layout and shared by the typesetters
    // of its nested lines.
    class StyleFonts;

    MTTypesetter(std::shared_ptr<StyleFonts> fonts, MTLineStyle style, bool cramped, bool spaced);
    static MTMathListDisplayPtr layoutLine(const MTMathListPtr& mathList,
                                           const std::shared_ptr<StyleFonts>& fonts, MTLineStyle style,
                                           bool cramped, bool spaced);
    static MTMathListDisplayPtr layoutFinalizedLine(const MTMathListPtr& mathList,
                                                    const std::shared_ptr<StyleFonts>& fonts,
                                                    MTLineStyle style);

    // The formula's font at the size of `style`.
    const std::shared_ptr<MTFont>& fontForStyle(MTLineStyle style) const;
    void addInterElementSpace(const MTMathAtom* previous, MTMathAtomType currentType);
    std::shared_ptr<MTCTLineDisplay> addDisplayLine();
    void flush();
    void addTextAtom(const MTMathAtomPtr& atom, const MTMathAtom* previous);
    void addColorAtom(const MTColorAtom& atom, const MTMathAtom* previous);
    void addConstruct(const MTMathAtomPtr& atom, const MTMathAtom* previous);
    void addLargeOperator(const MTMathAtomPtr& atom, const MTMathAtom* previous);
    // Places the scripts of a run of characters just flushed, clearing the italic correction of its last one.
    void addRunScripts(const MTMathAtom& atom, MTDisplay& run, qint64 index);
    // Appends a display placed at the pen, moves the pen past it and places the atom's scripts.
    void appendAtPen(const MTDisplayPtr& display, const MTMathAtom& atom);
    // The italic correction of the last character of a nucleus in the style font.
    qreal italicCorrectionOfLastCharacter(const QString& nucleus) const;
    MTMathListDisplayPtr layoutSideBySide(const std::vector<MTMathListPtr>& lists, MTRange range) const;

    std::shared_ptr<StyleFonts> m_fonts;
    std::vector<MTDisplayPtr> m_displayAtoms;
    QPointF m_currentPosition;
    MTAttributedString m_currentLine;
    std::vector<MTMathAtomPtr> m_currentAtoms;
    MTRange m_currentLineIndexRange{MTRange::notFound, MTRange::notFound};
    MTLineStyle m_style;
    bool m_cramped;
    bool m_spaced;
};

} // namespace zepla::math
