// KaTeX's renderToString run over a list of formulas, through run-katex.sh, for the math benchmarks.
#pragma once

#include <QStringList>

#include <optional>

// The formulas KaTeX renders without an error, in their order; nothing when node, npm or KaTeX could not run.
std::optional<QStringList> katexAccepted(const QStringList& formulas);
// KaTeX's formulas per second over `formulas` (best of its runs after warming up), or a negative number when
// node, npm or KaTeX could not run.
double katexThroughput(const QStringList& formulas);
