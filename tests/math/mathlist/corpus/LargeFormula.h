// One large formula of every kind, as assistants' scripts make them: the typical formulas, each in a group
// of its own (so that a style switch stays in its group) and joined by "+", those that can stand in a
// group, repeated to the size asked for. Shared by the benchmarks of large formulas.
#pragma once

#include "corpus/TypicalFormulas.h"
#include "mathlist/MTMathListBuilder.h"

namespace zepla::math::corpus {

// At least `characters` characters of LaTeX that parse as one formula.
inline QString largeFormula(qsizetype characters) {
    QStringList pieces;
    for (const QString& formula : typicalFormulas()) {
        const QString piece = QLatin1Char('{') + formula + QStringLiteral("}+");
        if (MTMathListBuilder::build(piece + QLatin1Char('x')))
            pieces << piece;
    }
    QString text;
    for (qsizetype i = 0; text.size() < characters; ++i)
        text += pieces[i % pieces.size()];
    return text + QLatin1Char('x');
}

} // namespace zepla::math::corpus
