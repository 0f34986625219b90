#include "ReplacementFont.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QRawFont>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <hb.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace zepla::annotations {

namespace {

using platform::GenericFamily;

// Only whole OpenType and TrueType programs: their glyphs can be looked up by character, subset and embedded
// again. Bare CFF and Type 1 programs name their glyphs through the page's encoding instead.
bool isSfnt(const QByteArray& program) {
    return program.startsWith(QByteArray("\x00\x01\x00\x00", 4)) || program.startsWith("true") ||
           program.startsWith("OTTO");
}

bool coversText(const QRawFont& font, const QString& text) {
    if (!font.isValid())
        return false;
    for (char32_t c : text.toUcs4()) {
        if (!QChar::isSpace(c) && !font.supportsCharacter(c))
            return false;
    }
    return true;
}

template <class T, void (*Destroy)(T*)> struct Deleter {
    void operator()(T* p) const { Destroy(p); }
};
using Blob = std::unique_ptr<hb_blob_t, Deleter<hb_blob_t, hb_blob_destroy>>;
using Face = std::unique_ptr<hb_face_t, Deleter<hb_face_t, hb_face_destroy>>;

// A name table in Windows Unicode: the PostScript and full name `name`, and a family of its own that no font
// name of a page can ask for (page names have no parentheses), so that the program, once the editor has
// loaded it, never stands in for an installed family.
QByteArray nameTable(const QByteArray& name) {
    const std::pair<quint16, QByteArray> names[] = {
        {1, name + " (page)"}, {2, "Regular"}, {4, name}, {6, name}};
    const quint16 count = std::size(names);
    QByteArray records;
    QByteArray strings;
    const auto put16 = [](QByteArray& out, quint16 v) {
        out.append(char(v >> 8));
        out.append(char(v & 0xFF));
    };
    for (const auto& [id, text] : names) {
        QByteArray utf16;
        for (char c : text)
            put16(utf16, quint16(uchar(c)));
        for (quint16 v :
             {quint16(3), quint16(1), quint16(0x409), id, quint16(utf16.size()), quint16(strings.size())})
            put16(records, v);
        strings += utf16;
    }
    QByteArray table;
    for (quint16 v : {quint16(0), count, quint16(6 + 12 * count)})
        put16(table, v);
    return table + records + strings;
}

// The program with its name tables saying `name`: the subset a file embeds carries it as its PostScript
// name, and the editor finds it by a family of its own.
QByteArray renamed(const QByteArray& program, const QByteArray& name) {
    const Blob blob(hb_blob_create(program.constData(), unsigned(program.size()), HB_MEMORY_MODE_READONLY,
                                   nullptr, nullptr));
    const Face face(hb_face_create(blob.get(), 0));
    const Face built(hb_face_builder_create());
    const hb_tag_t nameTag = hb_tag_from_string("name", 4);
    unsigned int count = hb_face_get_table_tags(face.get(), 0, nullptr, nullptr);
    std::vector<hb_tag_t> tags(count);
    hb_face_get_table_tags(face.get(), 0, &count, tags.data());
    for (hb_tag_t tag : tags) {
        if (tag != nameTag)
            hb_face_builder_add_table(built.get(), tag, Blob(hb_face_reference_table(face.get(), tag)).get());
    }
    const QByteArray names = nameTable(name);
    hb_face_builder_add_table(built.get(), nameTag,
                              Blob(hb_blob_create(names.constData(), unsigned(names.size()),
                                                  HB_MEMORY_MODE_DUPLICATE, nullptr, nullptr))
                                  .get());
    const Blob result(hb_face_reference_blob(built.get()));
    unsigned int length = 0;
    const char* data = hb_blob_get_data(result.get(), &length);
    return length > 0 ? QByteArray(data, qsizetype(length)) : program;
}

// The program in a file of its own, for as long as the process runs: the layout and the subsetter read fonts
// from files.
QString programFile(const QByteArray& program) {
    static QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/zepla-page-fonts-XXXXXX"));
    if (!folder.isValid())
        return {};
    const QString path = folder.filePath(
        QString::fromLatin1(QCryptographicHash::hash(program, QCryptographicHash::Sha1).toHex()));
    if (QFile::exists(path))
        return path;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(program) != program.size())
        return {};
    return path;
}

QString untagged(const QString& name) {
    static const QRegularExpression tag(QStringLiteral("^[A-Z]{6}\\+"));
    return QString(name).remove(tag);
}

// A name as PDF can carry it: printable ASCII without delimiters, and something more than punctuation.
QByteArray nameToken(const QString& name) {
    QByteArray token = name.toLatin1();
    token.removeIf([](char c) { return c <= ' ' || c > '~' || QByteArray("()<>[]{}/%#").contains(c); });
    return std::any_of(token.begin(), token.end(), [](char c) { return std::isalnum(uchar(c)); })
               ? token
               : QByteArray();
}

struct NameParts {
    QString family;
    QString style; // lower case; empty where the name has none
};

// A font name's family and style, without its subset tag: "Roboto-BoldItalic" → Roboto and "bolditalic",
// "Arial,Bold" → Arial and "bold", and the style run on without a separator, as LibreOffice writes Type 1
// names: "NimbusRomanRegular" → NimbusRoman and "regular".
NameParts nameParts(const QString& name) {
    const QString untaggedName = name.section(QLatin1Char('+'), -1);
    static const QRegularExpression separator(QStringLiteral("[-,]"));
    if (const qsizetype at = untaggedName.indexOf(separator); at >= 0)
        return {untaggedName.left(at), untaggedName.mid(at + 1).toLower()};
    static const QRegularExpression joined(QStringLiteral(
        "^(.+?)((?:Regular|Bold|Italic|Oblique|Medium|Light|Semibold|SemiBold|Black|Heavy)+)$"));
    if (const QRegularExpressionMatch m = joined.match(untaggedName); m.hasMatch())
        return {m.captured(1), m.captured(2).toLower()};
    return {untaggedName, {}};
}

// TeX's Computer Modern and the faces grown from it (European Modern, cm-super, CM Unicode, Latin Modern),
// by their names: "CMR10", "CMBX12", "CMSSBX10", "ECRM1000", "SFTT1200", "CMUSerif-Bold",
// "LMRoman10-Italic". Set again in Latin Modern, which is Computer Modern with every accented letter.
std::optional<FaceRequest> texRequest(const QString& name) {
    static const QRegularExpression metafont(QStringLiteral("^(CM|EC|TC|SF)([A-Z]{1,6})(\\d{1,4})$"));
    static const QRegularExpression modern(QStringLiteral("^(CMU|LM)([A-Za-z]*?)\\d*(-(.*))?$"));
    FaceRequest r;
    if (const auto m = metafont.match(name); m.hasMatch()) {
        const QString shape = m.captured(2); // R, BX, TI, SL, SS, SSBX, TT, MI, B, ...
        r.generic = shape.startsWith(QLatin1String("SS"))   ? GenericFamily::sans
                    : shape.startsWith(QLatin1String("TT")) ? GenericFamily::mono
                                                            : GenericFamily::serif;
        r.bold = shape.contains(QLatin1String("BX")) || shape == QLatin1String("B") ||
                 shape.contains(QLatin1String("DC"));
        r.italic = shape.contains(QLatin1String("TI")) || shape.contains(QLatin1String("SL")) ||
                   shape.contains(QLatin1String("MI")) || shape.endsWith(QLatin1String("IT")) ||
                   shape.endsWith(QLatin1String("I"));
    } else if (const auto m = modern.match(name); m.hasMatch()) {
        const QString family = m.captured(2).toLower();
        const QString style = m.captured(4).toLower();
        r.generic = family.contains(QLatin1String("sans")) ? GenericFamily::sans
                    : family.contains(QLatin1String("mono")) || family.contains(QLatin1String("typewriter"))
                        ? GenericFamily::mono
                        : GenericFamily::serif;
        r.bold = style.contains(QLatin1String("bold")) || style.contains(QLatin1String("demi"));
        r.italic = style.contains(QLatin1String("italic")) || style.contains(QLatin1String("oblique")) ||
                   family.contains(QLatin1String("slant"));
    } else {
        return std::nullopt;
    }
    static const char* const latinModern[] = {"Latin Modern Roman", "Latin Modern Sans", "Latin Modern Mono"};
    r.family = QString::fromLatin1(latinModern[int(r.generic)]);
    return r;
}

// The generic kind a family's name tells, where it tells one.
std::optional<GenericFamily> kindByName(const QString& family) {
    struct Hint {
        const char* part;
        GenericFamily family;
    };
    // Names say more than flags, which many files leave unset. Sans before serif: "Sans Serif" is sans.
    static constexpr Hint hints[] = {
        {"mono", GenericFamily::mono},       {"courier", GenericFamily::mono},
        {"typewriter", GenericFamily::mono}, {"consol", GenericFamily::mono},
        {"code", GenericFamily::mono},       {"sans", GenericFamily::sans},
        {"helvetica", GenericFamily::sans},  {"arial", GenericFamily::sans},
        {"verdana", GenericFamily::sans},    {"calibri", GenericFamily::sans},
        {"gothic", GenericFamily::sans},     {"grotesk", GenericFamily::sans},
        {"serif", GenericFamily::serif},     {"times", GenericFamily::serif},
        {"roman", GenericFamily::serif},     {"georgia", GenericFamily::serif},
        {"garamond", GenericFamily::serif},  {"cambria", GenericFamily::serif},
        {"palatino", GenericFamily::serif},  {"minion", GenericFamily::serif},
        {"book", GenericFamily::serif},
    };
    const QString name = family.toLower();
    for (const Hint& hint : hints) {
        if (name.contains(QLatin1String(hint.part)))
            return hint.family;
    }
    return std::nullopt;
}

} // namespace

QString familyOfFontName(const QString& name) {
    return nameParts(name).family;
}

FaceRequest closestFaceRequest(const pdf::PageFont& font) {
    const QString name = untagged(font.name);
    if (std::optional<FaceRequest> tex = texRequest(name))
        return *tex;
    // Descriptor flags: 1 fixed pitch, 2 serif, 64 italic, bit 19 force bold.
    const std::optional<pdf::PageFont::Descriptor>& d = font.descriptor;
    FaceRequest r;
    const QString family = familyOfFontName(name);
    const QString installed = platform::installedFamily(family);
    r.family = installed.isEmpty() ? family : installed;
    if (std::optional<GenericFamily> kind = kindByName(r.family))
        r.generic = *kind;
    else if (d)
        r.generic = (d->flags & 1)   ? GenericFamily::mono
                    : (d->flags & 2) ? GenericFamily::serif
                                     : GenericFamily::sans;
    else
        r.generic = font.monospaced ? GenericFamily::mono
                    : font.serif    ? GenericFamily::serif
                                    : GenericFamily::sans;
    const QString style = nameParts(name).style;
    static const QRegularExpression boldStyle(QStringLiteral("bold|black|heavy|demi|semibold"));
    static const QRegularExpression italicStyle(QStringLiteral("italic|oblique|slant|ital\\b|it$"));
    r.bold =
        style.contains(boldStyle) || (d && (d->weight >= 600 || (d->flags & (1 << 18)))) || (!d && font.bold);
    r.italic =
        style.contains(italicStyle) || (d && ((d->flags & 64) || d->italicAngle != 0)) || (!d && font.italic);
    return r;
}

QString replacementFontFile(const pdf::PageFont& font, const QString& text) {
    if (isSfnt(font.program) && coversText(QRawFont(font.program, 12), text)) {
        QByteArray name = nameToken(untagged(font.name));
        if (name.isEmpty())
            name = "PageFont";
        if (QString file = programFile(renamed(font.program, name)); !file.isEmpty())
            return file;
    }
    const FaceRequest r = closestFaceRequest(font);
    return platform::closestFontFile(r.family, r.generic, r.bold, r.italic);
}

} // namespace zepla::annotations
