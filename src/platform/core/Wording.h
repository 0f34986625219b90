// The system's texts as a Linux user reads them: key symbols spelled out and the desktop's own names.
#pragma once

#include <QString>

namespace zepla::platform {

// "⌘" becomes "Ctrl+", "⌥" "Alt+", "⇧" "Shift+", "Finder" "your file manager", the word "Mail" "your email"
// and "macOS" "Linux", so that "⌘Z to undo" reads "Ctrl+Z to undo". Every user-visible text and every prompt
// sent to the model passes here.
QString adaptWording(const QString& text);

} // namespace zepla::platform
