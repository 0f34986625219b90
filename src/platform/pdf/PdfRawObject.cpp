#include "PdfRawObject.h"

#include <algorithm>
#include <optional>
#include <unordered_set>

namespace zepla::pdf::raw {

namespace {

bool isDelimiter(char c) {
    return isSpace(c) || c == '(' || c == ')' || c == '<' || c == '>' || c == '[' || c == ']' || c == '{' ||
           c == '}' || c == '/' || c == '%';
}

struct Token {
    enum class Kind { Open, Close, Name, String, Word, End }; // Open: "<<" or "["; Word: numbers, keywords
    Kind kind = Kind::End;
    qsizetype begin = 0;
    qsizetype end = 0;
};

// The tokens of PDF syntax in `bytes`, one at a time. Strings and comments are skipped whole; after the
// keyword "stream" the data up to "endstream" is skipped too, whatever its length claims.
class Lexer {
public:
    explicit Lexer(const QByteArray& bytes, qsizetype from = 0) : m_bytes(bytes), m_at(from) {}

    Token next() {
        const qsizetype n = m_bytes.size();
        for (;;) {
            while (m_at < n && isSpace(m_bytes[m_at]))
                ++m_at;
            if (m_at < n && m_bytes[m_at] == '%') {
                while (m_at < n && m_bytes[m_at] != '\n' && m_bytes[m_at] != '\r')
                    ++m_at;
                continue;
            }
            break;
        }
        Token t;
        t.begin = m_at;
        if (m_at >= n) {
            t.end = n;
            return t;
        }
        const char c = m_bytes[m_at];
        if ((c == '<' || c == '>') && m_at + 1 < n && m_bytes[m_at + 1] == c) {
            m_at += 2;
            t.kind = c == '<' ? Token::Kind::Open : Token::Kind::Close;
        } else if (c == '[' || c == ']') {
            ++m_at;
            t.kind = c == '[' ? Token::Kind::Open : Token::Kind::Close;
        } else if (c == '(') {
            skipString();
            t.kind = Token::Kind::String;
        } else if (c == '<') {
            const qsizetype close = m_bytes.indexOf('>', m_at);
            m_at = close < 0 ? n : close + 1;
            t.kind = Token::Kind::String;
        } else if (c == '/' || !isDelimiter(c)) {
            ++m_at;
            while (m_at < n && !isDelimiter(m_bytes[m_at]))
                ++m_at;
            t.kind = c == '/' ? Token::Kind::Name : Token::Kind::Word;
        } else {
            ++m_at; // a stray ')', '>', '{' or '}'
            t.kind = Token::Kind::Word;
        }
        t.end = m_at;
        if (is(t, "stream")) {
            const qsizetype data = m_bytes.indexOf("endstream", m_at);
            m_at = data < 0 ? n : data;
        }
        return t;
    }

    bool is(const Token& t, const char* word) const {
        const qsizetype length = qsizetype(qstrlen(word));
        return t.kind == Token::Kind::Word && t.end - t.begin == length &&
               QByteArrayView(m_bytes).sliced(t.begin, length) == QByteArrayView(word, length);
    }

    std::optional<std::int64_t> integer(const Token& t) const {
        if (t.kind != Token::Kind::Word || t.end - t.begin > 18)
            return std::nullopt;
        bool ok = false;
        const std::int64_t value = QByteArrayView(m_bytes).sliced(t.begin, t.end - t.begin).toLongLong(&ok);
        return ok ? std::optional(value) : std::nullopt;
    }

private:
    void skipString() {
        const qsizetype n = m_bytes.size();
        int depth = 0;
        for (; m_at < n; ++m_at) {
            const char c = m_bytes[m_at];
            if (c == '\\')
                ++m_at;
            else if (c == '(')
                ++depth;
            else if (c == ')' && --depth == 0) {
                ++m_at;
                return;
            }
        }
    }

    const QByteArray& m_bytes;
    qsizetype m_at;
};

} // namespace

namespace {

// `file` from `offset` on, as far as one object may reach: the lexer never looks past what may be taken.
QByteArray objectWindow(const QByteArray& file, std::int64_t offset) {
    return QByteArray::fromRawData(file.constData() + offset,
                                   std::min<qsizetype>(file.size() - qsizetype(offset), maxObjectSize));
}

// Where the header "number generation obj" that starts `window` ends; -1 when it names another object.
qsizetype headerEnd(const QByteArray& window, int number, int generation) {
    Lexer lexer(window);
    const Token num = lexer.next(), gen = lexer.next(), obj = lexer.next();
    if (lexer.integer(num) != number || lexer.integer(gen) != generation || !lexer.is(obj, "obj"))
        return -1;
    return obj.end;
}

} // namespace

bool startsObject(const QByteArray& file, std::int64_t offset, int number, int generation) {
    return offset >= 0 && offset < file.size() &&
           headerEnd(objectWindow(file, offset), number, generation) >= 0;
}

QByteArray objectBody(const QByteArray& file, std::int64_t offset, int number, int generation) {
    if (offset < 0 || offset >= file.size())
        return {};
    const QByteArray window = objectWindow(file, offset);
    const qsizetype start = headerEnd(window, number, generation);
    if (start < 0)
        return {};
    Lexer lexer(window, start);
    for (Token t = lexer.next(); t.kind != Token::Kind::End; t = lexer.next())
        if (lexer.is(t, "endobj"))
            return QByteArray(window.constData() + start, t.begin - start);
    return {};
}

std::int64_t lastObjectHeader(const QByteArray& file, int number, int generation) {
    const QByteArray header = QByteArray::number(number) + ' ' + QByteArray::number(generation) + " obj";
    for (qsizetype at = file.lastIndexOf(header); at >= 0;
         at = at > 0 ? file.lastIndexOf(header, at - 1) : -1) {
        const qsizetype end = at + header.size();
        if ((at == 0 || isDelimiter(file[at - 1])) && (end == file.size() || isDelimiter(file[end])))
            return at;
    }
    return -1;
}

std::vector<int> references(const QByteArray& body) {
    std::vector<int> numbers;
    std::unordered_set<int> seen;
    Lexer lexer(body);
    Token before, last;
    for (Token t = lexer.next(); t.kind != Token::Kind::End; t = lexer.next()) {
        if (lexer.is(t, "R")) {
            const auto number = lexer.integer(before);
            const auto generation = lexer.integer(last);
            if (number && generation && *number > 0 && *number < INT32_MAX && *generation >= 0 &&
                seen.insert(int(*number)).second)
                numbers.push_back(int(*number));
        }
        before = last;
        last = t;
    }
    return numbers;
}

namespace {

// Where the value of a dictionary's own entry lies in its bytes.
struct EntryAt {
    enum class Found { NotADictionary, Absent, Unclosed, Present };
    Found found = Found::NotADictionary;
    qsizetype open = 0;  // just after "<<"
    qsizetype begin = 0; // the value, when present
    qsizetype end = 0;
};

EntryAt findEntry(const QByteArray& dictionary, const QByteArray& key) {
    Lexer lexer(dictionary);
    const Token open = lexer.next();
    if (open.kind != Token::Kind::Open || dictionary.at(open.begin) != '<')
        return {};
    int depth = 1;
    for (Token t = lexer.next(); t.kind != Token::Kind::End && depth > 0; t = lexer.next()) {
        if (t.kind == Token::Kind::Open || t.kind == Token::Kind::Close) {
            depth += t.kind == Token::Kind::Open ? 1 : -1;
            continue;
        }
        if (depth != 1 || t.kind != Token::Kind::Name || dictionary.mid(t.begin, t.end - t.begin) != key)
            continue;
        // Its value: a reference, a dictionary or array through its end, or one token.
        const Token first = lexer.next();
        qsizetype end = first.end;
        if (first.kind == Token::Kind::Open) {
            for (int inner = 1; inner > 0;) {
                const Token u = lexer.next();
                if (u.kind == Token::Kind::End)
                    return {EntryAt::Found::Unclosed, open.end};
                inner += u.kind == Token::Kind::Open ? 1 : u.kind == Token::Kind::Close ? -1 : 0;
                end = u.end;
            }
        } else if (lexer.integer(first)) {
            const Token second = lexer.next(), r = lexer.next();
            if (lexer.integer(second) && lexer.is(r, "R"))
                end = r.end;
        }
        return {EntryAt::Found::Present, open.end, first.begin, end};
    }
    return {EntryAt::Found::Absent, open.end};
}

} // namespace

std::optional<QByteArray> entryValue(const QByteArray& dictionary, const QByteArray& key) {
    const EntryAt at = findEntry(dictionary, key);
    if (at.found != EntryAt::Found::Present)
        return std::nullopt;
    return dictionary.mid(at.begin, at.end - at.begin);
}

QByteArray withEntry(const QByteArray& dictionary, const QByteArray& key, const QByteArray& value) {
    const EntryAt at = findEntry(dictionary, key);
    switch (at.found) {
    case EntryAt::Found::NotADictionary:
    case EntryAt::Found::Unclosed:
        break;
    case EntryAt::Found::Absent:
        return dictionary.left(at.open) + ' ' + key + ' ' + value + dictionary.mid(at.open);
    case EntryAt::Found::Present:
        if (dictionary.mid(at.begin, at.end - at.begin) != value)
            return dictionary.left(at.begin) + value + dictionary.mid(at.end);
        break;
    }
    return dictionary;
}

std::optional<XrefTable> lastXrefTable(const QByteArray& file) {
    const qsizetype startxref = file.lastIndexOf("startxref");
    if (startxref < 0)
        return std::nullopt;
    Lexer tail(file, startxref);
    tail.next();
    const std::optional<std::int64_t> at = tail.integer(tail.next());
    if (!at || *at < 0 || *at >= startxref)
        return std::nullopt;
    XrefTable table;
    table.at = *at;
    Lexer lexer(file, qsizetype(*at));
    if (!lexer.is(lexer.next(), "xref"))
        return std::nullopt;
    // Each entry takes 20 bytes: no honest table claims more than the file could hold.
    const std::int64_t mostEntries = file.size() / 20 + 1;
    for (Token t = lexer.next();; t = lexer.next()) {
        if (lexer.is(t, "trailer")) {
            const Token open = lexer.next();
            if (open.kind != Token::Kind::Open || open.begin > startxref)
                return std::nullopt;
            table.trailer = file.mid(open.begin, startxref - open.begin).trimmed();
            return table;
        }
        const std::optional<std::int64_t> start = lexer.integer(t), count = lexer.integer(lexer.next());
        if (!start || !count || *start < 0 || *count < 0 || *start + *count > mostEntries)
            return std::nullopt;
        if (table.offsets.size() < std::size_t(*start + *count)) {
            table.offsets.resize(std::size_t(*start + *count), -1);
            table.generations.resize(std::size_t(*start + *count), 0);
        }
        for (std::int64_t i = 0; i < *count; ++i) {
            const std::optional<std::int64_t> offset = lexer.integer(lexer.next());
            const std::optional<std::int64_t> generation = lexer.integer(lexer.next());
            const Token type = lexer.next();
            if (!offset || !generation || (!lexer.is(type, "n") && !lexer.is(type, "f")))
                return std::nullopt;
            table.offsets[std::size_t(*start + i)] = lexer.is(type, "n") ? *offset : -1;
            table.generations[std::size_t(*start + i)] = *generation;
        }
    }
}

QByteArray withRebuiltCrossReference(const QByteArray& file) {
    struct Place {
        std::int64_t offset = -1;
        std::int64_t generation = 0;
    };
    std::vector<Place> places;
    QByteArray root;
    // Each object takes more than this many bytes: no file holds more objects than its size allows.
    const std::int64_t mostObjects = file.size() / 8 + 1;
    Lexer lexer(file);
    Token key, first, second; // the three tokens before each
    for (Token t = lexer.next(); t.kind != Token::Kind::End; t = lexer.next()) {
        const std::optional<std::int64_t> number = lexer.integer(first), generation = lexer.integer(second);
        if (lexer.is(t, "obj") && number && generation && *number > 0 && *number < mostObjects &&
            *generation >= 0 && *generation < 65535) {
            if (places.size() <= std::size_t(*number))
                places.resize(std::size_t(*number) + 1);
            places[std::size_t(*number)] = {first.begin, *generation};
        } else if (lexer.is(t, "R") && number && generation && key.kind == Token::Kind::Name &&
                   QByteArrayView(file).sliced(key.begin, key.end - key.begin) == "/Root") {
            root = file.mid(first.begin, t.end - first.begin);
        } else if (const std::optional<std::int64_t> size = lexer.integer(t);
                   size && *size > 0 && *size < mostObjects && second.kind == Token::Kind::Name &&
                   QByteArrayView(file).sliced(second.begin, second.end - second.begin) == "/Size") {
            // Numbered by a cross-reference of the file, maybe within an object stream.
            places.resize(std::max(places.size(), std::size_t(*size)));
        }
        key = first;
        first = second;
        second = t;
    }
    if (root.isEmpty() || places.empty())
        return {};
    QByteArray rebuilt = file;
    rebuilt += '\n';
    const qsizetype table = rebuilt.size();
    rebuilt += "xref\n0 " + QByteArray::number(qulonglong(places.size())) + '\n';
    for (const Place& place : places)
        rebuilt += place.offset < 0
                       ? QByteArray("0000000000 65535 f \n")
                       : QByteArray::number(place.offset).rightJustified(10, '0') + ' ' +
                             QByteArray::number(place.generation).rightJustified(5, '0') + " n \n";
    rebuilt += "trailer\n<< /Size " + QByteArray::number(qulonglong(places.size())) + " /Root " + root +
               " >>\nstartxref\n" + QByteArray::number(table) + "\n%%EOF\n";
    return rebuilt;
}

} // namespace zepla::pdf::raw
