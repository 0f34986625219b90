// An annotation's look described once, as a short list of drawing operations in page space (PDF points,
// y up): filled and stroked paths, lines of text and pictures. The same list is painted live and written into
// the file as the annotation's appearance stream, so both show the same picture.
#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QPainterPath>
#include <QRawFont>
#include <QRectF>
#include <QTransform>

#include <vector>

namespace zepla::annotations {

struct StrokeStyle {
    qreal width = 1;
    Qt::PenCapStyle cap = Qt::FlatCap;
    Qt::PenJoinStyle join = Qt::MiterJoin;
    QList<qreal> dash; // lengths in points; empty for a solid line
};

// A stretch of a line of text in one font, shaped: glyphs placed from a baseline origin, left to right.
struct TextRun {
    QRawFont font; // at the text's size, in points
    QString fontFile;
    QList<quint32> glyphs;
    QList<QPointF> positions; // of each glyph from the origin, y up
    qreal width = 0;          // from the origin to where the next run starts
    QPointF origin;           // baseline start, page space
    QColor color;
    QString text;        // the characters the glyphs show, in reading order: what copying them gives
    QList<int> clusters; // per glyph: where in `text` the characters it shows begin
    bool rightToLeft = false;
};

struct DrawOp {
    enum class Kind { Fill, Stroke, Text, Image };
    Kind kind = Kind::Fill;
    QPainterPath path; // page space; its fill rule applies to fills
    QColor color;
    StrokeStyle stroke;
    TextRun text;
    QImage image;     // stretched over `imageRect`, its top row at the rectangle's upper edge
    QRectF imageRect; // page space
};

class Appearance {
public:
    explicit Appearance(const QRectF& bbox = {}) : m_bbox(bbox) {}
    // An appearance that reads upright on a page shown turned `pageRotation` degrees clockwise: drawn in
    // upright space inside `bbox()` and turned onto the page's rectangle `pageBox` by `matrix()`.
    static Appearance upright(const QRectF& pageBox, int pageRotation);

    // The area the drawing is clipped to, in the drawing's own space: the annotation's rectangle, turned
    // back when the drawing is turned.
    QRectF bbox() const { return m_bbox; }
    void setBbox(const QRectF& bbox) { m_bbox = bbox; }
    // From the drawing's space to page space: a quarter turn, or none.
    QTransform matrix() const { return m_matrix; }
    const std::vector<DrawOp>& ops() const { return m_ops; }
    // Whether the drawing multiplies with the page beneath (text markup), rather than covering it.
    bool multiplies() const { return m_multiplies; }
    void setMultiplies(bool multiplies) { m_multiplies = multiplies; }

    void fill(const QPainterPath& path, const QColor& color);
    void stroke(const QPainterPath& path, const QColor& color, const StrokeStyle& style);
    void text(const TextRun& run);
    void image(const QImage& image, const QRectF& rect);

    // The area the paths cover, strokes with their width, caps and joins: what the annotation needs as its
    // rectangle, in page space. Text is not counted.
    QRectF coveredArea() const;

private:
    QRectF m_bbox;
    QTransform m_matrix;
    std::vector<DrawOp> m_ops;
    bool m_multiplies = false;
};

} // namespace zepla::annotations
