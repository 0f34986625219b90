// Objects of a file read as bytes, for those MuPDF cannot parse (a dictionary nested beyond reason, a
// damaged one): where one ends, which objects it refers to, and its /Parent entry pointed elsewhere. Every
// reading is one pass over the bytes without recursion, however deep the nesting, and stays inside them.
#pragma once

#include <QByteArray>

#include <cstdint>
#include <optional>
#include <vector>

namespace zepla::pdf::raw {

// PDF's white space: what separates tokens.
inline bool isSpace(char c) {
    return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0';
}

// Larger objects than this are not read as bytes: a page dictionary is a few hundred bytes.
constexpr qsizetype maxObjectSize = 64 * 1024 * 1024;

// What lies between "N G obj" at `offset` of `file` and its "endobj" (stream data included), when the header
// there names object `number` of generation `generation` and the object ends within `maxObjectSize` bytes;
// empty otherwise.
QByteArray objectBody(const QByteArray& file, std::int64_t offset, int number, int generation);

// Whether the header "N G obj" of object `number`, generation `generation`, stands at `offset` of `file`.
bool startsObject(const QByteArray& file, std::int64_t offset, int number, int generation);

// Where the last "N G obj" header of object `number`, generation `generation`, starts in `file`, as a reader
// that does not trust the cross-reference finds an object; -1 when the file holds none.
std::int64_t lastObjectHeader(const QByteArray& file, int number, int generation);

// The numbers of the objects that `body` refers to ("N G R"), outside stream data, each once, in order.
std::vector<int> references(const QByteArray& body);

// The value of `dictionary`'s own entry `key` ("/Kids"), as its bytes: a reference, an array or dictionary
// through its end, or one token. Nothing when it has no such entry or is not a dictionary.
std::optional<QByteArray> entryValue(const QByteArray& dictionary, const QByteArray& key);

// `dictionary` with its own entry `key` ("/Parent"; not one of a dictionary inside it) set to `value` ("2 0
// R"): the entry's value is replaced, or the entry added after "<<" when it has none. Unchanged when it
// already says so or is not a dictionary.
QByteArray withEntry(const QByteArray& dictionary, const QByteArray& key, const QByteArray& value);

// The last cross-reference section of a file, when it is a table.
struct XrefTable {
    std::int64_t at = 0;                   // where it starts ("xref")
    std::vector<std::int64_t> offsets;     // by object number: where the object starts, or -1 when it is free
    std::vector<std::int64_t> generations; // by object number, as the table gives it
    QByteArray trailer;                    // the trailer dictionary
};
std::optional<XrefTable> lastXrefTable(const QByteArray& file);

// `file` with a cross-reference table and trailer appended that other readers would make of it when its own
// are lost: each object where its last header stands (stream data is not searched), as many entries as the
// largest /Size the file names (objects in object streams are numbered too), and the last /Root it names.
// Empty when it names none.
QByteArray withRebuiltCrossReference(const QByteArray& file);

} // namespace zepla::pdf::raw
