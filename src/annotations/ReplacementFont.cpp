#include "ReplacementFont.h"

#include "core/FontFiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QRawFont>
#include <QTemporaryDir>

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

GenericFamily genericFamily(const pdf::PageFont& font) {
    // Names say more than flags, which many files leave unset.
    struct Hint {
        const char* part;
        GenericFamily family;
    };
    static constexpr Hint hints[] = {
        {"mono", GenericFamily::mono},       {"courier", GenericFamily::mono},
        {"typewriter", GenericFamily::mono}, {"cmtt", GenericFamily::mono},
        {"sans", GenericFamily::sans},       {"helvetica", GenericFamily::sans},
        {"arial", GenericFamily::sans},      {"cmss", GenericFamily::sans},
        {"serif", GenericFamily::serif},     {"times", GenericFamily::serif},
        {"roman", GenericFamily::serif},     {"georgia", GenericFamily::serif},
        {"garamond", GenericFamily::serif},  {"cmr", GenericFamily::serif},
    };
    const QString name = familyOfFontName(font.name).toLower();
    for (const Hint& hint : hints) {
        if (name.contains(QLatin1String(hint.part)))
            return hint.family;
    }
    if (font.monospaced)
        return GenericFamily::mono;
    return font.serif ? GenericFamily::serif : GenericFamily::sans;
}

} // namespace

QString familyOfFontName(const QString& name) {
    return name.section(QLatin1Char('+'), -1).section(QLatin1Char('-'), 0, 0).section(QLatin1Char(','), 0, 0);
}

QString replacementFontFile(const pdf::PageFont& font, const QString& text) {
    if (isSfnt(font.program) && coversText(QRawFont(font.program, 12), text)) {
        if (QString file = programFile(font.program); !file.isEmpty())
            return file;
    }
    return platform::closestFontFile(familyOfFontName(font.name), genericFamily(font), font.bold,
                                     font.italic);
}

} // namespace zepla::annotations
