// The type of rendered answers: fonts by role in pixels (one point of the design is one pixel; half sizes
// round up), the line spacing, and the colours of links and tints.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QWidget;

namespace zepla::ui::MarkdownFonts {

inline constexpr qreal lineSpacing = 4;

// Running text, 14.5.
QFont body();
// 18 for level 1, 16 for level 2, 15 below; semibold.
qreal headingSize(int level);
QFont heading(int level);
// Table header cells, 13.5 semibold.
QFont tableHeader();
// Code blocks, 13 monospaced.
QFont code();
// The source of a formula that gives no image, 14 monospaced.
QFont equationSource();

QString monospaceFamily();
QColor linkColor();

} // namespace zepla::ui::MarkdownFonts
