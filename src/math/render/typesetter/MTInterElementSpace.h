// The space TeX puts between two adjacent atoms, by the types of both, as a table of kinds of space.
#pragma once

#include "mathlist/MTEnums.h"

#include <array>
#include <optional>

namespace zepla::math {

// The kinds of space; an ns kind applies only in display and text style, and vanishes in script styles.
enum class InterElementSpaceType : int {
    invalid = -1,
    none = 0,
    thin = 1,
    nsThin = 2,
    nsMedium = 3,
    nsThick = 4,
};

inline constexpr int kInterElementSpaceRows = 9;
inline constexpr int kInterElementSpaceColumns = 8;
using InterElementSpaceTable =
    std::array<std::array<InterElementSpaceType, kInterElementSpaceColumns>, kInterElementSpaceRows>;

// Rows by the left atom's type, columns by the right one's. Constant data, so readers on any thread share it
// without a lock.
const InterElementSpaceTable& getInterElementSpaces();

// The row (left atom) or column (right atom) of a type: ordinary and the types that space like it 0,
// largeOperator 1, binaryOperator 2, relation 3, open 4, close 5, punctuation 6, fraction and inner 7, and
// radical 8 as a row only; none for a type the table does not space.
std::optional<int> getInterElementSpaceArrayIndexForType(MTMathAtomType type, bool row);

} // namespace zepla::math
