// A piece of running text: plain text, or a formula's LaTeX source with its display flag.
#pragma once

#include <QString>

namespace zepla::markdown {

struct MathSegment {
    enum class Kind { text, math };

    Kind kind = Kind::text;
    // Plain text (never empty), or the formula between its delimiters, neither trimmed.
    QString text;
    // For formulas: true for "$$" and "\[" formulas.
    bool display = false;

    static MathSegment plain(QString text) { return {Kind::text, std::move(text), false}; }
    static MathSegment math(QString latex, bool display) { return {Kind::math, std::move(latex), display}; }

    friend bool operator==(const MathSegment&, const MathSegment&) = default;
};

} // namespace zepla::markdown
