// Our reading of answers for display beside md4c's full parse of the same text: both cut the answer into
// blocks and read every text's inline Markdown and formulas into runs that point into the input, and
// neither writes anything out.
#pragma once

#include <QString>

#include <initializer_list>

// What the two sides do, for the benchmarks to print first.
void describeReadingComparison();

// One table: for each size, the MB/s of UTF-8 input of our reader (from the app's UTF-16 text, and decoded
// from UTF-8 first) and of md4c's md_parse, taking turns after a warm-up, and their ratio.
void compareReading(const char* name, QString (*makeAnswer)(qsizetype),
                    std::initializer_list<qsizetype> sizes);
