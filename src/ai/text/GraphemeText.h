// Text measured as a reader sees it: lengths, cuts and windows counted in user-perceived characters
// (grapheme clusters), and the trim of titles that keeps line breaks.
#pragma once

#include <QString>

namespace zepla::ai::graphemes {

qsizetype count(const QString& text);

// The code-unit position after the first `n` characters of `text`, or its length when it is shorter.
qsizetype positionAfter(const QString& text, qsizetype n);
// The first `n` characters of `text`.
QString prefix(const QString& text, qsizetype n);

// The range around [start, end) that reaches `n` characters further on each side, stopping at the
// text's ends: for excerpts around a match.
struct Range {
    qsizetype start = 0;
    qsizetype end = 0;
};
Range widened(const QString& text, qsizetype start, qsizetype end, qsizetype n);

// Removes space separators and tabs at both ends, never line breaks.
QString trimmedHorizontally(const QString& text);

} // namespace zepla::ai::graphemes
