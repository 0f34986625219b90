// The atom factory and the accessors of the vocabulary tables.
#include "mathlist/MTMathAtomFactory.h"

#include "mathlist/MTNodePool.h"

#include "mathlist/MTUnicode.h"
#include "mathlist/MTVocabulary_p.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <shared_mutex>

namespace zepla::math {

namespace {

// A table built once, on first use, by std::call_once; kept for the life of the process.
template <typename T>
struct OnceTable {
    std::once_flag flag;
    const T* value = nullptr;

    template <typename F>
    const T& get(F build) {
        std::call_once(flag, [&] { value = new T(build()); });
        return *value;
    }
};

// The symbol table, the one table that changes after it is built, and its reverse map. Both are
// guarded by textToLatexLock: lookups share it, addLatexSymbol() takes it exclusively.
struct SymbolState {
    std::shared_mutex textToLatexLock;
    MTStringMap<MTMathAtomPtr> symbols;
    std::unique_ptr<MTStringMap<QString>> textToLatex;
};

SymbolState& symbolState() {
    static std::once_flag flag;
    static SymbolState* state = nullptr;
    std::call_once(flag, [] {
        auto* s = new SymbolState;
        s->symbols = detail::buildSupportedLatexSymbols();
        state = s;
    });
    return *state;
}

// A reverse map that never changes once stored: built outside any lock, stored under its lock if
// none is stored yet (the first store wins), read through an atomic pointer.
struct PublishedMap {
    std::shared_mutex lock;
    std::atomic<const MTStringMap<QString>*> map{nullptr};

    template <typename F>
    const MTStringMap<QString>& get(F build) {
        if (const auto* m = map.load(std::memory_order_acquire))
            return *m;
        const auto* built = new MTStringMap<QString>(build());
        {
            std::unique_lock guard(lock);
            if (!map.load(std::memory_order_relaxed)) {
                map.store(built, std::memory_order_release);
                built = nullptr;
            }
        }
        delete built;
        return *map.load(std::memory_order_acquire);
    }
};

// The tie-break between two names of one value: the shorter name (in characters), then the one
// that orders first in a plain comparison of character codes.
bool preferredName(const QString& a, const QString& b) {
    const auto la = graphemeBoundaries(a).size();
    const auto lb = graphemeBoundaries(b).size();
    if (la != lb)
        return la < lb;
    return QString::compare(a, b, Qt::CaseSensitive) < 0;
}

// Value to name over (name, value) pairs; empty values are skipped when asked to.
MTStringMap<QString> buildReverseMap(const std::vector<std::pair<QString, QString>>& pairs, bool skipEmpty) {
    MTStringMap<QString> reverse;
    reverse.reserve(pairs.size());
    for (const auto& [name, value] : pairs) {
        if (skipEmpty && value.isEmpty())
            continue;
        auto it = reverse.find(value);
        if (it == reverse.end())
            reverse.emplace(value, name);
        else if (preferredName(name, it->second))
            it->second = name;
    }
    return reverse;
}

template <typename Map>
std::vector<std::pair<QString, QString>> namesAndValues(const Map& map) {
    std::vector<std::pair<QString, QString>> pairs;
    pairs.reserve(map.size());
    for (const auto& [name, value] : map)
        pairs.emplace_back(name, value);
    return pairs;
}

void ensureTextToLatex(SymbolState& s) {
    {
        std::shared_lock guard(s.textToLatexLock);
        if (s.textToLatex)
            return;
    }
    std::vector<std::pair<QString, QString>> pairs;
    {
        std::shared_lock guard(s.textToLatexLock);
        pairs.reserve(s.symbols.size());
        for (const auto& [name, atom] : s.symbols)
            pairs.emplace_back(name, atom->nucleus());
    }
    auto built = std::make_unique<MTStringMap<QString>>(buildReverseMap(pairs, true));
    std::unique_lock guard(s.textToLatexLock);
    if (!s.textToLatex)
        s.textToLatex = std::move(built);
}

const MTStringMap<QString>& delimValueToName() {
    static PublishedMap delimValueLock;
    return delimValueLock.get([] { return buildReverseMap(namesAndValues(MTMathAtomFactory::delimiters()), false); });
}

const MTStringMap<QString>& accentValueToName() {
    static PublishedMap accentValueLock;
    return accentValueLock.get([] { return buildReverseMap(namesAndValues(MTMathAtomFactory::accents()), false); });
}

// The plain printable ASCII characters (0x21 to 0x7E) as atom prototypes: type and nucleus.
struct AsciiEntry {
    bool valid = false;
    MTMathAtomType type = MTMathAtomType::ordinary;
    QString nucleus;
};

AsciiEntry asciiEntryFor(char32_t c) {
    using T = MTMathAtomType;
    AsciiEntry e;
    const QString self = QString(QChar(static_cast<char16_t>(c)));
    e.valid = true;
    e.nucleus = self;
    switch (c) {
    case '$': case '%': case '#': case '&': case '~': case '^': case '_': case '{': case '}': case '\\':
        e.valid = false;
        break;
    case '(': case '[': e.type = T::open; break;
    case ')': case ']': case '!': case '?': e.type = T::close; break;
    case ',': case ';': e.type = T::punctuation; break;
    case '=': case '>': case '<': e.type = T::relation; break;
    case ':': e.type = T::relation; e.nucleus = QString(QChar(0x2236)); break;
    case '-': e.type = T::binaryOperator; e.nucleus = QString(QChar(0x2212)); break;
    case '+': case '*': e.type = T::binaryOperator; break;
    case '"': case '/': case '@': case '`': case '|': e.type = T::ordinary; break;
    default:
        if (c == '.' || (c >= '0' && c <= '9'))
            e.type = T::number;
        else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))
            e.type = T::variable;
        else
            e.valid = false; // not printable ASCII (the apostrophe is handled before)
        break;
    }
    return e;
}

const std::array<AsciiEntry, 128>& asciiTable() {
    static OnceTable<std::array<AsciiEntry, 128>> table;
    return table.get([] {
        std::array<AsciiEntry, 128> t;
        for (char32_t c = 0x21; c <= 0x7E; ++c)
            t[c] = asciiEntryFor(c);
        return t;
    });
}

MTMathAtomPtr atomFromAscii(char32_t code, QStringView character) {
    const AsciiEntry& e = asciiTable()[code];
    if (!e.valid)
        return nullptr;
    // A one-unit character shares the prototype's text; the ":" and "-" rows always give their own
    // nucleus; any other (longer) cluster keeps its own text.
    if (character.size() == 1 || code == ':' || code == '-')
        return MTNodePool::make<MTMathAtom>(e.type, e.nucleus);
    return MTNodePool::make<MTMathAtom>(e.type, character.toString());
}

} // namespace

// --- Tables ----------------------------------------------------------------------------------

const MTStringMap<QString>& MTMathAtomFactory::aliases() {
    static OnceTable<MTStringMap<QString>> table;
    return table.get(detail::buildAliases);
}

const MTStringMap<QString>& MTMathAtomFactory::delimiters() {
    static OnceTable<MTStringMap<QString>> table;
    return table.get(detail::buildDelimiters);
}

const MTStringMap<QString>& MTMathAtomFactory::accents() {
    static OnceTable<MTStringMap<QString>> table;
    return table.get(detail::buildAccents);
}

const MTStringMap<std::pair<QString, QString>>& MTMathAtomFactory::supportedAccentedCharacters() {
    static OnceTable<MTStringMap<std::pair<QString, QString>>> table;
    return table.get(detail::buildSupportedAccentedCharacters);
}

const MTStringMap<MTFontStyle>& MTMathAtomFactory::fontStyles() {
    static OnceTable<MTStringMap<MTFontStyle>> table;
    return table.get(detail::buildFontStyles);
}

const MTStringMap<QStringList>& MTMathAtomFactory::matrixEnvs() {
    static OnceTable<MTStringMap<QStringList>> table;
    return table.get(detail::buildMatrixEnvs);
}

qsizetype MTMathAtomFactory::supportedLatexSymbolCount() {
    SymbolState& s = symbolState();
    std::shared_lock guard(s.textToLatexLock);
    return static_cast<qsizetype>(s.symbols.size());
}

QStringList MTMathAtomFactory::supportedLatexSymbolNames() {
    SymbolState& s = symbolState();
    QStringList names;
    {
        std::shared_lock guard(s.textToLatexLock);
        names.reserve(static_cast<qsizetype>(s.symbols.size()));
        for (const auto& entry : s.symbols)
            names.append(entry.first);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::optional<MTFontStyle> MTMathAtomFactory::fontStyleWithName(QStringView name) {
    const auto& styles = fontStyles();
    auto it = styles.find(name);
    if (it == styles.end())
        return std::nullopt;
    return it->second;
}

QString MTMathAtomFactory::fontNameForStyle(MTFontStyle style) {
    switch (style) {
    case MTFontStyle::defaultStyle: return QStringLiteral("mathnormal");
    case MTFontStyle::roman: return QStringLiteral("mathrm");
    case MTFontStyle::bold: return QStringLiteral("mathbf");
    case MTFontStyle::caligraphic: return QStringLiteral("mathcal");
    case MTFontStyle::typewriter: return QStringLiteral("mathtt");
    case MTFontStyle::italic: return QStringLiteral("mathit");
    case MTFontStyle::sansSerif: return QStringLiteral("mathsf");
    case MTFontStyle::fraktur: return QStringLiteral("mathfrak");
    case MTFontStyle::blackboard: return QStringLiteral("mathbb");
    case MTFontStyle::boldItalic: return QStringLiteral("bm");
    }
    return QStringLiteral("mathnormal");
}

// --- Atoms for characters and commands -------------------------------------------------------

MTMathAtomPtr MTMathAtomFactory::atomForCharacter(QStringView character) {
    if (character.isEmpty())
        return nullptr;
    if (character.size() == 1 && character[0].unicode() < 0x80) {
        const char16_t c = character[0].unicode();
        if (c == '\'')
            return atomFromAccentedCharacter(character);
        if (c < 0x21 || c > 0x7E)
            return nullptr;
        return atomFromAscii(c, character);
    }
    // 1. Basic Cyrillic capital and small letters.
    if (compareCharacter(character, 0x0410) >= 0 && compareCharacter(character, 0x044F) <= 0)
        return MTNodePool::make<MTMathAtom>(MTMathAtomType::ordinary, character.toString());
    // 2. Accented characters and the letter symbols.
    if (supportedAccentedCharacters().count(canonicalCharacter(character)))
        return atomFromAccentedCharacter(character);
    // 3. Blank and control characters, and everything beyond ASCII.
    const char32_t code = utf32Chars(character);
    if (code < 0x21 || code > 0x7E)
        return nullptr;
    // 4 and 5. Printable ASCII, reached by a cluster of several scalars (none in practice).
    return atomFromAscii(code, character);
}

MTMathAtomPtr MTMathAtomFactory::atomFromAccentedCharacter(QStringView character) {
    const auto& table = supportedAccentedCharacters();
    auto it = table.find(canonicalCharacter(character));
    if (it == table.end())
        return nullptr;
    const auto& [name, base] = it->second;
    if (MTMathAtomPtr symbol = atomForLatexSymbol(name))
        return symbol;
    std::shared_ptr<MTAccent> accent = accentWithName(name);
    if (!accent)
        return nullptr;
    auto list = std::make_shared<MTMathList>();
    const auto bounds = graphemeBoundaries(base);
    if (bounds.size() > 1)
        list->add(atomForCharacter(QStringView(base).mid(0, bounds[1])));
    accent->setInnerList(list);
    return accent;
}

MTMathAtomPtr MTMathAtomFactory::atomForLatexSymbol(QStringView name) {
    const auto& aliasTable = aliases();
    auto alias = aliasTable.find(name);
    const QStringView resolved = alias == aliasTable.end() ? name : QStringView(alias->second);
    SymbolState& s = symbolState();
    std::shared_lock guard(s.textToLatexLock);
    auto it = s.symbols.find(resolved);
    if (it == s.symbols.end())
        return nullptr;
    return it->second->copy();
}

std::shared_ptr<MTAccent> MTMathAtomFactory::accentWithName(QStringView name) {
    const auto& table = accents();
    auto it = table.find(name);
    if (it == table.end())
        return nullptr;
    auto accent = std::make_shared<MTAccent>(it->second);
    accent->setWide(name.startsWith(u"wide"));
    return accent;
}

MTMathAtomPtr MTMathAtomFactory::boundaryForDelimiter(QStringView name) {
    const auto& table = delimiters();
    auto it = table.find(name);
    if (it == table.end())
        return nullptr;
    return std::make_shared<MTMathAtom>(MTMathAtomType::boundary, it->second);
}

std::optional<QString> MTMathAtomFactory::latexSymbolNameForAtom(const MTMathAtom& atom) {
    if (atom.nucleus().isEmpty())
        return std::nullopt;
    SymbolState& s = symbolState();
    ensureTextToLatex(s);
    std::shared_lock guard(s.textToLatexLock);
    auto it = s.textToLatex->find(atom.nucleus());
    if (it == s.textToLatex->end())
        return std::nullopt;
    return it->second;
}

std::optional<QString> MTMathAtomFactory::getDelimiterName(const MTMathAtom& atom) {
    if (atom.type() != MTMathAtomType::boundary)
        return std::nullopt;
    const auto& map = delimValueToName();
    auto it = map.find(atom.nucleus());
    if (it == map.end())
        return std::nullopt;
    return it->second;
}

std::optional<QString> MTMathAtomFactory::accentName(const MTMathAtom& accent) {
    const auto& map = accentValueToName();
    auto it = map.find(accent.nucleus());
    if (it == map.end())
        return std::nullopt;
    return it->second;
}

void MTMathAtomFactory::addLatexSymbol(const QString& name, const MTMathAtomPtr& atom) {
    if (!atom)
        return;
    SymbolState& s = symbolState();
    ensureTextToLatex(s);
    std::unique_lock guard(s.textToLatexLock);
    s.symbols[name] = atom;
    (*s.textToLatex)[atom->nucleus()] = name;
}

MTStringMap<QString> MTMathAtomFactory::textToLatexSymbolNameSnapshot() {
    SymbolState& s = symbolState();
    ensureTextToLatex(s);
    std::shared_lock guard(s.textToLatexLock);
    return *s.textToLatex;
}

MTStringMap<QString> MTMathAtomFactory::delimValueToNameSnapshot() { return delimValueToName(); }

MTStringMap<QString> MTMathAtomFactory::accentValueToNameSnapshot() { return accentValueToName(); }

// --- Ready-made atoms ------------------------------------------------------------------------

MTMathAtomPtr MTMathAtomFactory::placeholder() {
    return std::make_shared<MTMathAtom>(MTMathAtomType::placeholder, QString(QChar(0x25A1)));
}

MTMathAtomPtr MTMathAtomFactory::times() {
    return std::make_shared<MTMathAtom>(MTMathAtomType::binaryOperator, QString(QChar(0x00D7)));
}

MTMathAtomPtr MTMathAtomFactory::divide() {
    return std::make_shared<MTMathAtom>(MTMathAtomType::binaryOperator, QString(QChar(0x00F7)));
}

std::shared_ptr<MTLargeOperator> MTMathAtomFactory::operatorWithName(const QString& name, bool limits) {
    return std::make_shared<MTLargeOperator>(name, limits);
}

std::shared_ptr<MTFraction> MTMathAtomFactory::placeholderFraction() {
    auto frac = std::make_shared<MTFraction>(true);
    frac->setNumerator(std::make_shared<MTMathList>(placeholder()));
    frac->setDenominator(std::make_shared<MTMathList>(placeholder()));
    return frac;
}

std::shared_ptr<MTRadical> MTMathAtomFactory::placeholderSquareRoot() {
    auto rad = std::make_shared<MTRadical>();
    rad->setRadicand(std::make_shared<MTMathList>(placeholder()));
    return rad;
}

std::shared_ptr<MTRadical> MTMathAtomFactory::placeholderRadical() {
    auto rad = std::make_shared<MTRadical>();
    rad->setRadicand(std::make_shared<MTMathList>(placeholder()));
    rad->setDegree(std::make_shared<MTMathList>(placeholder()));
    return rad;
}

std::shared_ptr<MTFraction> MTMathAtomFactory::fraction(MTMathListPtr numerator, MTMathListPtr denominator) {
    auto frac = std::make_shared<MTFraction>(true);
    frac->setNumerator(std::move(numerator));
    frac->setDenominator(std::move(denominator));
    return frac;
}

std::shared_ptr<MTFraction> MTMathAtomFactory::fraction(const QString& numerator, const QString& denominator) {
    return fraction(atomList(numerator), atomList(denominator));
}

MTMathListPtr MTMathAtomFactory::atomList(const QString& text) {
    auto list = std::make_shared<MTMathList>();
    for (QStringView ch : graphemeClusters(text))
        list->add(atomForCharacter(ch));
    return list;
}

} // namespace zepla::math
