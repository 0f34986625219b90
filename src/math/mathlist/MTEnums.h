// The enumerations of the math model: atom types, font styles, line styles, column
// alignments, and the index range that finalization assigns to atoms.
#pragma once

#include <QString>
#include <QtGlobal>

#include <cstddef>
#include <limits>
#include <optional>

namespace zepla::math {

// The type of an atom. Raw values, gaps included, order the types; every type that takes scripts
// orders before `boundary`.
enum class MTMathAtomType : int {
    ordinary = 1,
    number = 2,
    variable = 3,
    largeOperator = 4,
    binaryOperator = 5,
    unaryOperator = 6,
    relation = 7,
    open = 8,
    close = 9,
    fraction = 10,
    radical = 11,
    punctuation = 12,
    placeholder = 13,
    inner = 14,
    underline = 15,
    overline = 16,
    accent = 17,
    boundary = 101,
    space = 201,
    style = 202,
    color = 203,
    textcolor = 204,
    colorBox = 205,
    table = 1001,
};

// The type for a raw value, or none when the value is not one of the table's.
std::optional<MTMathAtomType> mathAtomTypeFromRaw(int raw);
constexpr int rawValue(MTMathAtomType type) {
    return static_cast<int>(type);
}
// "Ordinary", "Large Operator", "TextColor", "Colorbox", ... as the model names them.
QString description(MTMathAtomType type);
// True for the types that may carry a superscript or subscript: those that order before `boundary`.
constexpr bool isScriptAllowed(MTMathAtomType type) {
    return type < MTMathAtomType::boundary;
}
// True for binaryOperator, relation, open, punctuation and largeOperator: a binary operator cannot
// follow an atom of such a type.
constexpr bool isNotBinaryOperator(MTMathAtomType type) {
    return type == MTMathAtomType::binaryOperator || type == MTMathAtomType::relation ||
           type == MTMathAtomType::open || type == MTMathAtomType::punctuation ||
           type == MTMathAtomType::largeOperator;
}

// True for the types whose nucleus is the character they draw, as opposed to constructs (accents,
// fractions, radicals, inner lists, ...) and atoms that draw nothing.
constexpr bool isPlainCharacter(MTMathAtomType type) {
    return type < MTMathAtomType::fraction || type == MTMathAtomType::punctuation ||
           type == MTMathAtomType::placeholder;
}

// The alphabet in which the typesetter draws a nucleus.
enum class MTFontStyle : int {
    defaultStyle = 0,
    roman = 1,
    bold = 2,
    caligraphic = 3,
    typewriter = 4,
    italic = 5,
    sansSerif = 6,
    fraktur = 7,
    blackboard = 8,
    boldItalic = 9,
};
std::optional<MTFontStyle> fontStyleFromRaw(int raw);
constexpr int rawValue(MTFontStyle style) {
    return static_cast<int>(style);
}

// TeX's line styles; display is the largest and orders first.
enum class MTLineStyle : int {
    display = 0,
    text = 1,
    script = 2,
    scriptOfScript = 3,
};
std::optional<MTLineStyle> lineStyleFromRaw(int raw);
constexpr int rawValue(MTLineStyle style) {
    return static_cast<int>(style);
}
// The next smaller style; scriptOfScript wraps round to display.
constexpr MTLineStyle inc(MTLineStyle style) {
    return style == MTLineStyle::scriptOfScript ? MTLineStyle::display
                                                : static_cast<MTLineStyle>(static_cast<int>(style) + 1);
}
// True for display and text.
constexpr bool isNotScript(MTLineStyle style) {
    return style < MTLineStyle::script;
}

enum class MTColumnAlignment {
    left,
    center,
    right,
};

// A range of positions in a finalized list (location and length, signed).
struct MTRange {
    // The typesetter's "not found" location (the platform's NSNotFound).
    static constexpr qint64 notFound = std::numeric_limits<qint64>::max();

    qint64 location = 0;
    qint64 length = 0;

    constexpr qint64 end() const { return location + length; }
    friend constexpr bool operator==(const MTRange&, const MTRange&) = default;
};

} // namespace zepla::math
