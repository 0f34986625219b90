// Font files of this system as fontconfig picks them: the outline face of a family and weight, or one that
// has a character another face lacks. Answers are kept for the life of the process.
#pragma once

#include <QString>

namespace zepla::platform {

// The file fontconfig picks for a family and an OpenType weight (400 regular, 700 bold); empty when there is
// none at all.
QString fontFileFor(const QString& family, int weight);
// The kinds of face a font can stand in for when its own family is not installed.
enum class GenericFamily { serif, sans, mono };
// The installed face closest to a font known by its family name and look: that family when it is installed,
// else fontconfig's choice for the generic family, in the weight and slant asked for.
QString closestFontFile(const QString& family, GenericFamily generic, bool bold, bool italic);
// The installed family a name from a font file stands for, compared without spaces, case or the
// "PSMT"/"MT" endings of PostScript names ("DejaVuSans" → "DejaVu Sans"); empty when none is installed.
QString installedFamily(const QString& name);
// A font file that has the character; empty when no font has it.
QString fontFileCovering(char32_t character);

} // namespace zepla::platform
