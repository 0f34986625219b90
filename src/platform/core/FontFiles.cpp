#include "FontFiles.h"

#include <fontconfig/fontconfig.h>

#include <QHash>
#include <QMutex>

#include <optional>

namespace zepla::platform {

namespace {

// The file of the outline font fontconfig picks for a pattern (which this takes), with the character
// when one is given; empty when there is none. Bitmap faces cannot be embedded as glyph outlines.
QString matchFile(FcPattern* pattern, std::optional<char32_t> character = std::nullopt) {
    QString file;
    FcPatternAddBool(pattern, FC_OUTLINE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    if (FcPattern* match = FcFontMatch(nullptr, pattern, &result)) {
        FcCharSet* covered = nullptr;
        FcChar8* path = nullptr;
        const bool covers =
            !character || (FcPatternGetCharSet(match, FC_CHARSET, 0, &covered) == FcResultMatch &&
                           FcCharSetHasChar(covered, *character));
        if (covers && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch)
            file = QString::fromUtf8(reinterpret_cast<const char*>(path));
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return file;
}

} // namespace

QString fontFileFor(const QString& family, int weight) {
    static QMutex mutex;
    static QHash<QPair<QString, int>, QString> cache;
    const QMutexLocker lock(&mutex);
    const auto key = qMakePair(family, weight);
    if (const auto found = cache.constFind(key); found != cache.cend())
        return *found;
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.toUtf8().constData()));
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight));
    const QString file = matchFile(pattern);
    cache.insert(key, file);
    return file;
}

QString closestFontFile(const QString& family, GenericFamily generic, bool bold, bool italic) {
    static const char* const genericNames[] = {"serif", "sans-serif", "monospace"};
    FcPattern* pattern = FcPatternCreate();
    if (!family.isEmpty())
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.toUtf8().constData()));
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(genericNames[int(generic)]));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    if (generic == GenericFamily::mono)
        FcPatternAddInteger(pattern, FC_SPACING, FC_MONO);
    return matchFile(pattern);
}

namespace {

QString comparable(QString name) {
    name = name.toLower();
    name.removeIf([](QChar c) { return !c.isLetterOrNumber(); });
    for (const char* ending : {"psmt", "mt"}) {
        if (name.endsWith(QLatin1String(ending)) && name.size() > 4) {
            name.chop(qsizetype(qstrlen(ending)));
            break;
        }
    }
    return name;
}

// Every installed outline family by its comparable name.
QHash<QString, QString> installedFamilies() {
    QHash<QString, QString> families;
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddBool(pattern, FC_OUTLINE, FcTrue);
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
    if (FcFontSet* set = FcFontList(nullptr, pattern, objects)) {
        for (int i = 0; i < set->nfont; ++i) {
            FcChar8* family = nullptr;
            for (int n = 0; FcPatternGetString(set->fonts[i], FC_FAMILY, n, &family) == FcResultMatch; ++n) {
                const QString name = QString::fromUtf8(reinterpret_cast<const char*>(family));
                families.insert(comparable(name), name);
            }
        }
        FcFontSetDestroy(set);
    }
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    return families;
}

} // namespace

QString installedFamily(const QString& name) {
    static QMutex mutex;
    const QMutexLocker lock(&mutex);
    static const QHash<QString, QString> families = installedFamilies();
    const QString key = comparable(name);
    return key.isEmpty() ? QString() : families.value(key);
}

QString fontFileCovering(char32_t character) {
    static QMutex mutex;
    static QHash<char32_t, QString> cache;
    const QMutexLocker lock(&mutex);
    if (const auto found = cache.constFind(character); found != cache.cend())
        return *found;
    FcPattern* pattern = FcPatternCreate();
    FcCharSet* wanted = FcCharSetCreate();
    FcCharSetAddChar(wanted, character);
    FcPatternAddCharSet(pattern, FC_CHARSET, wanted);
    FcCharSetDestroy(wanted);
    const QString file = matchFile(pattern, character);
    cache.insert(character, file);
    return file;
}

} // namespace zepla::platform
