// Key pools and the Ollama Cloud address over the preferences file.
#include "keys/APIKeyStore.h"

#include "core/Settings.h"

namespace zepla::ai {

QString rawValue(APIProviderKind kind) {
    return kind == APIProviderKind::ollama ? QStringLiteral("ollama") : QStringLiteral("groq");
}

namespace APIKeyStore {

namespace {

const QString kLegacyOllamaKey = QStringLiteral("quibrane.ollamaAPIKey");
const QString kCustomURLKey = QStringLiteral("zepla.customAPIURL");

QString poolDefaultsKey(APIProviderKind kind) {
    return QStringLiteral("zepla.") + rawValue(kind) + QStringLiteral("APIKeyPool");
}

// The INI file cannot tell a one-element list from a plain string, so a string is a pool of one key.
QStringList readPool(const QSettings& settings, APIProviderKind kind) {
    const QVariant value = settings.value(poolDefaultsKey(kind));
    const int type = value.metaType().id();
    if (type == QMetaType::QStringList || type == QMetaType::QString)
        return value.toStringList();
    return {};
}

void writePool(QSettings& settings, APIProviderKind kind, const QStringList& pool) {
    settings.setValue(poolDefaultsKey(kind), pool);
}

QStringList allKeys(QSettings& settings, APIProviderKind kind) {
    QStringList pool = readPool(settings, kind);
    if (kind == APIProviderKind::groq || !pool.isEmpty())
        return pool;
    const QVariant legacy = settings.value(kLegacyOllamaKey);
    if (legacy.metaType().id() == QMetaType::QString && !legacy.toString().isEmpty()) {
        pool = {legacy.toString()};
        writePool(settings, kind, pool);
    }
    return pool;
}

} // namespace

QStringList allKeys(APIProviderKind kind) {
    return allKeys(*platform::userSettings(), kind);
}

void save(const QString& key, APIProviderKind kind) {
    const auto settings = platform::userSettings();
    QStringList pool = allKeys(*settings, kind);
    if (!pool.contains(key))
        pool.append(key);
    writePool(*settings, kind, pool);
}

std::optional<QString> load(APIProviderKind kind) {
    const QStringList pool = allKeys(kind);
    if (pool.isEmpty())
        return std::nullopt;
    return pool.first();
}

void clear(APIProviderKind kind) {
    const auto settings = platform::userSettings();
    settings->remove(poolDefaultsKey(kind));
    if (kind == APIProviderKind::ollama)
        settings->remove(kLegacyOllamaKey);
}

QString loadURL() {
    const QVariant stored = platform::userSettings()->value(kCustomURLKey);
    return stored.isValid() ? stored.toString() : defaultOllamaURL();
}

void saveURL(const QString& url) {
    platform::userSettings()->setValue(kCustomURLKey, url);
}

QString defaultOllamaURL() {
    return QStringLiteral("https://ollama.com/v1/chat/completions");
}

} // namespace APIKeyStore

} // namespace zepla::ai
