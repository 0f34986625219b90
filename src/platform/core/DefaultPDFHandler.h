// Whether Zepla is the desktop's default PDF viewer, and making it so, through its desktop entry and
// xdg-mime.
#pragma once

#include <QString>

#include <functional>
#include <optional>

namespace zepla::platform::DefaultPDFHandler {

// The desktop entry the desktop knows Zepla by.
inline constexpr const char* desktopEntryName = "zepla.desktop";

// True when `xdg-mime query default application/pdf` names Zepla's desktop entry; false when nothing is
// registered or xdg-mime cannot run.
bool isDefault();

// The same answer without waiting for xdg-mime: `completion` gets it on the calling (main) thread.
void queryIsDefault(std::function<void(bool)> completion);

// The preference that remembers that the one-time offer to become the default viewer was answered.
inline constexpr const char* hasPromptedKey = "hasPromptedSetAsDefaultPDFHandler";

// Runs `xdg-mime default zepla.desktop application/pdf` without blocking; `completion` gets an error message,
// or none on success, on the calling (main) thread.
void setAsDefault(std::function<void(std::optional<QString>)> completion = {});

} // namespace zepla::platform::DefaultPDFHandler
