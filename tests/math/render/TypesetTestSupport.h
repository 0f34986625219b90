// What the display and typesetter tests share: the default math font, lists made from atoms, and a formula
// drawn into an image with the bounds of its ink.
#pragma once

#include "display/MTDisplay.h"
#include "fonts/MTFontManager.h"
#include "mathlist/MTMathAtomFactory.h"

#include <QImage>
#include <QPainter>
#include <QRect>

#include <initializer_list>

namespace typesettest {

using namespace zepla::math;

inline std::shared_ptr<MTFont> defaultFont() {
    return MTFontManager::manager()->defaultFont();
}

// The atoms of a formula as the parser would read them from plain characters ("x+y", "a,b").
inline MTMathListPtr chars(const QString& text) {
    return MTMathAtomFactory::atomList(text);
}

inline MTMathListPtr listOf(std::initializer_list<MTMathAtomPtr> atoms) {
    return std::make_shared<MTMathList>(std::vector<MTMathAtomPtr>(atoms));
}

inline MTMathAtomPtr atom(const QString& character) {
    return MTMathAtomFactory::atomForCharacter(character);
}

// An atom with its scripts set (either may be none).
inline MTMathAtomPtr scripted(MTMathAtomPtr nucleus, MTMathListPtr superscript, MTMathListPtr subscript) {
    nucleus->setSuperScript(std::move(superscript));
    nucleus->setSubScript(std::move(subscript));
    return nucleus;
}

// The display drawn on white, its baseline origin at `origin` in the image.
inline QImage render(const MTDisplay& display, QSize size, QPoint origin) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.translate(origin);
    MTGraphicsContext context(painter);
    display.draw(context);
    painter.end();
    return image;
}

// The pixels that are not white, as a rectangle of the image (empty when all is white).
inline QRect inkRect(const QImage& image, QRgb background = qRgb(255, 255, 255)) {
    QRect ink;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] & 0xFFFFFF) != (background & 0xFFFFFF))
                ink |= QRect(x, y, 1, 1);
        }
    }
    return ink;
}

// True when some pixel is mostly of `color`'s hue: its strongest channel matches.
inline bool hasPixelOf(const QImage& image, QColor color) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel == Qt::white)
                continue;
            const int dr = std::abs(pixel.red() - color.red());
            const int dg = std::abs(pixel.green() - color.green());
            const int db = std::abs(pixel.blue() - color.blue());
            if (dr + dg + db < 60)
                return true;
        }
    }
    return false;
}

} // namespace typesettest
