#include "core/BackgroundSettings.h"

#include "core/Settings.h"

#include <QCoreApplication>

#include <map>
#include <mutex>

namespace zepla::platform::BackgroundSettings {

namespace {

// The newest value of every key read or set through here; the writer reads it when its turn comes, so
// values set in a quick run are written once, newest last.
struct Values {
    std::mutex mutex;
    std::map<QString, QVariant> byKey;
};

Values& values() {
    static Values kept;
    return kept;
}

void store(const QString& key) {
    QVariant newest;
    {
        std::lock_guard lock(values().mutex);
        newest = values().byKey[key];
    }
    auto settings = userSettings();
    if (newest.isValid())
        settings->setValue(key, newest);
    else
        settings->remove(key);
}

} // namespace

QVariant value(const QString& key) {
    {
        std::lock_guard lock(values().mutex);
        if (const auto kept = values().byKey.find(key); kept != values().byKey.end())
            return kept->second;
    }
    const QVariant stored = userSettings()->value(key);
    std::lock_guard lock(values().mutex);
    return values().byKey.try_emplace(key, stored).first->second;
}

void setValue(const QString& key, const QVariant& value) {
    {
        std::lock_guard lock(values().mutex);
        values().byKey[key] = value;
    }
    writer().enqueue(
        QStringLiteral("settings:") + key, [key] { store(key); }, true);
}

void waitForWrites() {
    writer().waitUntilIdle();
}

SerialWriter& writer() {
    static SerialWriter settingsWriter;
    // What is still queued is written while the application object, and Qt's settings with it, still
    // exist: after it, at the program's exit, they may be gone.
    static const bool drainsAtQuit = [] {
        qAddPostRoutine(waitForWrites);
        return true;
    }();
    Q_UNUSED(drainsAtQuit);
    return settingsWriter;
}

} // namespace zepla::platform::BackgroundSettings
