// The user's own API keys, one pool per outside service, and the Ollama Cloud address, in the preferences.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace zepla::ai {

enum class APIProviderKind { ollama, groq };

QString rawValue(APIProviderKind kind);

// Reads the preferences file on every call and caches nothing; keys are kept exactly as given.
namespace APIKeyStore {

// The pool of the kind, oldest first. An empty Ollama pool first takes over the key stored under the older
// single-key name, which itself stays in place until the pool is cleared.
QStringList allKeys(APIProviderKind kind);

// Appends the key unless the pool already holds the identical string.
void save(const QString& key, APIProviderKind kind);

std::optional<QString> load(APIProviderKind kind);

// Removes the pool; for Ollama also the key under the older name.
void clear(APIProviderKind kind);

// The stored Ollama Cloud chat-completions address (an empty string too), else the service's own.
QString loadURL();
void saveURL(const QString& url);

QString defaultOllamaURL();

} // namespace APIKeyStore

} // namespace zepla::ai
