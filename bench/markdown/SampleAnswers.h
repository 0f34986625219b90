// Made-up assistant answers of a given size for the Markdown benchmarks.
#pragma once

#include <QString>

// Every block kind in a varied, repeatable mix, with inline formulas and emphasis in the running text.
QString mixedAnswer(qsizetype size);

// Mostly pipe tables of a few dozen rows, with a heading and a sentence between them.
QString tableHeavyAnswer(qsizetype size);

// Paragraphs of running text with inline formulas, emphasis, code spans and links.
QString proseAnswer(qsizetype size);

// Short paragraphs each followed by a code block of a few dozen lines.
QString codeHeavyAnswer(qsizetype size);
