// Font files of this system as fontconfig picks them: the outline face of a family and weight, or one that
// has a character another face lacks. Answers are kept for the life of the process.
#pragma once

#include <QString>

namespace zepla::platform {

// The file fontconfig picks for a family and an OpenType weight (400 regular, 700 bold); empty when there is
// none at all.
QString fontFileFor(const QString& family, int weight);
// A font file that has the character; empty when no font has it.
QString fontFileCovering(char32_t character);

} // namespace zepla::platform
