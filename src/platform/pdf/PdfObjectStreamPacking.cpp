// Packing a freshly written file's objects into object streams. MuPDF 1.21 writes every object on its own
// with a plain cross-reference table; the dictionaries of a file (pages, annotations, fonts) are small,
// alike and many, and compressed together they take a fraction of the room. This is one pass over the bytes
// MuPDF has just written: streams are copied as they are, the other objects are compressed together, and a
// compressed cross-reference stream takes the place of the table. Object numbers stay as they were.
#include "ByteRoom.h"
#include "PdfDocumentImpl.h"
#include "PdfRawObject.h"

#include <zlib.h>

#include <algorithm>
#include <charconv>
#include <optional>
#include <vector>

namespace zepla::pdf {

namespace {

using raw::isSpace;

// Objects per object stream: enough for the likeness between dictionaries to pay, few enough that a reader
// after one object parses little else.
constexpr int objectsPerStream = 100;

// One object of the written file.
struct WrittenObject {
    int number = 0;
    int generation = 0;
    qsizetype offset = 0; // of "N G obj"
    qsizetype end = 0;    // where the next object or the table starts
};

// The layout MuPDF writes: objects, then one table followed by the trailer.
struct WrittenFile {
    std::vector<WrittenObject> objects; // in use, in file order
    std::vector<int> freeGenerations;   // per object number, for the entries that are free
    QByteArray trailerEntries;          // what the trailer dictionary holds besides /Size, as written
    qsizetype table = 0;
};

// Reads a decimal number at `at`, after any white space; moves `at` past it.
std::optional<qint64> readNumber(QByteArrayView bytes, qsizetype& at) {
    while (at < bytes.size() && isSpace(bytes[at]))
        ++at;
    const qsizetype start = at;
    qint64 value = 0;
    while (at < bytes.size() && bytes[at] >= '0' && bytes[at] <= '9' && at - start < 18)
        value = value * 10 + (bytes[at++] - '0');
    if (at == start)
        return std::nullopt;
    return value;
}

std::optional<WrittenFile> readLayout(const QByteArray& bytes) {
    const std::optional<raw::XrefTable> xref = raw::lastXrefTable(bytes);
    if (!xref)
        return std::nullopt;
    WrittenFile file;
    file.table = qsizetype(xref->at);
    QByteArray trailer = xref->trailer;
    // An encrypted file, or one that extends another, is not what a fresh plain write looks like.
    if (!trailer.startsWith("<<") || !trailer.endsWith(">>") || trailer.contains("/Encrypt") ||
        trailer.contains("/Prev") || trailer.contains("/XRefStm"))
        return std::nullopt;
    trailer = trailer.mid(2, trailer.size() - 4);
    const qsizetype size = trailer.indexOf("/Size");
    qsizetype afterSize = size + 5;
    if (size < 0 || !readNumber(trailer, afterSize))
        return std::nullopt;
    file.trailerEntries = trailer.left(size) + trailer.mid(afterSize);
    file.freeGenerations.assign(xref->offsets.size(), 0);
    for (std::size_t i = 0; i < xref->offsets.size(); ++i) {
        // MuPDF gives the head of the free list generation 65536, one more than a stream entry holds.
        const int generation = int(std::min<std::int64_t>(xref->generations[i], 65535));
        if (xref->offsets[i] >= 0 && i > 0)
            file.objects.push_back({int(i), generation, qsizetype(xref->offsets[i]), 0});
        else
            file.freeGenerations[i] = generation;
    }
    std::sort(file.objects.begin(), file.objects.end(),
              [](const WrittenObject& a, const WrittenObject& b) { return a.offset < b.offset; });
    for (std::size_t i = 0; i < file.objects.size(); ++i) {
        WrittenObject& object = file.objects[i];
        object.end = i + 1 < file.objects.size() ? file.objects[i + 1].offset : file.table;
        if (object.offset <= 0 || object.end <= object.offset)
            return std::nullopt;
    }
    return file;
}

// What an object holds between "N G obj" and "endobj", or nothing when the bytes there are not that object.
std::optional<QByteArrayView> objectBody(const QByteArray& bytes, const WrittenObject& object) {
    const QByteArrayView span(bytes.constData() + object.offset, object.end - object.offset);
    qsizetype at = 0;
    const std::optional<qint64> number = readNumber(span, at);
    const std::optional<qint64> generation = readNumber(span, at);
    while (at < span.size() && isSpace(span[at]))
        ++at;
    const QByteArrayView rest = span.sliced(at);
    if (number != object.number || generation != object.generation || !rest.startsWith("obj"))
        return std::nullopt;
    const qsizetype close = rest.lastIndexOf(QByteArrayView("endobj"));
    if (close < 3)
        return std::nullopt;
    return rest.sliced(3, close - 3).trimmed();
}

// One compressor for every stream of a file: setting one up touches more fresh memory than packing a stream
// of dictionaries takes.
class Deflater {
    static constexpr int windowBits = 15;
    static constexpr int memoryLevel = 6; // zlib takes 8 by default

public:
    // The fastest level: dictionaries alike enough compress nearly as well with it as with more effort. A
    // smaller hash than zlib's default finds their likeness as well, and is less fresh memory in every save.
    Deflater() {
        m_ready = deflateInit2(&m_stream, Z_BEST_SPEED, Z_DEFLATED, windowBits, memoryLevel,
                               Z_DEFAULT_STRATEGY) == Z_OK;
    }
    ~Deflater() {
        if (m_ready)
            deflateEnd(&m_stream);
    }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    std::optional<QByteArray> deflated(QByteArrayView data) {
        if (!m_ready || deflateReset(&m_stream) != Z_OK)
            return std::nullopt;
        QByteArray out(qsizetype(deflateBound(&m_stream, uLong(data.size()))), Qt::Uninitialized);
        // zlib reads the input without changing it, through a pointer it declares writable.
        m_stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
        m_stream.avail_in = uInt(data.size());
        m_stream.next_out = reinterpret_cast<Bytef*>(out.data());
        m_stream.avail_out = uInt(out.size());
        if (deflate(&m_stream, Z_FINISH) != Z_STREAM_END)
            return std::nullopt;
        out.truncate(qsizetype(m_stream.total_out));
        return out;
    }

private:
    z_stream m_stream{};
    bool m_ready = false;
};

void appendNumber(QByteArray& out, qint64 value) {
    char digits[24];
    const std::to_chars_result end = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, end.ptr - digits);
}

// A cross-reference stream entry: its type, then its two fields.
struct Entry {
    int type = 0;
    qint64 second = 0;
    int third = 0;
};

void writeBigEndian(char*& at, qint64 value, int width) {
    for (int shift = (width - 1) * 8; shift >= 0; shift -= 8)
        *at++ = char((value >> shift) & 0xff);
}

int bytesFor(qint64 value) {
    int width = 1;
    while (width < 8 && (value >> (width * 8)) != 0)
        ++width;
    return width;
}

// Appends "N 0 obj <<`dictionary`/Filter/FlateDecode/Length L>> stream ... endobj" holding `compressed`.
void appendStreamObject(QByteArray& out, int number, const QByteArray& dictionary,
                        const QByteArray& compressed) {
    appendNumber(out, number);
    out.append(" 0 obj\n<<").append(dictionary).append("/Filter/FlateDecode/Length ");
    appendNumber(out, compressed.size());
    out.append(">>\nstream\n").append(compressed).append("\nendstream\nendobj\n");
}

} // namespace

QByteArray packIntoObjectStreams(const QByteArray& written, const std::unordered_set<int>& keepPlain) {
    const std::optional<WrittenFile> file = readLayout(written);
    if (!file || file->objects.empty())
        return {};
    std::vector<Entry> entries(file->freeGenerations.size());
    for (std::size_t i = 0; i < entries.size(); ++i)
        entries[i] = {0, 0, file->freeGenerations[i]};

    QByteArray out;
    reserveMapped(out, written.size());
    out.append(written.constData(), file->objects.front().offset);
    // Object streams came with PDF 1.5.
    if (out.startsWith("%PDF-1.") && out.size() > 7 && out[7] >= '0' && out[7] < '5')
        out[7] = '5';

    struct Packed {
        int number;
        QByteArrayView body;
    };
    std::vector<Packed> packed;
    for (const WrittenObject& object : file->objects) {
        const std::optional<QByteArrayView> body = objectBody(written, object);
        if (!body)
            return {};
        const bool stream = body->endsWith(QByteArrayView("endstream"));
        if (!stream && object.generation == 0 && !keepPlain.count(object.number) && !body->isEmpty()) {
            packed.push_back({object.number, *body});
            continue;
        }
        entries[std::size_t(object.number)] = {1, out.size(), object.generation};
        out.append(written.constData() + object.offset, object.end - object.offset);
    }

    int nextNumber = int(entries.size());
    Deflater deflater;
    QByteArray data;
    for (std::size_t first = 0; first < packed.size(); first += objectsPerStream) {
        const std::size_t last = std::min(packed.size(), first + objectsPerStream);
        const int streamNumber = nextNumber++;
        QByteArray index;
        qsizetype offset = 0;
        for (std::size_t i = first; i < last; ++i) {
            appendNumber(index, packed[i].number);
            index.append(' ');
            appendNumber(index, offset);
            index.append(' ');
            offset += packed[i].body.size() + 1;
            entries[std::size_t(packed[i].number)] = {2, streamNumber, int(i - first)};
        }
        data.clear();
        data.reserve(index.size() + offset);
        data.append(index);
        for (std::size_t i = first; i < last; ++i)
            data.append(packed[i].body).append('\n');
        const std::optional<QByteArray> compressed = deflater.deflated(data);
        if (!compressed)
            return {};
        entries.push_back({1, out.size(), 0});
        QByteArray dictionary = "/Type/ObjStm/N ";
        appendNumber(dictionary, qint64(last - first));
        dictionary.append("/First ");
        appendNumber(dictionary, index.size());
        appendStreamObject(out, streamNumber, dictionary, *compressed);
    }

    // The cross-reference stream names itself, so its own entry is known before it is written.
    const int xrefNumber = nextNumber;
    const qsizetype xrefOffset = out.size();
    entries.push_back({1, xrefOffset, 0});
    qint64 widest = 0;
    for (const Entry& e : entries)
        widest = std::max(widest, e.second);
    const int width = bytesFor(widest);
    QByteArray table(qsizetype(entries.size()) * (width + 3), Qt::Uninitialized);
    char* at = table.data();
    for (const Entry& e : entries) {
        *at++ = char(e.type);
        writeBigEndian(at, e.second, width);
        writeBigEndian(at, e.third, 2);
    }
    const std::optional<QByteArray> compressed = deflater.deflated(table);
    if (!compressed)
        return {};
    QByteArray dictionary = "/Type/XRef/Size ";
    appendNumber(dictionary, xrefNumber + 1);
    dictionary.append("/W[1 ");
    appendNumber(dictionary, width);
    dictionary.append(" 2]").append(file->trailerEntries);
    appendStreamObject(out, xrefNumber, dictionary, *compressed);
    out.append("startxref\n");
    appendNumber(out, xrefOffset);
    out.append("\n%%EOF\n");
    return out;
}

} // namespace zepla::pdf
