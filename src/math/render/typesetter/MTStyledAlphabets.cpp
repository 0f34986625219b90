// Font styles realised as code points: letters and digits rewritten into the Mathematical Alphanumeric
// Symbols and Letterlike Symbols blocks, all drawn with the one math font.
#include "typesetter/MTStyledAlphabets.h"

#include "mathlist/MTUnicode.h"

#include <array>
#include <optional>
#include <span>

namespace zepla::math {

namespace {

// The ranges an alphabet moves as a block, each by the offset of a character from the first of its range.
enum class Range { upper, lower, capitalGreek, lowerGreek, greekSymbol, digit };

// The position of a character within a range, or none when it is not in it.
std::optional<char32_t> positionIn(Range range, char32_t ch) {
    const auto within = [ch](char32_t first, char32_t last) -> std::optional<char32_t> {
        return ch >= first && ch <= last ? std::optional(ch - first) : std::nullopt;
    };
    switch (range) {
    case Range::upper:
        return within(U'A', U'Z');
    case Range::lower:
        return within(U'a', U'z');
    case Range::capitalGreek:
        return isCapitalGreek(ch) ? std::optional(ch - U'\u0391') : std::nullopt;
    case Range::lowerGreek:
        return isLowerGreek(ch) ? std::optional(ch - U'\u03B1') : std::nullopt;
    case Range::greekSymbol:
        if (auto order = greekSymbolOrder(ch))
            return char32_t(*order);
        return std::nullopt;
    case Range::digit:
        return within(U'0', U'9');
    }
    return std::nullopt;
}

struct Offset {
    Range range;
    char32_t base;
};
// A letter the block leaves unassigned because the Letterlike Symbols block already has it.
struct Special {
    char32_t from;
    char32_t to;
};
struct Alphabet {
    std::span<const Special> specials;
    std::span<const Offset> offsets;
    // For characters no rule matches; none leaves them unchanged.
    char32_t (*fallback)(char32_t) = nullptr;
};

char32_t map(const Alphabet& alphabet, char32_t ch) {
    for (const Special& special : alphabet.specials) {
        if (special.from == ch)
            return special.to;
    }
    for (const Offset& offset : alphabet.offsets) {
        if (auto position = positionIn(offset.range, ch))
            return offset.base + *position;
    }
    return alphabet.fallback ? alphabet.fallback(ch) : ch;
}

constexpr Special kItalicSpecials[] = {{U'h', 0x210E}};
constexpr Offset kItalicOffsets[] = {{Range::upper, 0x1D434},
                                     {Range::lower, 0x1D44E},
                                     {Range::capitalGreek, 0x1D6E2},
                                     {Range::lowerGreek, 0x1D6FC},
                                     {Range::greekSymbol, 0x1D716}};
constexpr Offset kBoldOffsets[] = {{Range::upper, 0x1D400},        {Range::lower, 0x1D41A},
                                   {Range::capitalGreek, 0x1D6A8}, {Range::lowerGreek, 0x1D6C2},
                                   {Range::greekSymbol, 0x1D6DC},  {Range::digit, 0x1D7CE}};
// Bold italic has no digits of its own and borrows the bold ones.
constexpr Offset kBoldItalicOffsets[] = {{Range::upper, 0x1D468},        {Range::lower, 0x1D482},
                                         {Range::capitalGreek, 0x1D71C}, {Range::lowerGreek, 0x1D736},
                                         {Range::greekSymbol, 0x1D750},  {Range::digit, 0x1D7CE}};
// The ranges the default style slants; digits, capital Greek and "." stay upright.
constexpr Range kDefaultSlanted[] = {Range::upper, Range::lower, Range::lowerGreek, Range::greekSymbol};
constexpr Special kCaligraphicSpecials[] = {{U'B', 0x212C}, {U'E', 0x2130}, {U'F', 0x2131}, {U'H', 0x210B},
                                            {U'I', 0x2110}, {U'L', 0x2112}, {U'M', 0x2133}, {U'R', 0x211B},
                                            {U'e', 0x212F}, {U'g', 0x210A}, {U'o', 0x2134}};
constexpr Offset kCaligraphicOffsets[] = {{Range::upper, 0x1D49C}};
constexpr Offset kTypewriterOffsets[] = {
    {Range::upper, 0x1D670}, {Range::lower, 0x1D68A}, {Range::digit, 0x1D7F6}};
constexpr Offset kSansSerifOffsets[] = {
    {Range::upper, 0x1D5A0}, {Range::lower, 0x1D5BA}, {Range::digit, 0x1D7E2}};
constexpr Special kFrakturSpecials[] = {
    {U'C', 0x212D}, {U'H', 0x210C}, {U'I', 0x2111}, {U'R', 0x211C}, {U'Z', 0x2128}};
constexpr Offset kFrakturOffsets[] = {{Range::upper, 0x1D504}, {Range::lower, 0x1D51E}};
constexpr Special kBlackboardSpecials[] = {{U'C', 0x2102}, {U'H', 0x210D}, {U'N', 0x2115}, {U'P', 0x2119},
                                           {U'Q', 0x211A}, {U'R', 0x211D}, {U'Z', 0x2124}};
constexpr Offset kBlackboardOffsets[] = {
    {Range::upper, 0x1D538}, {Range::lower, 0x1D552}, {Range::digit, 0x1D7D8}};

char32_t roman(char32_t ch) {
    return ch;
}

// The alphabet of each font style, in the order of the styles' raw values.
constexpr std::array<char32_t (*)(char32_t), 10> kStyleMappings = {
    getDefaultStyle, roman,        getBold,    getCaligraphic, getTypewriter,
    getItalicized,   getSansSerif, getFraktur, getBlackboard,  getBoldItalic,
};

void appendCodePoint(QString& text, char32_t code) {
    if (QChar::requiresSurrogates(code)) {
        text.append(QChar(QChar::highSurrogate(code)));
        text.append(QChar(QChar::lowSurrogate(code)));
    } else {
        text.append(QChar(char16_t(code)));
    }
}

} // namespace

// Characters outside the letters, digits, "." and Greek that variable and number atoms are made of stay as
// they are rather than stopping the process: a symbol registered as a variable still draws.
char32_t getDefaultStyle(char32_t ch) {
    for (Range range : kDefaultSlanted) {
        if (positionIn(range, ch))
            return getItalicized(ch);
    }
    return ch;
}

char32_t getItalicized(char32_t ch) {
    return map({kItalicSpecials, kItalicOffsets}, ch);
}

char32_t getBold(char32_t ch) {
    return map({{}, kBoldOffsets}, ch);
}

char32_t getBoldItalic(char32_t ch) {
    return map({{}, kBoldItalicOffsets}, ch);
}

char32_t getCaligraphic(char32_t ch) {
    return map({kCaligraphicSpecials, kCaligraphicOffsets, getDefaultStyle}, ch);
}

char32_t getTypewriter(char32_t ch) {
    return map({{}, kTypewriterOffsets, getDefaultStyle}, ch);
}

char32_t getSansSerif(char32_t ch) {
    return map({{}, kSansSerifOffsets, getDefaultStyle}, ch);
}

char32_t getFraktur(char32_t ch) {
    return map({kFrakturSpecials, kFrakturOffsets, getDefaultStyle}, ch);
}

char32_t getBlackboard(char32_t ch) {
    return map({kBlackboardSpecials, kBlackboardOffsets, getDefaultStyle}, ch);
}

QString changeFont(QStringView text, MTFontStyle style) {
    const auto mapping = kStyleMappings[std::size_t(rawValue(style))];
    QString result;
    result.reserve(text.size() * 2);
    for (QStringView character : graphemeClusters(text))
        appendCodePoint(result, mapping(utf32Chars(character)));
    return result;
}

} // namespace zepla::math
