// KaTeX's renderToString timed over a list of formulas, through run-katex.sh, for the math benchmarks.
#pragma once

#include <QStringList>

// KaTeX's formulas per second over `formulas`, or a negative number when node, npm or KaTeX could not run.
double katexThroughput(const QStringList& formulas);
