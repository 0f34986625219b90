// Encryption that must never be lost: what a file's protection is, and the protection of a file whose trailer
// (cut off, or damaged) no longer names its standard security handler. Such a file opens without a password
// and shows its ciphertext; saved, it would lose its protection for good. The handler's dictionary and the
// file /ID are usually still among the bytes, and a trailer naming them again makes the file what it was.
#include "PdfDocumentImpl.h"
#include "PdfRawObject.h"

#include <algorithm>
#include <cctype>

namespace zepla::pdf {

namespace {

using raw::isSpace;

qsizetype skipSpace(const QByteArray& bytes, qsizetype at) {
    while (at < bytes.size() && isSpace(bytes[at]))
        ++at;
    return at;
}

// The bytes of the object around `at` ("N G obj" ... "endobj"), with its number and generation; nothing
// when `at` is not inside a numbered object.
struct Enclosing {
    QByteArray reference; // "N G R"
    QByteArray body;
    qsizetype start; // where "N G obj" begins
};

std::optional<Enclosing> enclosingObject(const QByteArray& bytes, qsizetype at) {
    // The last "obj" keyword before `at`; when it ends an object ("endobj"), `at` stands between objects.
    const qsizetype obj = bytes.lastIndexOf("obj", at);
    if (obj < 0 || (obj >= 3 && bytes.mid(obj - 3, 3) == "end"))
        return std::nullopt;
    // Walk back over " G N" before "obj".
    qsizetype i = obj - 1;
    auto number = [&]() -> QByteArray {
        while (i >= 0 && isSpace(bytes[i]))
            --i;
        const qsizetype end = i + 1;
        while (i >= 0 && std::isdigit(static_cast<unsigned char>(bytes[i])))
            --i;
        return bytes.mid(i + 1, end - i - 1);
    };
    const QByteArray generation = number();
    const QByteArray objectNumber = number();
    if (generation.isEmpty() || objectNumber.isEmpty())
        return std::nullopt;
    qsizetype end = bytes.indexOf("endobj", at);
    if (end < 0)
        end = bytes.size();
    return Enclosing{objectNumber + ' ' + generation + " R", bytes.mid(obj + 3, end - obj - 3), i + 1};
}

// The last place `name` stands as a key followed by the name `value` ("/Filter /Standard", "/Type/Catalog").
qsizetype lastKeyWithName(const QByteArray& bytes, const QByteArray& key, const QByteArray& value) {
    for (qsizetype at = bytes.lastIndexOf(value); at > 0; at = bytes.lastIndexOf(value, at - 1)) {
        qsizetype before = at - 1;
        while (before >= 0 && isSpace(bytes[before]))
            --before;
        if (before + 1 >= key.size() && bytes.mid(before + 1 - key.size(), key.size()) == key)
            return at;
    }
    return -1;
}

// A hex string at `at` ("<0a1b...>"): its end, or -1.
qsizetype hexStringEnd(const QByteArray& bytes, qsizetype at) {
    if (at >= bytes.size() || bytes[at] != '<')
        return -1;
    for (++at; at < bytes.size(); ++at) {
        const char c = bytes[at];
        if (c == '>')
            return at + 1;
        if (!std::isxdigit(static_cast<unsigned char>(c)) && !isSpace(c))
            return -1;
    }
    return -1;
}

// The last complete file identifier "/ID [<...> <...>]" of the file, as written.
QByteArray lastFileIdentifier(const QByteArray& bytes) {
    for (qsizetype at = bytes.lastIndexOf("/ID"); at >= 0; at = bytes.lastIndexOf("/ID", at - 1)) {
        qsizetype i = skipSpace(bytes, at + 3);
        if (i >= bytes.size() || bytes[i] != '[')
            continue;
        const qsizetype first = hexStringEnd(bytes, skipSpace(bytes, i + 1));
        const qsizetype second = first < 0 ? -1 : hexStringEnd(bytes, skipSpace(bytes, first));
        if (second < 0)
            continue;
        const qsizetype close = skipSpace(bytes, second);
        if (close < bytes.size() && bytes[close] == ']')
            return bytes.mid(at, close + 1 - at);
    }
    return {};
}

// The last reference written after `key` ("/Root 1 0 R" gives "1 0 R"), or nothing.
QByteArray lastReference(const QByteArray& bytes, const QByteArray& key) {
    for (qsizetype at = bytes.lastIndexOf(key); at >= 0; at = bytes.lastIndexOf(key, at - 1)) {
        qsizetype i = at + key.size();
        QByteArray parts[2];
        bool whole = true;
        for (QByteArray& part : parts) {
            i = skipSpace(bytes, i);
            const qsizetype start = i;
            while (i < bytes.size() && std::isdigit(static_cast<unsigned char>(bytes[i])))
                ++i;
            part = bytes.mid(start, i - start);
            whole = whole && !part.isEmpty();
        }
        i = skipSpace(bytes, i);
        if (whole && i < bytes.size() && bytes[i] == 'R')
            return parts[0] + ' ' + parts[1] + " R";
    }
    return {};
}

// The number after `key` in a dictionary body ("/V 4"), or -1.
int numberEntry(const QByteArray& body, const QByteArray& key) {
    for (qsizetype at = body.indexOf(key); at >= 0; at = body.indexOf(key, at + 1)) {
        const qsizetype after = at + key.size();
        if (after < body.size() && !isSpace(body[after]))
            continue; // a longer name ("/Version")
        const qsizetype start = skipSpace(body, after);
        qsizetype end = start;
        while (end < body.size() && std::isdigit(static_cast<unsigned char>(body[end])))
            ++end;
        if (end > start)
            return body.mid(start, end - start).toInt();
    }
    return -1;
}

} // namespace

Protection protectionOf(fz_context* ctx, pdf_document* doc) {
    Protection p;
    if (!doc->crypt)
        return p;
    guarded(ctx, [&] {
        p.version = pdf_crypt_version(ctx, doc->crypt);
        p.revision = pdf_crypt_revision(ctx, doc->crypt);
        p.length = pdf_crypt_length(ctx, doc->crypt);
        p.method = pdf_crypt_method(ctx, doc->crypt);
    });
    p.encrypted = true;
    return p;
}

QByteArray withStartxrefFound(const QByteArray& bytes) {
    const qsizetype found = bytes.lastIndexOf("startxref");
    // A cut tail may take the keyword with it: the last section is then named at the end.
    const QByteArray tail = found < 0 ? QByteArray("\nstartxref\n0\n%%EOF\n") : QByteArray();
    const QByteArray all = bytes + tail;
    const qsizetype keyword = found < 0 ? bytes.size() + 1 : found;
    qsizetype section = -1;
    for (const char* table : {"\nxref", "\rxref"})
        section = std::max(section, all.lastIndexOf(table, keyword) + 1);
    if (const qsizetype stream = lastKeyWithName(all.left(keyword), "/Type", "/XRef"); stream >= 0)
        if (const std::optional<Enclosing> object = enclosingObject(all, stream))
            section = std::max(section, object->start);
    const qsizetype number = skipSpace(all, keyword + 9);
    qsizetype end = number;
    while (end < all.size() && std::isdigit(static_cast<unsigned char>(all[end])))
        ++end;
    if (section <= 0 || all.mid(number, end - number).toLongLong() == section)
        return {};
    QByteArray fixed = all;
    return fixed.replace(number, end - number, QByteArray::number(section));
}

std::optional<LostProtection> findLostProtection(const QByteArray& bytes) {
    const qsizetype handler = lastKeyWithName(bytes, "/Filter", "/Standard");
    if (handler < 0)
        return std::nullopt;
    const std::optional<Enclosing> encrypt = enclosingObject(bytes, handler);
    if (!encrypt || !encrypt->body.contains("/O") || !encrypt->body.contains("/U"))
        return std::nullopt;
    const QByteArray id = lastFileIdentifier(bytes);
    // Before the AES-256 handler the file key is made from the first /ID string: without it no password
    // can ever open the file.
    if (id.isEmpty() && numberEntry(encrypt->body, "/V") < 5)
        return LostProtection{};
    QByteArray trailer = "<< /Encrypt " + encrypt->reference;
    if (!id.isEmpty())
        trailer += ' ' + id;
    // The catalog as the last trailer or cross-reference stream named it, or else as it stands among the
    // objects; one inside an (encrypted) object stream with no trailer naming it is left to MuPDF's repair.
    if (const QByteArray root = lastReference(bytes, "/Root"); !root.isEmpty())
        trailer += " /Root " + root;
    else if (const qsizetype catalog = lastKeyWithName(bytes, "/Type", "/Catalog"); catalog >= 0)
        if (const std::optional<Enclosing> object = enclosingObject(bytes, catalog))
            trailer += " /Root " + object->reference;
    trailer += " >>";
    // What follows the last whole object is the damaged part (a cut-off cross-reference section or trailer).
    const qsizetype lastObject = bytes.lastIndexOf("endobj");
    const QByteArray body = lastObject < 0 ? bytes : bytes.left(lastObject + 6);
    // No cross-reference section: MuPDF rebuilds one and takes the trailer found after the objects.
    return LostProtection{body + "\ntrailer\n" + trailer + "\nstartxref\n0\n%%EOF\n"};
}

} // namespace zepla::pdf
