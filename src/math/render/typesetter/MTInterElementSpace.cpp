// The space TeX puts between two adjacent atoms, by the types of both.
#include "typesetter/MTInterElementSpace.h"

namespace zepla::math {

namespace {

using enum InterElementSpaceType;

// Columns: ordinary, largeOp, binary, relation, open, close, punct, fraction/inner. A radical on the left has
// a row of its own; on the right it spaces as an ordinary atom.
constexpr InterElementSpaceTable kSpaces = {{
    /* ordinary */ {none, thin, nsMedium, nsThick, none, none, none, nsThin},
    /* largeOp  */ {thin, thin, invalid, nsThick, none, none, none, nsThin},
    /* binary   */ {nsMedium, nsMedium, invalid, invalid, nsMedium, invalid, invalid, nsMedium},
    /* relation */ {nsThick, nsThick, invalid, none, nsThick, none, none, nsThick},
    /* open     */ {none, none, invalid, none, none, none, none, none},
    /* close    */ {none, thin, nsMedium, nsThick, none, none, none, nsThin},
    /* punct    */ {nsThin, nsThin, invalid, nsThin, nsThin, nsThin, nsThin, nsThin},
    /* inner    */ {nsThin, thin, nsMedium, nsThick, nsThin, none, nsThin, nsThin},
    /* radical  */ {nsMedium, nsThin, nsMedium, nsThick, none, none, none, nsThin},
}};

struct TableIndex {
    MTMathAtomType type;
    int index;
    bool isColumn = true;
};

// The colour atoms space as the ordinary atoms they usually hold.
constexpr TableIndex kIndexes[] = {
    {MTMathAtomType::ordinary, 0},       {MTMathAtomType::placeholder, 0},
    {MTMathAtomType::color, 0},          {MTMathAtomType::textcolor, 0},
    {MTMathAtomType::colorBox, 0},       {MTMathAtomType::largeOperator, 1},
    {MTMathAtomType::binaryOperator, 2}, {MTMathAtomType::relation, 3},
    {MTMathAtomType::open, 4},           {MTMathAtomType::close, 5},
    {MTMathAtomType::punctuation, 6},    {MTMathAtomType::fraction, 7},
    {MTMathAtomType::inner, 7},          {MTMathAtomType::radical, 8, false},
};

} // namespace

const InterElementSpaceTable& getInterElementSpaces() {
    return kSpaces;
}

std::optional<int> getInterElementSpaceArrayIndexForType(MTMathAtomType type, bool row) {
    for (const TableIndex& entry : kIndexes) {
        if (entry.type == type)
            return row || entry.isColumn ? std::optional(entry.index) : std::nullopt;
    }
    return std::nullopt;
}

} // namespace zepla::math
