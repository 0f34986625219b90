// Cuts running text into plain runs and formulas: "$$…$$" and "\[…\]" display formulas, "$…$" and "\(…\)"
// inline ones. Delimiters are whole user-perceived characters ("$" with a combining mark is no delimiter);
// there is no escape, and delimiters count inside code spans too.
#pragma once

#include "MathSegment.h"

#include <QString>
#include <QStringView>

#include <optional>

namespace zepla::markdown {

class MathSegmentSplitter {
public:
    MathSegmentSplitter() = delete;

    // Every character of the text ends up in a plain run or a formula. An opener without its closer stays
    // plain text, "$$" included, and the split goes on after it. Positions are UTF-16 offsets. The segments
    // point into the text.
    static MathSegments split(QStringView text);
    // The LaTeX of a text that is one display formula and nothing else but white space around it.
    static std::optional<QString> soleDisplayEquation(QStringView text);
    // The first position at or after `from` where `sequence` stands as whole characters.
    static std::optional<qsizetype> findSequence(QStringView text, qsizetype from, QStringView sequence);
    // The first position at or after `from` of `target` as a character of its own.
    static std::optional<qsizetype> findChar(QStringView text, qsizetype from, char16_t target);
};

} // namespace zepla::markdown
