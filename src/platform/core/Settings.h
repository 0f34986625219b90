// The user's preferences: ~/.config/Zepla/Zepla.conf in INI format, readable by its owner only
// (it holds API keys). Keys are used exactly as the rest of the system names them.
#pragma once

#include <QSettings>

#include <memory>

namespace zepla::platform {

// A settings object on the preferences file. The file is created with mode 0600 before anything is written
// to it. Cheap to call: Qt shares the parsed file between instances of one process.
std::unique_ptr<QSettings> userSettings();

// Why the preferences file cannot keep what is written to it (it is a folder, or cannot be read or written),
// in words for the user; empty when it can.
QString settingsFileProblem();

} // namespace zepla::platform
