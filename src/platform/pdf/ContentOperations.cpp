#include "ContentOperations.h"

#include "PdfRawObject.h"

#include <optional>

namespace zepla::pdf {

namespace {

bool isDelimiter(char c) {
    return c == '(' || c == ')' || c == '<' || c == '>' || c == '[' || c == ']' || c == '{' || c == '}' ||
           c == '/' || c == '%';
}

bool isRegular(char c) {
    return !raw::isSpace(c) && !isDelimiter(c);
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Arrays and dictionaries nested deeper than this are read flat: no page needs more, and a hostile one
// must not exhaust the stack.
constexpr int maxNesting = 64;

class Reader {
public:
    explicit Reader(const QByteArray& content) : m_s(content) {}

    struct Token {
        enum class Type { Operand, Keyword, Stray, End };
        Type type = Type::End;
        ContentOperand operand;
        QByteArray keyword; // the keyword, or the stray delimiter
        qsizetype begin = 0;
    };

    Token next(int depth = 0) {
        skipSpaceAndComments();
        Token token;
        token.begin = m_i;
        if (m_i >= m_s.size())
            return token;
        const char c = m_s[m_i];
        ContentOperand& operand = token.operand;
        operand.begin = m_i;
        token.type = Token::Type::Operand;
        if (c == '(') {
            operand.kind = ContentOperand::Kind::String;
            operand.bytes = literalString();
        } else if (c == '<' && peek(1) == '<') {
            m_i += 2;
            if (depth < maxNesting)
                skipUntilStray(">>", depth + 1);
        } else if (c == '<') {
            operand.kind = ContentOperand::Kind::String;
            operand.bytes = hexString();
        } else if (c == '[') {
            ++m_i;
            operand.kind = ContentOperand::Kind::Array;
            if (depth < maxNesting)
                operand.items = arrayItems(depth + 1);
        } else if (c == '/') {
            operand.kind = ContentOperand::Kind::Name;
            operand.bytes = name();
        } else if (c == '>' && peek(1) == '>') {
            m_i += 2;
            token.type = Token::Type::Stray;
            token.keyword = ">>";
        } else if (isDelimiter(c)) {
            ++m_i;
            token.type = Token::Type::Stray;
            token.keyword = QByteArray(1, c);
        } else {
            const qsizetype start = m_i;
            while (m_i < m_s.size() && isRegular(m_s[m_i]))
                ++m_i;
            const QByteArray word = m_s.mid(start, m_i - start);
            if (const std::optional<double> value = number(word)) {
                operand.kind = ContentOperand::Kind::Number;
                operand.number = *value;
            } else if (word != "true" && word != "false" && word != "null") {
                token.type = Token::Type::Keyword;
                token.keyword = word;
            }
        }
        operand.end = m_i;
        return token;
    }

    // The data of an inline image after its "ID": up to and through the "EI" that stands alone.
    void skipImageData() {
        if (m_i < m_s.size() && raw::isSpace(m_s[m_i]))
            ++m_i;
        for (qsizetype j = m_i; j + 1 < m_s.size(); ++j) {
            if (m_s[j] == 'E' && m_s[j + 1] == 'I' && j > 0 && raw::isSpace(m_s[j - 1]) &&
                (j + 2 == m_s.size() || !isRegular(m_s[j + 2]))) {
                m_i = j + 2;
                return;
            }
        }
        m_i = m_s.size();
    }

    qsizetype position() const { return m_i; }

private:
    const QByteArray& m_s;
    qsizetype m_i = 0;

    char peek(qsizetype ahead) const { return m_i + ahead < m_s.size() ? m_s[m_i + ahead] : '\0'; }

    void skipSpaceAndComments() {
        while (m_i < m_s.size()) {
            if (raw::isSpace(m_s[m_i])) {
                ++m_i;
            } else if (m_s[m_i] == '%') {
                while (m_i < m_s.size() && m_s[m_i] != '\n' && m_s[m_i] != '\r')
                    ++m_i;
            } else {
                return;
            }
        }
    }

    // Numbers as readers take them: a sign, digits and one point; anything else in the word makes it no
    // number.
    static std::optional<double> number(const QByteArray& word) {
        qsizetype i = 0;
        bool negative = false;
        while (i < word.size() && (word[i] == '+' || word[i] == '-'))
            negative = word[i++] == '-' ? !negative : negative;
        double value = 0;
        double scale = 0;
        bool digits = false;
        for (; i < word.size(); ++i) {
            const char c = word[i];
            if (c >= '0' && c <= '9') {
                digits = true;
                if (scale > 0) {
                    value += (c - '0') * scale;
                    scale /= 10;
                } else {
                    value = value * 10 + (c - '0');
                }
            } else if (c == '.' && scale == 0) {
                scale = 0.1;
            } else {
                return std::nullopt;
            }
        }
        if (!digits && scale == 0)
            return std::nullopt;
        return negative ? -value : value;
    }

    QByteArray literalString() {
        QByteArray out;
        int depth = 1;
        ++m_i;
        while (m_i < m_s.size()) {
            const char c = m_s[m_i++];
            if (c == '\\' && m_i < m_s.size()) {
                const char e = m_s[m_i++];
                switch (e) {
                case 'n':
                    out += '\n';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'b':
                    out += '\b';
                    break;
                case 'f':
                    out += '\f';
                    break;
                case '\r':
                    if (m_i < m_s.size() && m_s[m_i] == '\n')
                        ++m_i;
                    break;
                case '\n':
                    break;
                default:
                    if (e >= '0' && e <= '7') {
                        int value = e - '0';
                        for (int k = 0; k < 2 && m_i < m_s.size() && m_s[m_i] >= '0' && m_s[m_i] <= '7'; ++k)
                            value = value * 8 + (m_s[m_i++] - '0');
                        out += char(value & 0xff);
                    } else {
                        out += e;
                    }
                }
            } else if (c == '(') {
                ++depth;
                out += c;
            } else if (c == ')') {
                if (--depth == 0)
                    break;
                out += c;
            } else if (c == '\r') {
                if (m_i < m_s.size() && m_s[m_i] == '\n')
                    ++m_i;
                out += '\n';
            } else {
                out += c;
            }
        }
        return out;
    }

    QByteArray hexString() {
        QByteArray out;
        int high = -1;
        ++m_i;
        while (m_i < m_s.size() && m_s[m_i] != '>') {
            const int v = hexValue(m_s[m_i++]);
            if (v < 0)
                continue;
            if (high < 0) {
                high = v;
            } else {
                out += char(high * 16 + v);
                high = -1;
            }
        }
        if (high >= 0)
            out += char(high * 16);
        if (m_i < m_s.size())
            ++m_i;
        return out;
    }

    QByteArray name() {
        QByteArray out;
        ++m_i;
        while (m_i < m_s.size() && isRegular(m_s[m_i])) {
            const char c = m_s[m_i++];
            if (c == '#' && m_i + 1 < m_s.size() && hexValue(m_s[m_i]) >= 0 && hexValue(m_s[m_i + 1]) >= 0) {
                out += char(hexValue(m_s[m_i]) * 16 + hexValue(m_s[m_i + 1]));
                m_i += 2;
            } else {
                out += c;
            }
        }
        return out;
    }

    std::vector<ContentOperand> arrayItems(int depth) {
        std::vector<ContentOperand> items;
        for (;;) {
            Token token = next(depth);
            if (token.type == Token::Type::End || (token.type == Token::Type::Stray && token.keyword == "]"))
                return items;
            if (token.type == Token::Type::Operand)
                items.push_back(std::move(token.operand));
        }
    }

    void skipUntilStray(const QByteArray& stray, int depth) {
        for (;;) {
            const Token token = next(depth);
            if (token.type == Token::Type::End ||
                (token.type == Token::Type::Stray && token.keyword == stray))
                return;
        }
    }
};

} // namespace

std::vector<ContentOperation> contentOperations(const QByteArray& content) {
    std::vector<ContentOperation> operations;
    Reader reader(content);
    std::vector<ContentOperand> operands;
    for (;;) {
        Reader::Token token = reader.next();
        if (token.type == Reader::Token::Type::End)
            return operations;
        if (token.type == Reader::Token::Type::Operand) {
            operands.push_back(std::move(token.operand));
            continue;
        }
        if (token.type != Reader::Token::Type::Keyword)
            continue;
        ContentOperation operation;
        operation.begin = operands.empty() ? token.begin : operands.front().begin;
        operation.op = token.keyword;
        if (operation.op == "BI") {
            // The image's dictionary runs to "ID"; its data follows.
            operation.begin = token.begin;
            operands.clear();
            for (Reader::Token t = reader.next(); t.type != Reader::Token::Type::End; t = reader.next()) {
                if (t.type == Reader::Token::Type::Keyword && t.keyword == "ID") {
                    reader.skipImageData();
                    break;
                }
            }
        }
        operation.operands = std::move(operands);
        operands.clear();
        operation.end = reader.position();
        operations.push_back(std::move(operation));
    }
}

QByteArray contentNumber(double value, int decimals) {
    QByteArray text = QByteArray::number(value, 'f', decimals);
    if (text.contains('.')) {
        while (text.endsWith('0'))
            text.chop(1);
        if (text.endsWith('.'))
            text.chop(1);
    }
    return text == "-0" ? QByteArray("0") : text;
}

} // namespace zepla::pdf
