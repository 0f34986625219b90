#include "PdfTypes.h"

namespace zepla::pdf {

QSizeF PageGeometry::displaySize() const {
    const bool sideways = rotation == 90 || rotation == 270;
    return (sideways ? cropBox.size().transposed() : cropBox.size()) * userUnit;
}

QTransform PageGeometry::pageToImage(double scale) const {
    // Move the crop box's top-left corner to the origin with y downward, turn clockwise into the shown size,
    // then scale. Written out per quarter turn, each term the product QTransform's own steps would form.
    const QSizeF shown = displaySize() / userUnit;
    const double s = scale * userUnit;
    const double left = cropBox.left();
    const double top = cropBox.bottom();
    switch (rotation) {
    case 90:
        return QTransform(0, s, s, 0, shown.width() * s - top * s, -left * s);
    case 180:
        return QTransform(-s, 0, 0, s, shown.width() * s + left * s, shown.height() * s - top * s);
    case 270:
        return QTransform(0, -s, -s, 0, top * s, shown.height() * s + left * s);
    default:
        return QTransform(s, 0, 0, -s, -left * s, top * s);
    }
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
