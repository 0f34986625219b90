// The one-line TeX layout engine: a math list in, a display tree out. One typesetter lays out one list; each
// nested list (a script, a coloured group, ...) gets a typesetter of its own.
#pragma once

#include "display/MTAttributedString.h"
#include "display/MTCTLineDisplay.h"
#include "display/MTFractionDisplay.h"
#include "display/MTGlyphDisplay.h"
#include "display/MTMathListDisplay.h"
#include "display/MTRadicalDisplay.h"
#include "fonts/MTFont.h"
#include "mathlist/MTMathList.h"
#include "mathlist/MTNodePool.h"
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

    // True when the accent sits over one character alone: its list holds one atom of a character's kind
    // (not an accent, fraction or other construct, whose nucleus is no letter of its own) without scripts,
    // whose nucleus is a single user-perceived character.
    static bool isSingleCharAccentee(const MTAccent* accent);

    // Places the scripts of `atom` after its nucleus `display` (already placed, the pen at its right end)
    // and moves the pen past them; `delta` is the nucleus's italic correction, `index` the atom's position,
    // recorded in the script displays.
    void makeScripts(const MTMathAtom& atom, MTDisplay& display, qint64 index, qreal delta);

    // Fractions and radicals. The style of a fraction's parts, and the shifts, gaps and delimiter height by
    // the current style.
    MTLineStyle fractionStyle() const;
    qreal numeratorShiftUp(bool hasRule) const;
    qreal denominatorShiftDown(bool hasRule) const;
    qreal numeratorGapMin() const;
    qreal denominatorGapMin() const;
    qreal stackGapMin() const;
    qreal fractionDelimiterHeight() const;
    qreal radicalVerticalGap() const;
    // The fraction placed at the pen, wrapped with its delimiters when it has any; the pen does not move.
    MTDisplayPtr makeFraction(const MTFraction& fraction);
    MTDisplayPtr addDelimitersToFractionDisplay(const std::shared_ptr<MTFractionDisplay>& display,
                                                const MTFraction& fraction);
    // The radical sign at least `height` tall when the font allows.
    std::shared_ptr<MTDisplayDS> getRadicalGlyphWithHeight(qreal height) const;
    // The sign, the rule and the radicand placed at the pen; the pen does not move.
    std::shared_ptr<MTRadicalDisplay> makeRadical(const MTMathListPtr& radicand, MTRange range);

    // A glyph chosen for a size, with its ink above and below the baseline and its advance.
    struct SizedGlyph {
        quint16 glyph = 0;
        qreal ascent = 0;
        qreal descent = 0;
        qreal width = 0;
    };
    // The pieces of an assembly with each piece's baseline height above the assembly's, and its total height.
    struct GlyphAssembly {
        std::vector<quint16> glyphs;
        std::vector<qreal> offsets;
        qreal height = 0;
    };
    // The style font's glyph of the character at `index` (a UTF-16 offset), 0 when the font has none.
    quint16 findGlyphForCharacterAtIndex(qsizetype index, const QString& string) const;
    // The smallest vertical variant at least `height` tall, else the largest.
    SizedGlyph findGlyph(quint16 glyph, qreal height) const;
    // An assembly of the glyph's parts at least `height` tall, or none when the glyph has no assembly.
    std::shared_ptr<MTGlyphConstructionDisplay> constructGlyph(quint16 glyph, qreal height) const;
    // The layout of assembly pieces for a height: extenders are added until the pieces reach it, the joints
    // opened evenly within the connectors' limits; pieces without an extender stop at their loosest joining.
    static GlyphAssembly constructGlyphWithParts(const QList<GlyphPart>& parts, qreal height,
                                                 qreal minConnectorOverlap);
    // A large operator with its limits or scripts; advances the pen past all of it.
    MTDisplayPtr makeLargeOp(const std::shared_ptr<MTLargeOperator>& op);
    MTDisplayPtr addLimitsToDisplay(const MTDisplayPtr& display, const MTLargeOperator& op, qreal delta);

    // Delimiters, lines, accents. A delimiter glyph or assembly of at least the height, centred on the axis.
    MTDisplayPtr findGlyphForBoundary(const QString& delimiter, qreal height) const;
    // A \left...\right group, unpositioned.
    MTMathListDisplayPtr makeLeftRight(const MTInner& inner);
    MTDisplayPtr makeUnderline(const MTUnderLine& under);
    MTDisplayPtr makeOverline(const MTOverLine& over);
    // Moves a single letter's scripts from the accent to the letter.
    MTDisplayPtr makeAccent(MTAccent& accent);
    // Where the mark stands: its attachment over the letter's own when the accent is over one letter
    // (`singleCharacter`), else over the middle of the accentee.
    qreal getSkew(const MTAccent& accent, bool singleCharacter, qreal accenteeWidth,
                  quint16 accentGlyph) const;
    // The widest horizontal variant of the accent glyph no wider than `maxWidth`, else its narrowest.
    SizedGlyph findVariantGlyph(quint16 glyph, qreal maxWidth) const;

    // Tables: cells laid out and aligned in columns, rows stacked and centred on the axis.
    MTMathListDisplayPtr makeTable(const MTMathTable& table);
    std::vector<std::vector<MTDisplayPtr>> typesetCells(const MTMathTable& table,
                                                        std::vector<qreal>& columnWidths);
    MTMathListDisplayPtr makeRowWithColumns(const std::vector<MTDisplayPtr>& cols, const MTMathTable& table,
                                            const std::vector<qreal>& columnWidths);
    void positionRows(const std::vector<MTMathListDisplayPtr>& rows, const MTMathTable& table);

private:
    // The font of the whole formula at each style size, made once per layout and shared by the typesetters
    // of its nested lines.
    class StyleFonts;

    // `middleHeight` is the height of the \middle delimiters of the list (the inside of a \left...\right
    // group).
    MTTypesetter(std::shared_ptr<StyleFonts> fonts, MTLineStyle style, bool cramped, bool spaced,
                 qreal middleHeight = 0);
    static MTMathListDisplayPtr layoutLine(const MTMathListPtr& mathList,
                                           const std::shared_ptr<StyleFonts>& fonts, MTLineStyle style,
                                           bool cramped, bool spaced, qreal middleHeight = 0);
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
    void addRadical(const MTMathAtomPtr& atom, const MTMathAtom* previous);
    // Places the scripts of a run of characters just flushed, clearing the italic correction of its last one.
    void addRunScripts(const MTMathAtom& atom, MTDisplay& run, qint64 index);
    // Appends a display placed at the pen, moves the pen past it and places the atom's scripts.
    void appendAtPen(const MTDisplayPtr& display, const MTMathAtom& atom);
    // The UTF-16 offset where the last code point of the text starts; 0 for empty text.
    static qsizetype lastCharacterIndex(const QString& text);
    // The italic correction of the last character of a nucleus in the style font.
    qreal italicCorrectionOfLastCharacter(const QString& nucleus) const;
    // A nested list in this layout's fonts.
    MTMathListDisplayPtr layoutNested(const MTMathListPtr& list, MTLineStyle style, bool cramped,
                                      bool spaced = false) const;
    // The glyph of a character in the style font or, when it lacks the character, in the default math font
    // at the same size.
    struct CharacterGlyph {
        std::shared_ptr<MTFont> font;
        quint16 glyph = 0;
    };
    CharacterGlyph glyphForCharacter(const QString& text, qsizetype index) const;
    SizedGlyph findGlyph(const MTFont& font, quint16 glyph, qreal height) const;
    SizedGlyph findVariantGlyph(const MTFont& font, quint16 glyph, qreal maxWidth) const;
    std::shared_ptr<MTGlyphConstructionDisplay> constructGlyph(const std::shared_ptr<MTFont>& font,
                                                               quint16 glyph, qreal height) const;
    // A glyph of `font` at least `height` tall: a variant, else an assembly when it reaches further.
    std::shared_ptr<MTDisplayDS> glyphWithHeight(const CharacterGlyph& base, qreal height,
                                                 MTRange range) const;

    std::shared_ptr<StyleFonts> m_fonts;
    std::vector<MTDisplayPtr> m_displayAtoms;
    QPointF m_currentPosition;
    MTAttributedString m_currentLine;
    std::vector<MTMathAtomPtr> m_currentAtoms;
    MTRange m_currentLineIndexRange{MTRange::notFound, MTRange::notFound};
    MTLineStyle m_style;
    bool m_cramped;
    bool m_spaced;
    qreal m_middleHeight;
};

} // namespace zepla::math
