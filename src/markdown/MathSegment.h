// A piece of running text: plain text, or a formula's LaTeX source with its display flag.
#pragma once

#include <QStringView>
#include <QVarLengthArray>

namespace zepla::markdown {

// Segments point into the text they were cut from, so reading a text copies none of it; they hold as long
// as that text does.
struct MathSegment {
    enum class Kind { text, math };

    Kind kind = Kind::text;
    // Plain text (never empty), or the formula between its delimiters, neither trimmed.
    QStringView text;
    // For formulas: true for "$$" and "\[" formulas.
    bool display = false;

    friend bool operator==(const MathSegment&, const MathSegment&) = default;
};

// Most texts hold a few formulas at most, so their segments stay off the heap.
using MathSegments = QVarLengthArray<MathSegment, 8>;

} // namespace zepla::markdown
