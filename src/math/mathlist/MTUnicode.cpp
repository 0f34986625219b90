#include "mathlist/MTUnicode.h"

#include <QChar>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <array>

namespace zepla::math {

std::vector<qsizetype> graphemeBoundaries(QStringView text) {
    std::vector<qsizetype> bounds;
    const qsizetype n = text.size();
    bounds.reserve(static_cast<std::size_t>(n) + 1);
    const QChar* data = text.data();
    bool ascii = true;
    for (qsizetype i = 0; i < n; ++i) {
        if (data[i].unicode() >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii) {
        for (qsizetype i = 0; i < n; ++i) {
            if (i > 0 && data[i] == QLatin1Char('\n') && data[i - 1] == QLatin1Char('\r'))
                continue;
            bounds.push_back(i);
        }
        bounds.push_back(n);
        return bounds;
    }
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, data, n);
    bounds.push_back(0);
    for (qsizetype p = finder.toNextBoundary(); p != -1 && p <= n; p = finder.toNextBoundary()) {
        if (p > bounds.back())
            bounds.push_back(p);
        if (p == n)
            break;
    }
    if (bounds.back() != n)
        bounds.push_back(n);
    return bounds;
}

std::vector<QStringView> graphemeClusters(QStringView text) {
    const auto bounds = graphemeBoundaries(text);
    std::vector<QStringView> clusters;
    clusters.reserve(bounds.size() - 1);
    for (std::size_t i = 0; i + 1 < bounds.size(); ++i)
        clusters.push_back(text.mid(bounds[i], bounds[i + 1] - bounds[i]));
    return clusters;
}

namespace {
template <typename F>
void forEachScalar(QStringView text, F&& f) {
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = text[i].unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(text[i + 1].unicode())) {
            f(static_cast<char32_t>(QChar::surrogateToUcs4(u, text[i + 1].unicode())));
            ++i;
        } else if (QChar::isSurrogate(u)) {
            f(char32_t(0xFFFD));
        } else {
            f(static_cast<char32_t>(u));
        }
    }
}
} // namespace

char32_t utf32Chars(QStringView character) {
    if (character.size() == 1 && !character[0].isSurrogate())
        return character[0].unicode();
    char32_t sum = 0;
    forEachScalar(character, [&](char32_t c) { sum += c; });
    return sum;
}

std::vector<char32_t> scalarValues(QStringView text) {
    std::vector<char32_t> out;
    out.reserve(text.size());
    forEachScalar(text, [&](char32_t c) { out.push_back(c); });
    return out;
}

QString canonicalCharacter(QStringView character) {
    bool ascii = true;
    for (QChar c : character)
        ascii = ascii && c.unicode() < 0x80;
    if (ascii)
        return character.toString();
    return character.toString().normalized(QString::NormalizationForm_C);
}

int compareCharacter(QStringView character, char32_t scalar) {
    if (character.size() == 1 && character[0].unicode() < 0x80) {
        const char32_t c = character[0].unicode();
        return c < scalar ? -1 : (c > scalar ? 1 : 0);
    }
    if (character.isEmpty())
        return -1;
    const auto scalars = scalarValues(canonicalCharacter(character));
    if (scalars.empty())
        return -1;
    if (scalars[0] != scalar)
        return scalars[0] < scalar ? -1 : 1;
    return scalars.size() > 1 ? 1 : 0;
}

bool isCapitalGreek(char32_t code) { return code >= 0x0391 && code <= 0x03A9; }
bool isLowerGreek(char32_t code) { return code >= 0x03B1 && code <= 0x03C9; }

std::optional<int> greekSymbolOrder(char32_t code) {
    static constexpr std::array<char32_t, 6> symbols = {0x03F5, 0x03D1, 0x03F0, 0x03D5, 0x03F1, 0x03D6};
    for (int i = 0; i < 6; ++i)
        if (symbols[i] == code)
            return i;
    return std::nullopt;
}

namespace {
bool inClosedRange(QStringView ch, char32_t lo, char32_t hi) {
    return compareCharacter(ch, lo) >= 0 && compareCharacter(ch, hi) <= 0;
}

struct Range {
    char32_t lo, hi;
};
// Other_Lowercase and Other_Uppercase of PropList.txt: the Lowercase and Uppercase properties are
// the letter categories Ll and Lu plus these.
constexpr Range otherLowercase[] = {
    {0x00AA, 0x00AA}, {0x00BA, 0x00BA}, {0x02B0, 0x02B8}, {0x02C0, 0x02C1}, {0x02E0, 0x02E4},
    {0x0345, 0x0345}, {0x037A, 0x037A}, {0x10FC, 0x10FC}, {0x1D2C, 0x1D6A}, {0x1D78, 0x1D78},
    {0x1D9B, 0x1DBF}, {0x2071, 0x2071}, {0x207F, 0x207F}, {0x2090, 0x209C}, {0x2170, 0x217F},
    {0x24D0, 0x24E9}, {0x2C7C, 0x2C7D}, {0xA69C, 0xA69D}, {0xA770, 0xA770}, {0xA7F2, 0xA7F4},
    {0xA7F8, 0xA7F9}, {0xAB5C, 0xAB5F}, {0xAB69, 0xAB69}, {0x10780, 0x10780}, {0x10783, 0x10785},
    {0x10787, 0x107B0}, {0x107B2, 0x107BA}, {0x1E030, 0x1E06D},
};
constexpr Range otherUppercase[] = {
    {0x2160, 0x216F}, {0x24B6, 0x24CF}, {0x1F130, 0x1F149}, {0x1F150, 0x1F169}, {0x1F170, 0x1F189},
};

template <std::size_t N>
bool inRanges(const Range (&ranges)[N], char32_t c) {
    return std::any_of(std::begin(ranges), std::end(ranges), [c](const Range& r) { return c >= r.lo && c <= r.hi; });
}

bool hasCaseProperty(char32_t c) {
    const QChar::Category cat = QChar::category(c);
    return cat == QChar::Letter_Lowercase || cat == QChar::Letter_Uppercase || inRanges(otherLowercase, c) ||
           inRanges(otherUppercase, c);
}
} // namespace

bool isUpperEnglish(QStringView ch) { return inClosedRange(ch, U'A', U'Z'); }
bool isLowerEnglish(QStringView ch) { return inClosedRange(ch, U'a', U'z'); }
bool isNumber(QStringView ch) { return inClosedRange(ch, U'0', U'9'); }

bool isCasedLetter(QStringView ch) {
    if (ch.size() == 1) {
        const char16_t u = ch[0].unicode();
        if (u < 0x80)
            return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z');
    }
    const auto scalars = scalarValues(ch);
    if (scalars.size() == 1 && hasCaseProperty(scalars[0]))
        return true;
    const QString s = ch.toString();
    const QString lower = s.toLower();
    const QString upper = s.toUpper();
    return (s == lower && s != upper) || (s == upper && s != lower);
}

} // namespace zepla::math
