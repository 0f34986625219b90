// Where Zepla keeps its files: the XDG config and data folders of the user.
#pragma once

#include <QString>

namespace zepla::platform {

// ~/.local/share/Zepla (XDG data home), created with mode 0700 when missing, and closed to others (0700 at
// most) when it exists with wider modes. Returns an empty string when the folder cannot be created.
QString applicationSupportDirectory();

// Creates `path` with mode 0700 when missing (parents too), never loosening an existing folder.
bool ensurePrivateDirectory(const QString& path);

// Takes away any access others have to an existing file of secrets (mode 0600 at most): files made by hand
// or by older versions may be readable by everyone.
void tightenToOwner(const QString& path);

} // namespace zepla::platform
