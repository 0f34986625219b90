// Characters as the math engine reads them: user-perceived characters (extended grapheme clusters),
// never bytes or UTF-16 units; and the character tests the typesetter uses.
//
// A "character" below is a QStringView holding exactly one grapheme cluster. Where the character tests or
// the vocabulary's ranges say a character "orders" between two others, the comparison is the platform's:
// canonical (NFC) form, then Unicode scalar values in order (so U+212B ANGSTROM SIGN equals U+00C5).
#pragma once

#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

namespace zepla::math {

// The offsets at which the grapheme clusters of `text` start, followed by text.size(); [0] for
// the empty text. ASCII text takes a fast path (every unit a cluster, CR LF one cluster).
std::vector<qsizetype> graphemeBoundaries(QStringView text);
// The grapheme clusters of `text`, as views into it.
std::vector<QStringView> graphemeClusters(QStringView text);

// The sum of the Unicode scalar values of a character (`utf32Chars`); a lone surrogate counts as U+FFFD.
char32_t utf32Chars(QStringView character);
// The Unicode scalar values of a text, in order (lone surrogates as U+FFFD).
std::vector<char32_t> scalarValues(QStringView text);
// Negative, zero or positive as the character orders before, equal to or after the one-scalar
// character `scalar` (canonical form, then scalar values lexicographically).
int compareCharacter(QStringView character, char32_t scalar);
// The NFC form of a character (ASCII returned as it is, without normalizing).
QString canonicalCharacter(QStringView character);

// Tests on the sum of the scalar values.
bool isCapitalGreek(char32_t code);                  // U+0391 to U+03A9
bool isLowerGreek(char32_t code);                    // U+03B1 to U+03C9
std::optional<int> greekSymbolOrder(char32_t code);  // position among U+03F5 U+03D1 U+03F0 U+03D5 U+03F1 U+03D6
inline bool isGreekSymbol(char32_t code) { return greekSymbolOrder(code).has_value(); }
inline bool isCapitalGreek(QStringView ch) { return isCapitalGreek(utf32Chars(ch)); }
inline bool isLowerGreek(QStringView ch) { return isLowerGreek(utf32Chars(ch)); }
inline std::optional<int> greekSymbolOrder(QStringView ch) { return greekSymbolOrder(utf32Chars(ch)); }
inline bool isGreekSymbol(QStringView ch) { return isGreekSymbol(utf32Chars(ch)); }

// Tests by ordering of the character.
bool isUpperEnglish(QStringView ch); // "A" to "Z"
bool isLowerEnglish(QStringView ch); // "a" to "z"
bool isNumber(QStringView ch);       // "0" to "9"

// A cased letter, in any script (its Lowercase or Uppercase property holds, or for a cluster of
// several scalars: it is unchanged by one case mapping and changed by the other). The parser reads
// command names and environment names as runs of these.
bool isCasedLetter(QStringView ch);

} // namespace zepla::math
