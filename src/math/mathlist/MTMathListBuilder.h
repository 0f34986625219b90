// The LaTeX parser and the writer back to LaTeX.
//
// build() reads the text by user-perceived characters (grapheme clusters) and returns the math list,
// or none with the first error recorded (domain "ParseError", codes 1 to 15, see MTParseError.h).
// It never throws and never sets off the model's exceptions. Parses may run on any thread at once:
// each uses objects of its own and reads only the factory's guarded tables.
//
// Beyond the usual LaTeX reading:
//  - Nesting deeper than maxNestingDepth levels (each group, script, command argument, \left group,
//    \sqrt degree, \over denominator and environment cell counts one level) is parse error 15,
//    "Formula nested too deeply: more than 256 levels of groups, scripts, arguments or environments",
//    instead of exhausting the stack.
//  - A row separator inside a group of a table cell ("{a \\ b \\ c") counts its row as the grammar
//    says, and the table gets an empty row for it instead of being indexed past its last row.
//  - The writer writes colour atoms as \color{c}{...}, \textcolor{c}{...} and \colorbox{c}{...}.
//  - The writer closes a font group before an atom's scripts (\mathbb{R}^{n}, not \mathbb{R^{n}},
//    which would read n back in the blackboard style).
//  - The writer writes the cases environment back as \begin{cases}...\end{cases} without the
//    text-style atom that the table builder put at the front of every cell, so it reads back the same.
#pragma once

#include "mathlist/MTMathList.h"
#include "mathlist/MTParseError.h"

#include <QString>

#include <optional>
#include <utility>
#include <vector>

namespace zepla::math {

class MTMathListBuilder {
public:
    MTMathListBuilder() = delete;

    // The deepest nesting a formula may have (see above).
    static constexpr int maxNestingDepth = 256;

    // The list, or none whenever an error was recorded.
    static MTMathListPtr build(const QString& latex);
    // The list; or none, with the error stored into `error` (replacing what it held). On success
    // `error` is left as the caller set it, so set it to none first.
    static MTMathListPtr build(const QString& latex, std::optional<MTParseError>& error);

    // The LaTeX text of a list (the empty text for none). Never fails.
    static QString mathListToString(const MTMathList* list);
    static QString mathListToString(const MTMathListPtr& list) { return mathListToString(list.get()); }
    // The text that follows \left or \right for a boundary atom ("(", "\{", "\langle", "." ...).
    static QString delimToString(const MTMathAtom& delimiter);

    // The writer's tables: space width in mu to command, line style to command.
    static const std::vector<std::pair<double, QString>>& spaceToCommands();
    static QString styleToCommand(MTLineStyle style);
    // The fraction commands \over, \atop, \choose, \brack and \brace with their delimiters (none or two).
    static const std::vector<std::pair<QString, QStringList>>& fractionCommands();
};

} // namespace zepla::math
