// md4c as the Markdown benchmarks' peer, reading the same features as our reader: tables, strike-through and
// "$" formulas; no raw HTML and no indented code, which answers are not read for.
#pragma once

#include <QByteArray>
#include <QtGlobal>

// What md4c's flags are set to, for the benchmarks to print.
inline constexpr const char* md4cFeatures = "tables, strike-through, $ math; no raw HTML, no indented code";

// md_parse with callbacks that only count the text runs it reports (pointers into the input, as our runs
// are); returns that count.
qsizetype md4cParse(const QByteArray& utf8);
