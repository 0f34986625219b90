#include "LineReplacement.h"

#include "AppearanceStream.h"
#include "TextLayout.h"

#include <QRawFont>
#include <QTransform>

namespace zepla::annotations {

pdf::AppearanceStream LineReplacement::drawing() const {
    // Laid out unturned from the start point, then turned about it into the line's direction.
    const QTransform turn = QTransform()
                                .translate(baselineStart.x(), baselineStart.y())
                                .rotate(degrees)
                                .translate(-baselineStart.x(), -baselineStart.y());
    const QRawFont face(fontFile, size);
    const QSizeF natural = naturalTextSize(text, fontFile, size);
    // One unwrapped line: the layout sets the first baseline one ascent below the box's top edge.
    const QRectF box(baselineStart.x(), baselineStart.y() + face.ascent() - natural.height(),
                     natural.width() + 1, natural.height());
    QPainterPath covered;
    if (cover) {
        for (const QRectF& glyph : glyphBoxes)
            covered.addRect(glyph);
        covered = turn.inverted().map(covered.simplified());
    }
    Appearance look(box.united(covered.boundingRect()));
    if (cover)
        look.fill(covered, *cover);
    for (const TextRun& run : layoutText(text, fontFile, size, color, box))
        look.text(run);
    pdf::AppearanceStream stream = appearanceStream(look);
    stream.bbox = turn.mapRect(look.bbox());
    if (degrees != 0)
        transformContent(stream, turn);
    return stream;
}

} // namespace zepla::annotations
