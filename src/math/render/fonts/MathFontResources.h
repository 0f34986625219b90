// Where the installed math fonts live, and how the engine reports a font resource it cannot use.
#pragma once

#include <QString>

namespace zepla::math {

inline constexpr char kDefaultMathFontName[] = "latinmodern-math";

// The math module's resource folder "MathTypeset_MathTypeset.bundle", found once per process: beside the
// program in the installed layout (<prefix>/share/zepla), then in the build tree, then in the program's own
// folder. None of them holding it stops the process.
QString mathResourceBundle();

// The folder "mathFonts.bundle" inside the resource folder, looked up afresh; empty when it is missing.
QString mathFontFolder();

// The font file and the math-table export of one resource name in `folder`; empty when the file is missing.
QString mathFontFile(const QString& folder, const QString& name);
QString mathTableFile(const QString& folder, const QString& name);

// Damaged or missing installed resources end the process with this message.
[[noreturn]] void stopOnDamagedResource(const QString& message);

// Writes the one warning line for a font that is not installed and is replaced by the default font.
void warnMathFontReplaced(const QString& name);

} // namespace zepla::math
