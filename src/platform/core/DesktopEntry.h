// Zepla's desktop entry and icon, which let the desktop list Zepla for PDF files and make it their default:
// the entry's text for a program, and putting both into the user's data folder for a program run from its
// build folder (an installed program gets them from the install step).
#pragma once

#include <QString>

#include <optional>

namespace zepla::platform::DesktopEntry {

// The entry's Exec value for `program` followed by %F: the path as it is, or in double quotes and escaped as
// desktop entries require when it holds a space or a character the shell would read.
QString execValue(const QString& program);

// The whole entry for `program`, marked as written for a build folder's program.
QString text(const QString& program);

// Writes applications/zepla.desktop and icons/hicolor/scalable/apps/zepla.svg under `dataHome` (the XDG data
// home). An entry that an earlier run from a build folder wrote is brought up to date; any other entry there
// (an install into ~/.local, one the user wrote) is left alone. Returns an error message, or none.
std::optional<QString> installForBuildRun(const QString& program, const QString& dataHome);

} // namespace zepla::platform::DesktopEntry
