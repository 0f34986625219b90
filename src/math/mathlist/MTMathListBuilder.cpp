// The LaTeX parser: a recursive-descent reader over grapheme clusters.
#include "mathlist/MTMathListBuilder.h"

#include "mathlist/MTMathAtomFactory.h"
#include "mathlist/MTNodePool.h"
#include "mathlist/MTUnicode.h"

#include <mutex>

namespace zepla::math {

namespace {

// The innermost open table or environment.
struct MTEnvProperties {
    std::optional<QString> envName; // none for a table begun by "&" or "\\" without \begin
    bool ended = false;
    int numRows = 0;
};

class Parser {
public:
    explicit Parser(const QString& text) : m_string(text), m_bounds(graphemeBoundaries(m_string)) {
        m_count = static_cast<qsizetype>(m_bounds.size()) - 1;
    }

    // The whole parse.
    MTMathListPtr build() {
        MTMathListPtr list = buildInternal(false);
        if (hasCharacters() && !m_error)
            setError(MTParseErrors::mismatchBraces, QStringLiteral("Mismatched braces: ") + m_string);
        if (m_error)
            return nullptr;
        return list;
    }

    const std::optional<MTParseError>& error() const { return m_error; }

private:
    // --- The character reader ---------------------------------------------------------------

    bool hasCharacters() const { return m_pos < m_count; }
    QStringView charAt(qsizetype i) const {
        return QStringView(m_string).mid(m_bounds[i], m_bounds[i + 1] - m_bounds[i]);
    }
    QStringView nextCharacter() { return charAt(m_pos++); }
    void unlookCharacter() {
        if (m_pos > 0)
            --m_pos;
    }
    // The character as one ASCII code unit, or 0 for anything else.
    static char16_t ascii(QStringView ch) {
        return ch.size() == 1 && ch[0].unicode() < 0x80 ? ch[0].unicode() : char16_t(0);
    }
    static bool isPrintableAscii(QStringView ch) {
        const char32_t code = utf32Chars(ch);
        return code >= 33 && code <= 126;
    }

    void skipSpaces() {
        while (hasCharacters()) {
            if (isPrintableAscii(nextCharacter())) {
                unlookCharacter();
                return;
            }
        }
    }

    bool expectCharacter(char16_t expected) {
        skipSpaces();
        if (!hasCharacters())
            return false;
        if (ascii(nextCharacter()) == expected)
            return true;
        unlookCharacter();
        return false;
    }

    // A run of cased letters (possibly empty), as a view into the text.
    QStringView readString() {
        const qsizetype start = m_pos;
        while (hasCharacters()) {
            if (!isCasedLetter(nextCharacter())) {
                unlookCharacter();
                break;
            }
        }
        return QStringView(m_string).mid(m_bounds[start], m_bounds[m_pos] - m_bounds[start]);
    }

    // A run of apostrophes, the first already read, as prime atoms (U+2032), one for each, as TeX reads
    // x'' as x^{\prime\prime}.
    MTMathListPtr readPrimes() {
        auto primes = MTNodePool::make<MTMathList>();
        for (;;) {
            auto prime =
                MTNodePool::make<MTMathAtom>(MTMathAtomType::ordinary, QString(QChar(char16_t(0x2032))));
            prime->setFontStyle(m_currentFontStyle);
            primes->add(prime);
            if (!hasCharacters())
                break;
            if (ascii(nextCharacter()) != '\'') {
                unlookCharacter();
                break;
            }
        }
        return primes;
    }

    // The name after a backslash: one of the fourteen single-character commands, or a run of letters.
    QStringView readCommand() {
        if (!hasCharacters())
            return readString();
        const QStringView ch = nextCharacter();
        switch (ascii(ch)) {
        case '{':
        case '}':
        case '$':
        case '#':
        case '%':
        case '&':
        case '_':
        case '|':
        case ' ':
        case ',':
        case '>':
        case ';':
        case '!':
        case '\\':
            return ch;
        default:
            unlookCharacter();
            return readString();
        }
    }

    std::optional<QString> readDelimiter() {
        skipSpaces();
        if (!hasCharacters())
            return std::nullopt;
        const QStringView ch = nextCharacter();
        if (ascii(ch) != '\\')
            return ch.toString();
        const QStringView command = readCommand();
        if (command == u"|")
            return QStringLiteral("||");
        return command.toString();
    }

    std::optional<QString> readEnvironment() {
        if (!expectCharacter('{')) {
            setError(MTParseErrors::characterNotFound, QStringLiteral("Missing {"));
            return std::nullopt;
        }
        skipSpaces();
        const QString env = readString().toString();
        if (!expectCharacter('}')) {
            setError(MTParseErrors::characterNotFound, QStringLiteral("Missing }"));
            return std::nullopt;
        }
        return env;
    }

    std::optional<QString> readColor() {
        if (!expectCharacter('{')) {
            setError(MTParseErrors::characterNotFound, QStringLiteral("Missing {"));
            return std::nullopt;
        }
        skipSpaces();
        QString color;
        while (hasCharacters()) {
            const char16_t c = ascii(nextCharacter());
            if (c == '#' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
                color += QChar(c);
            } else {
                unlookCharacter();
                break;
            }
        }
        if (!expectCharacter('}')) {
            setError(MTParseErrors::characterNotFound, QStringLiteral("Missing }"));
            return std::nullopt;
        }
        return color;
    }

    void setError(MTParseErrors kind, const QString& message) {
        if (!m_error)
            m_error = MTParseError(kind, message);
    }

    // --- The main loop ----------------------------------------------------------------------

    struct DepthGuard {
        explicit DepthGuard(int& depth) : m_depth(depth) { ++m_depth; }
        ~DepthGuard() { --m_depth; }
        int& m_depth;
    };

    MTMathListPtr buildInternal(bool oneCharOnly, char16_t stopChar = 0) {
        DepthGuard guard(m_depth);
        if (m_depth > MTMathListBuilder::maxNestingDepth) {
            setError(MTParseErrors::nestingTooDeep,
                     QStringLiteral("Formula nested too deeply: more than %1 levels of groups, scripts, "
                                    "arguments or environments")
                         .arg(MTMathListBuilder::maxNestingDepth));
            return nullptr;
        }
        auto list = MTNodePool::make<MTMathList>();
        MTMathAtomPtr prevAtom;
        // The atom whose superscript holds the primes just read; a "^" right after them adds to it.
        MTMathAtomPtr primed;
        while (hasCharacters()) {
            if (m_error)
                return nullptr;
            MTMathAtomPtr atom;
            const QStringView ch = nextCharacter();
            const char16_t c = ascii(ch);
            if (oneCharOnly && (c == '^' || c == '}' || c == '_' || c == '&')) {
                unlookCharacter();
                return list;
            }
            if (stopChar && c == stopChar)
                return list;

            if (c == '^' || c == '_') {
                const bool super = c == '^';
                // f'^2 is f with the superscript prime 2, as in TeX.
                const bool afterPrimes = super && prevAtom && primed == prevAtom;
                if (!afterPrimes && (!prevAtom || (super ? prevAtom->superScript() : prevAtom->subScript()) ||
                                     !prevAtom->isScriptAllowed())) {
                    prevAtom = MTNodePool::make<MTMathAtom>(MTMathAtomType::ordinary, QString());
                    list->add(prevAtom);
                }
                MTMathListPtr script = buildInternal(true);
                if (afterPrimes && script)
                    prevAtom->superScript()->append(script);
                else if (super)
                    prevAtom->setSuperScript(std::move(script));
                else
                    prevAtom->setSubScript(std::move(script));
                primed = nullptr;
                continue;
            }
            // Primes are superscripts of the atom before them, except in text, where "'" is an apostrophe.
            if (c == '\'' && !m_spacesAllowed && !oneCharOnly) {
                if (!prevAtom || prevAtom->superScript() || !prevAtom->isScriptAllowed()) {
                    prevAtom = MTNodePool::make<MTMathAtom>(MTMathAtomType::ordinary, QString());
                    list->add(prevAtom);
                }
                prevAtom->setSuperScript(readPrimes());
                primed = prevAtom;
                continue;
            }
            primed = nullptr;
            if (c == '{') {
                if (MTMathListPtr sublist = buildInternal(false, '}')) {
                    prevAtom = sublist->isEmpty() ? nullptr : sublist->atoms().back();
                    list->append(sublist);
                    if (oneCharOnly)
                        return list;
                }
                continue;
            }
            if (c == '}') {
                setError(MTParseErrors::mismatchBraces, QStringLiteral("Mismatched braces."));
                return nullptr;
            }
            if (c == '\\') {
                const QStringView command = readCommand();
                if (MTMathListPtr done = stopCommand(command, list, stopChar))
                    return done;
                if (m_error)
                    return nullptr;
                if (applyModifier(command, prevAtom.get()))
                    continue;
                if (const auto fontStyle = MTMathAtomFactory::fontStyleWithName(command)) {
                    const bool oldSpacesAllowed = m_spacesAllowed;
                    const MTFontStyle oldFontStyle = m_currentFontStyle;
                    m_spacesAllowed = command == u"text";
                    m_currentFontStyle = *fontStyle;
                    if (MTMathListPtr sublist = buildInternal(true)) {
                        m_currentFontStyle = oldFontStyle;
                        m_spacesAllowed = oldSpacesAllowed;
                        prevAtom = sublist->isEmpty() ? nullptr : sublist->atoms().back();
                        list->append(sublist);
                        if (oneCharOnly)
                            return list;
                    }
                    continue;
                }
                atom = atomForCommand(command);
                if (!atom) {
                    setError(MTParseErrors::internalError, QStringLiteral("Internal error"));
                    return nullptr;
                }
            } else if (c == '&') {
                if (m_currentEnv)
                    return list;
                MTMathAtomPtr table = buildTable(std::nullopt, list, false);
                if (!table)
                    return nullptr;
                return std::make_shared<MTMathList>(table);
            } else if (m_spacesAllowed && c == ' ') {
                atom = MTMathAtomFactory::atomForLatexSymbol(u" ");
            } else {
                atom = MTMathAtomFactory::atomForCharacter(ch);
                if (!atom)
                    continue; // a character without an atom is dropped
            }
            atom->setFontStyle(m_currentFontStyle);
            // A precomposed letter's base letter is in the run's style too, as it reads back when written
            // out as an accent command inside the run.
            if (atom->type() == MTMathAtomType::accent) {
                if (const MTMathListPtr& letters = static_cast<const MTAccent&>(*atom).innerList())
                    for (const MTMathAtomPtr& letter : letters->atoms())
                        letter->setFontStyle(m_currentFontStyle);
            }
            list->add(atom);
            prevAtom = atom;
            if (oneCharOnly)
                return list;
        }
        if (stopChar) {
            if (stopChar == '}')
                setError(MTParseErrors::mismatchBraces, QStringLiteral("Missing closing brace"));
            else
                setError(MTParseErrors::characterNotFound,
                         QStringLiteral("Expected character not found: ") + QChar(stopChar));
        }
        return list;
    }

    // Commands that end or transform the current list; none when the command is not one of them.
    MTMathListPtr stopCommand(QStringView command, const MTMathListPtr& list, char16_t stopChar) {
        if (command == u"right") {
            if (!m_currentInnerAtom) {
                setError(MTParseErrors::missingLeft, QStringLiteral("Missing \\left"));
                return nullptr;
            }
            m_currentInnerAtom->setRightBoundary(getBoundaryAtom(QStringLiteral("right")));
            if (!m_currentInnerAtom->rightBoundary())
                return nullptr;
            return list;
        }
        for (const auto& [name, delims] : MTMathListBuilder::fractionCommands()) {
            if (command != name)
                continue;
            auto frac = std::make_shared<MTFraction>(command == u"over");
            if (delims.size() == 2) {
                frac->setLeftDelimiter(delims[0]);
                frac->setRightDelimiter(delims[1]);
            }
            frac->setNumerator(list);
            frac->setDenominator(buildInternal(false, stopChar));
            if (m_error)
                return nullptr;
            auto fracList = std::make_shared<MTMathList>();
            fracList->add(frac);
            return fracList;
        }
        if (command == u"\\" || command == u"cr") {
            if (m_currentEnv) {
                m_currentEnv->numRows += 1;
                return list;
            }
            MTMathAtomPtr table = buildTable(std::nullopt, list, true);
            if (!table)
                return nullptr;
            return std::make_shared<MTMathList>(table);
        }
        if (command == u"end") {
            if (!m_currentEnv) {
                setError(MTParseErrors::missingBegin, QStringLiteral("Missing \\begin"));
                return nullptr;
            }
            const std::optional<QString> env = readEnvironment();
            if (!env)
                return nullptr;
            if (!m_currentEnv->envName || *m_currentEnv->envName != *env) {
                setError(MTParseErrors::invalidEnv,
                         QStringLiteral("Begin environment name ") +
                             m_currentEnv->envName.value_or(QStringLiteral("(none)")) +
                             QStringLiteral(" does not match end name: ") + *env);
                return nullptr;
            }
            m_currentEnv->ended = true;
            return list;
        }
        return nullptr;
    }

    // \limits and \nolimits.
    bool applyModifier(QStringView modifier, MTMathAtom* atom) {
        const bool limits = modifier == u"limits";
        if (!limits && modifier != u"nolimits")
            return false;
        if (auto* op = dynamic_cast<MTLargeOperator*>(atom);
            op && op->type() == MTMathAtomType::largeOperator) {
            op->setLimits(limits);
        } else {
            setError(MTParseErrors::invalidLimits,
                     limits ? QStringLiteral("Limits can only be applied to an operator.")
                            : QStringLiteral("No limits can only be applied to an operator."));
        }
        return true;
    }

    MTMathAtomPtr atomForCommand(QStringView command) {
        if (MTMathAtomPtr atom = MTMathAtomFactory::atomForLatexSymbol(command))
            return atom;
        if (std::shared_ptr<MTAccent> accent = MTMathAtomFactory::accentWithName(command)) {
            accent->setInnerList(buildInternal(true));
            return accent;
        }
        if (command == u"frac") {
            auto frac = std::make_shared<MTFraction>(true);
            frac->setNumerator(buildInternal(true));
            frac->setDenominator(buildInternal(true));
            return frac;
        }
        if (command == u"binom") {
            auto frac = std::make_shared<MTFraction>(false);
            frac->setNumerator(buildInternal(true));
            frac->setDenominator(buildInternal(true));
            frac->setLeftDelimiter(QStringLiteral("("));
            frac->setRightDelimiter(QStringLiteral(")"));
            return frac;
        }
        if (command == u"sqrt") {
            auto rad = std::make_shared<MTRadical>();
            if (hasCharacters()) {
                if (ascii(nextCharacter()) == '[')
                    rad->setDegree(buildInternal(false, ']'));
                else
                    unlookCharacter();
            }
            rad->setRadicand(buildInternal(true));
            return rad;
        }
        if (command == u"left") {
            std::shared_ptr<MTInner> oldInner = m_currentInnerAtom;
            auto inner = std::make_shared<MTInner>();
            m_currentInnerAtom = inner;
            inner->setLeftBoundary(getBoundaryAtom(QStringLiteral("left")));
            if (!inner->leftBoundary())
                return nullptr;
            inner->setInnerList(buildInternal(false));
            if (!inner->rightBoundary()) {
                setError(MTParseErrors::missingRight, QStringLiteral("Missing \\right"));
                return nullptr;
            }
            m_currentInnerAtom = oldInner;
            return inner;
        }
        if (command == u"middle") {
            if (!m_currentInnerAtom) {
                setError(MTParseErrors::missingLeft, QStringLiteral("Missing \\left"));
                return nullptr;
            }
            auto middle = std::make_shared<MTInner>();
            middle->setMiddle(true);
            middle->setLeftBoundary(getBoundaryAtom(QStringLiteral("middle")));
            if (!middle->leftBoundary())
                return nullptr;
            return middle;
        }
        if (command == u"overline") {
            auto over = std::make_shared<MTOverLine>();
            over->setInnerList(buildInternal(true));
            return over;
        }
        if (command == u"underline") {
            auto under = std::make_shared<MTUnderLine>();
            under->setInnerList(buildInternal(true));
            return under;
        }
        if (command == u"begin") {
            const std::optional<QString> env = readEnvironment();
            if (!env)
                return nullptr;
            return buildTable(env, nullptr, false);
        }
        if (command == u"color" || command == u"textcolor" || command == u"colorbox") {
            std::shared_ptr<MTColorAtom> color;
            if (command == u"color")
                color = std::make_shared<MTMathColor>();
            else if (command == u"textcolor")
                color = std::make_shared<MTMathTextColor>();
            else
                color = std::make_shared<MTMathColorbox>();
            const std::optional<QString> colorString = readColor();
            if (!colorString)
                return nullptr;
            color->setColorString(*colorString);
            color->setInnerList(buildInternal(true));
            return color;
        }
        setError(MTParseErrors::invalidCommand, QStringLiteral("Invalid command \\") + command.toString());
        return nullptr;
    }

    MTMathAtomPtr getBoundaryAtom(const QString& delimiterType) {
        const std::optional<QString> delim = readDelimiter();
        if (!delim) {
            setError(MTParseErrors::missingDelimiter,
                     QStringLiteral("Missing delimiter for \\") + delimiterType);
            return nullptr;
        }
        MTMathAtomPtr boundary = MTMathAtomFactory::boundaryForDelimiter(*delim);
        if (!boundary) {
            setError(MTParseErrors::invalidDelimiter, QStringLiteral("Invalid delimiter for ") +
                                                          delimiterType + QStringLiteral(": ") + *delim);
            return nullptr;
        }
        return boundary;
    }

    MTMathAtomPtr buildTable(const std::optional<QString>& env, const MTMathListPtr& firstList, bool isRow) {
        std::optional<MTEnvProperties> oldEnv = m_currentEnv;
        m_currentEnv = MTEnvProperties{env, false, 0};
        std::size_t currentRow = 0;
        std::vector<std::vector<MTMathListPtr>> rows(1);
        if (firstList) {
            rows[0].push_back(firstList);
            if (isRow) {
                m_currentEnv->numRows += 1;
                currentRow = 1;
                rows.emplace_back();
            }
        }
        while (!m_currentEnv->ended && hasCharacters()) {
            MTMathListPtr cell = buildInternal(false);
            if (!cell)
                return nullptr;
            rows[currentRow].push_back(cell);
            if (static_cast<int>(currentRow) < m_currentEnv->numRows) {
                // A row separator inside a group of the cell ("{a \\ b} \\ c") counts a row too, so
                // numRows may have grown by more than one; adding a single row would leave the table
                // indexed past its rows. Every counted row gets its (empty) row.
                currentRow = static_cast<std::size_t>(m_currentEnv->numRows);
                while (rows.size() <= currentRow)
                    rows.emplace_back();
            }
        }
        if (!m_currentEnv->ended && m_currentEnv->envName) {
            setError(MTParseErrors::missingEnd, QStringLiteral("Missing \\end"));
            return nullptr;
        }
        std::optional<MTParseError> error = m_error;
        MTMathAtomPtr table = MTMathAtomFactory::table(m_currentEnv->envName, rows, error);
        if (!table) {
            if (!m_error)
                m_error = error;
            return nullptr;
        }
        m_currentEnv = oldEnv;
        return table;
    }

    const QString m_string;
    const std::vector<qsizetype> m_bounds;
    qsizetype m_count = 0;
    qsizetype m_pos = 0;
    std::shared_ptr<MTInner> m_currentInnerAtom;
    std::optional<MTEnvProperties> m_currentEnv;
    MTFontStyle m_currentFontStyle = MTFontStyle::defaultStyle;
    bool m_spacesAllowed = false;
    std::optional<MTParseError> m_error;
    int m_depth = 0;
};

} // namespace

MTMathListPtr MTMathListBuilder::build(const QString& latex) {
    std::optional<MTParseError> error;
    return build(latex, error);
}

MTMathListPtr MTMathListBuilder::build(const QString& latex, std::optional<MTParseError>& error) {
    // The atoms of a large formula are taken from a pool.
    MTNodePool::Scope pool;
    Parser parser(latex);
    MTMathListPtr list = parser.build();
    if (!list)
        error = parser.error();
    return list;
}

const std::vector<std::pair<QString, QStringList>>& MTMathListBuilder::fractionCommands() {
    static std::once_flag once;
    static const std::vector<std::pair<QString, QStringList>>* table = nullptr;
    std::call_once(once, [] {
        table = new std::vector<std::pair<QString, QStringList>>{
            {QStringLiteral("over"), {}},
            {QStringLiteral("atop"), {}},
            {QStringLiteral("choose"), {QStringLiteral("("), QStringLiteral(")")}},
            {QStringLiteral("brack"), {QStringLiteral("["), QStringLiteral("]")}},
            {QStringLiteral("brace"), {QStringLiteral("{"), QStringLiteral("}")}},
        };
    });
    return *table;
}

} // namespace zepla::math
