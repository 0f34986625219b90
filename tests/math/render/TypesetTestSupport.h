// What the display and typesetter tests share: the default math font, lists made from atoms, and a formula
// drawn into an image with the bounds of its ink.
#pragma once

#include "display/MTDisplay.h"
#include "fonts/MTFontManager.h"
#include "mathlist/MTMathAtomFactory.h"
#include "mathlist/MTMathListBuilder.h"
#include "typesetter/MTTypesetter.h"

#include <QImage>
#include <QPainter>
#include <QRect>

#include <initializer_list>

namespace typesettest {

using namespace zepla::math;

inline std::shared_ptr<MTFont> defaultFont() {
    return MTFontManager::manager()->defaultFont();
}

// A length in latinmodern-math's design units (1000 to the em) in points at the default 20 points.
constexpr qreal units(int value) {
    return value * 20 / 1000.0;
}
// latinmodern-math's AxisHeight at 20 points.
constexpr qreal kAxis = units(250);

// The first display of a list, as the node type expected there (none when it is another).
template <typename T> std::shared_ptr<T> firstOf(const MTMathListDisplayPtr& display) {
    return std::dynamic_pointer_cast<T>(display->subDisplays().at(0));
}

// The atoms of a formula as the parser would read them from plain characters ("x+y", "a,b").
inline MTMathListPtr chars(const QString& text) {
    return MTMathAtomFactory::atomList(text);
}

// A formula read from LaTeX and laid out; none when it does not parse.
inline MTMathListDisplayPtr layoutLatex(const QString& latex, MTLineStyle style = MTLineStyle::display,
                                        const std::shared_ptr<MTFont>& font = defaultFont()) {
    const MTMathListPtr list = MTMathListBuilder::build(latex);
    return list ? MTTypesetter::createLineForMathList(list, font, style) : nullptr;
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
