// Lines of text broken to a width in one font file, measured with its design metrics so that the glyphs
// stand in the same places live and in the file's embedded copy of the font.
#pragma once

#include "Appearance.h"

#include <QFont>

namespace zepla::annotations {

// Runs of `text` in the font file at `size`, word-wrapped to the width of `box` (page space) from its top
// edge down, one run per line. Lines that would not fit wholly above the box's bottom are left out.
std::vector<TextRun> layoutText(const QString& text, const QString& fontFile, qreal size, const QColor& color,
                                const QRectF& box);
// The size (points) the text takes unwrapped: its widest paragraph, and a line for each paragraph.
QSizeF naturalTextSize(const QString& text, const QString& fontFile, qreal size);

} // namespace zepla::annotations
