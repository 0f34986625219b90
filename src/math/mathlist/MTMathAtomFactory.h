// The LaTeX vocabulary and the atom factory.
//
// MTMathAtomFactory has static members only. Its tables are built once, on first use, safely against
// concurrent first use (std::call_once). Every atom it hands out is a new object owned by the
// caller; the prototypes of the symbol table never leave it.
//
// Locking: the symbol table and its reverse map (text to command name) are guarded by one
// reader-writer lock (lookups share it, addLatexSymbol() takes it exclusively). The delimiter and
// accent reverse maps are built outside any lock, published under a lock of their own (the first
// store wins) and read lock-free afterwards through an atomic pointer. Because a tie between two
// names is settled by the names alone (the shorter one, then the one that orders first), every
// build gives the same map.
#pragma once

#include "mathlist/MTMathList.h"
#include "mathlist/MTParseError.h"

#include <QHashFunctions>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

namespace zepla::math {

// Hashing for maps keyed by QString that are looked up by QStringView without a copy.
struct MTStringHash {
    using is_transparent = void;
    std::size_t operator()(QStringView s) const noexcept { return qHash(s); }
};
template <typename V>
using MTStringMap = std::unordered_map<QString, V, MTStringHash, std::equal_to<>>;

class MTMathAtomFactory {
public:
    MTMathAtomFactory() = delete;

    // --- The vocabulary tables ---------------------------------------------------

    // Command name (without the backslash) to the name it stands for in the symbol table (13 rows).
    static const MTStringMap<QString>& aliases();
    // Delimiter name to delimiter text (32 rows; "." gives the empty text).
    static const MTStringMap<QString>& delimiters();
    // Accent name to combining character (12 rows).
    static const MTStringMap<QString>& accents();
    // A precomposed character (NFC) to (accent or symbol name, base letter or empty) (61 rows).
    static const MTStringMap<std::pair<QString, QString>>& supportedAccentedCharacters();
    // Font command to font style (22 rows).
    static const MTStringMap<MTFontStyle>& fontStyles();
    // Matrix environment to its delimiter names: none, or a left and a right one (6 rows).
    static const MTStringMap<QStringList>& matrixEnvs();
    // The symbol table (237 rows as built; addLatexSymbol() adds rows): its size and its names, sorted.
    static qsizetype supportedLatexSymbolCount();
    static QStringList supportedLatexSymbolNames();

    // The font style of a font command, or none.
    static std::optional<MTFontStyle> fontStyleWithName(QStringView name);
    // The canonical command of a style: "mathnormal", "mathrm", "mathbf", "mathcal", "mathtt",
    // "mathit", "mathsf", "mathfrak", "mathbb", "bm".
    static QString fontNameForStyle(MTFontStyle style);

    // --- Atoms for characters and commands ---------------------------------------

    // The atom for one plain input character (a grapheme cluster), or none when the character has
    // no meaning on its own or is not supported.
    static MTMathAtomPtr atomForCharacter(QStringView character);
    // The atom for a precomposed accented character or one of the letter symbols, or none.
    static MTMathAtomPtr atomFromAccentedCharacter(QStringView character);
    // A copy of the symbol command's atom, after one step of alias resolution, or none.
    static MTMathAtomPtr atomForLatexSymbol(QStringView name);
    // A new accent atom without an inner list, or none.
    static std::shared_ptr<MTAccent> accentWithName(QStringView name);
    // A new boundary atom whose nucleus is the delimiter text, or none.
    static MTMathAtomPtr boundaryForDelimiter(QStringView name);

    // Reverse lookups: the command name for an atom's nucleus (none for an empty nucleus), the
    // delimiter name of a boundary atom (none for other types), the accent name of an accent.
    static std::optional<QString> latexSymbolNameForAtom(const MTMathAtom& atom);
    static std::optional<QString> getDelimiterName(const MTMathAtom& atom);
    static std::optional<QString> accentName(const MTMathAtom& accent);

    // Registers or replaces a symbol command; the atom's nucleus then maps back to `name` (the
    // latest registration wins). A set-up operation.
    static void addLatexSymbol(const QString& name, const MTMathAtomPtr& atom);

    // Snapshots of the reverse maps (for inspection and tests).
    static MTStringMap<QString> textToLatexSymbolNameSnapshot();
    static MTStringMap<QString> delimValueToNameSnapshot();
    static MTStringMap<QString> accentValueToNameSnapshot();

    // --- Ready-made atoms ---------------------------------------------------------------------

    static MTMathAtomPtr placeholder();   // placeholder U+25A1
    static MTMathAtomPtr times();         // binary operator U+00D7
    static MTMathAtomPtr divide();        // binary operator U+00F7
    static std::shared_ptr<MTLargeOperator> operatorWithName(const QString& name, bool limits);
    static std::shared_ptr<MTFraction> placeholderFraction();
    static std::shared_ptr<MTRadical> placeholderSquareRoot();
    static std::shared_ptr<MTRadical> placeholderRadical();
    // A fraction with a rule and the two lists (referenced, not copied).
    static std::shared_ptr<MTFraction> fraction(MTMathListPtr numerator, MTMathListPtr denominator);
    static std::shared_ptr<MTFraction> fraction(const QString& numerator, const QString& denominator);
    // atomForCharacter() of every character in order, characters without an atom skipped.
    static MTMathListPtr atomList(const QString& text);
    static MTMathListPtr mathListForCharacters(const QString& text) { return atomList(text); }

    // --- Tables ------------------------------------------------------------------

    // Builds the table of an environment (none: a table begun by "&" or "\\" without \begin) from
    // rows of cells (used as given, not copied): an MTMathTable, or an MTInner around it for the
    // delimited matrices and "cases". On failure returns none and stores an error in `error`
    // unless it already holds one (code 8 unknown environment, code 12 wrong column count).
    static MTMathAtomPtr table(const std::optional<QString>& environment,
                               const std::vector<std::vector<MTMathListPtr>>& rows,
                               std::optional<MTParseError>& error);
};

} // namespace zepla::math
