// System symbol names of the design mapped to monochrome icons of the desktop's icon themes, drawn in any
// colour.
#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <QStringList>

namespace zepla::ui::Symbols {

// Where one symbol is drawn from: icon files relative to the XDG data folders ("icons/Adwaita/..."), or the
// application's own resources (":/zepla/symbols/...").
struct Source {
    QString plain;
    QString filled; // the variant shown for a selected control; empty when the symbol has none
};

// Every symbol name the interface uses, in alphabetical order.
QStringList names();
bool isKnown(const QString& name);
// The table entry; an empty Source for an unknown name.
Source source(const QString& name);
// The absolute path of an icon file of the table (a resource path as it is), or an empty string when it is
// not there.
QString locate(const QString& relativePath);

// The symbol in `colour`, `size` device-independent pixels square, at the device pixel ratio given. The
// filled variant is used when asked for and the symbol has one. An unknown name or a missing file draws a
// visible stand-in (a question mark in a dashed square), never nothing. UI thread; results are cached.
QPixmap pixmap(const QString& name, int size, const QColor& colour, bool filled = false,
               qreal devicePixelRatio = 1.0);

// The same as an icon for menus and actions, at the usual menu and toolbar sizes.
QIcon icon(const QString& name, const QColor& colour, bool filled = false);

} // namespace zepla::ui::Symbols
