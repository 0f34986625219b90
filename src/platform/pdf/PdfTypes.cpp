#include "PdfTypes.h"

namespace zepla::pdf {

QSizeF PageGeometry::displaySize() const {
    const bool sideways = rotation == 90 || rotation == 270;
    return (sideways ? cropBox.size().transposed() : cropBox.size()) * userUnit;
}

QTransform PageGeometry::pageToImage(double scale) const {
    // Move the crop box's top-left corner to the origin with y downward, then turn clockwise.
    const QSizeF shown = displaySize() / userUnit;
    QTransform t;
    t.scale(scale * userUnit, scale * userUnit);
    switch (rotation) {
    case 90:
        t.translate(shown.width(), 0);
        t.rotate(90);
        break;
    case 180:
        t.translate(shown.width(), shown.height());
        t.rotate(180);
        break;
    case 270:
        t.translate(0, shown.height());
        t.rotate(270);
        break;
    default:
        break;
    }
    t.translate(-cropBox.left(), cropBox.bottom());
    t.scale(1, -1);
    return t;
}

QString TextLine::text() const {
    QString s;
    for (const TextChar& c : chars)
        s += QString::fromUcs4(&c.character, 1);
    return s;
}

QString StructuredText::text() const {
    QStringList blockTexts;
    for (const TextBlock& b : blocks) {
        QStringList lines;
        for (const TextLine& l : b.lines)
            lines << l.text();
        blockTexts << lines.join('\n');
    }
    return blockTexts.join("\n\n");
}

} // namespace zepla::pdf
