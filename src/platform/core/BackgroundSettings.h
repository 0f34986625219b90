// Preferences the UI thread changes while the user works (the page being read, the recent files): the
// process keeps their newest values in memory and a writer thread of their own stores them in the
// preferences file in the order they were set, so the UI thread never waits for the file to be rewritten and
// synced, nor do other files' writers wait for it.
#pragma once

#include "core/SerialWriter.h"

#include <QString>
#include <QVariant>

namespace zepla::platform::BackgroundSettings {

// The value last set in this process, else the stored one (read once, then kept); invalid when there is none.
QVariant value(const QString& key);
// Takes effect for value() at once and reaches the file soon after; an invalid value removes the key.
void setValue(const QString& key, const QVariant& value);
// Returns once every value set so far is in the file; the application object waits so before it goes away.
void waitForWrites();
// The thread that writes them; what else is queued on it comes before the values set after.
SerialWriter& writer();

} // namespace zepla::platform::BackgroundSettings
