#include "WatermarkAnnotation.h"

#include "AppearanceStream.h"
#include "TextLayout.h"
#include "core/FontFiles.h"

#include <algorithm>

namespace zepla::annotations {

namespace {

constexpr qreal sizeFactor = 0.12;
// The text rises from lower left to upper right.
constexpr qreal riseDegrees = 45;
constexpr qreal smallestSize = 24;
// The one line is laid out in a box wide enough never to wrap it.
constexpr qreal unlimitedWidth = 1e9;

} // namespace

WatermarkAnnotation::WatermarkAnnotation(const QString& text, qreal opacity, const QRectF& pageBox)
    : text(text), opacity(opacity) {
    bounds = pageBox;
    color = QColor(0, 0, 0);
    contents = text;
}

qreal WatermarkAnnotation::fontSize(const QSizeF& box) {
    return std::max(std::min(box.width(), box.height()) * sizeFactor, smallestSize);
}

Appearance WatermarkAnnotation::appearance() const {
    const qreal size = fontSize(bounds.size());
    QColor ink(0, 0, 0);
    ink.setAlphaF(float(std::clamp(opacity, 0.0, 1.0)));
    std::vector<TextRun> runs =
        layoutText(text, platform::fontFileFor(QStringLiteral("sans-serif"), QFont::Bold), size, ink,
                   QRectF(0, 0, unlimitedWidth, size * 4));
    Appearance look(QRectF(-bounds.width(), -bounds.height(), 2 * bounds.width(), 2 * bounds.height()));
    if (runs.empty())
        return look;
    // The text's box (its width by the font's ascent and descent) centred on the origin.
    const QRawFont& font = runs.front().font;
    const qreal width = runs.back().origin.x() + runs.back().width - runs.front().origin.x();
    const QPointF shift(-width / 2 - runs.front().origin.x(),
                        (font.descent() - font.ascent()) / 2 - runs.front().origin.y());
    for (TextRun& run : runs) {
        run.origin += shift;
        look.text(run);
    }
    return look;
}

pdf::AppearanceStates WatermarkAnnotation::appearanceStates() const {
    pdf::AppearanceStream stream = appearanceStream(appearance());
    // 45 degrees as the reader sees the page: turned further by as much as the page is shown turned.
    const QPointF centre = bounds.center();
    transformContent(stream,
                     QTransform().translate(centre.x(), centre.y()).rotate(riseDegrees + pageRotation));
    stream.bbox = bounds;
    return {{QByteArray(), stream}};
}

pdf::ObjectValue::Entries WatermarkAnnotation::entries() const {
    pdf::ObjectValue::Entries entries = Annotation::entries();
    // Printed with the page, and locked: other readers should not move or edit it.
    constexpr int printAndLocked = 4 | 128;
    for (auto& [key, value] : entries)
        if (key == "F")
            value = printAndLocked;
    return entries;
}

} // namespace zepla::annotations
