// Plain values the PDF layer hands out: page geometry, text, outline entries, annotations' places.
// Geometry is in page space: PDF points of the page, origin at the lower left of its media box, y upward,
// before the page's rotation.
#pragma once

#include <QImage>
#include <QList>
#include <QRectF>
#include <QString>
#include <QTransform>

#include <vector>

namespace zepla::pdf {

struct PageGeometry {
    QRectF mediaBox;
    QRectF cropBox;      // what is shown: the crop box clipped to the media box
    int rotation = 0;    // clockwise, one of 0, 90, 180, 270
    double userUnit = 1; // points per unit of page space (/UserUnit)

    // The size of the displayed page in points: the crop box, turned by the rotation, in user units.
    QSizeF displaySize() const;
    // From page space to the pixels of a render at `scale` (pixels per point).
    QTransform pageToImage(double scale) const;
};

struct TextChar {
    char32_t character = 0;
    QRectF box; // page space
    QString fontName;
    float fontSize = 0;
    QPointF origin; // where the glyph stands on its baseline, page space
};

struct TextLine {
    QRectF box;              // page space
    QPointF direction{1, 0}; // the way the line reads, a unit vector in page space
    std::vector<TextChar> chars;
    QString text() const;
};

struct TextBlock {
    QRectF box;
    std::vector<TextLine> lines;
};

struct StructuredText {
    std::vector<TextBlock> blocks;
    QString text() const; // lines joined by "\n", blocks by a blank line
};

// Pixels owned by the caller that a page is drawn into: `height` rows of `width` pixels, `stride` bytes
// apart, each pixel one byte of grey, three of RGB, or four of premultiplied RGBA.
struct Pixels {
    enum class Format { Grey, Rgb, Rgba };
    unsigned char* samples = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
    Format format = Format::Rgb;
};

// A picture that fills a page of its own: JPEG bytes embedded exactly as encoded, or pixels.
struct PageImage {
    QByteArray jpegData; // when not empty, used in place of `pixels`
    QImage pixels;
    // From the picture's unit square (origin at its lower left, as PDF draws images) to page space.
    QTransform placement;
};

struct OutlineItem {
    QString title;
    int pageIndex = -1; // -1 when the entry points nowhere in this document
    QString uri;        // an external link, when it has one
    bool isOpen = false;
    std::vector<OutlineItem> children;

    bool operator==(const OutlineItem&) const = default;
};

} // namespace zepla::pdf
