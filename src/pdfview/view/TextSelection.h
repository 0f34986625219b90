// Selecting text on pages: places between characters, words and lines under a point, and a selection
// spanning pages cut into one piece per line. Works on the page text of the PDF layer, in page space.
#pragma once

#include "pdf/PdfTypes.h"

#include <QPointF>
#include <QRectF>
#include <QString>
#include <QTransform>

#include <compare>
#include <functional>
#include <vector>

namespace zepla::pdfview {

// The lines of one page in reading order, blocks flattened. Places under a point are found along each line
// the way it reads, whichever way the page is shown turned and whichever way its text runs on the page: a
// line running down a turned page is read down it.
struct PageText {
    std::vector<pdf::TextLine> lines;
    std::vector<QTransform> toLine; // per line, from page space to its own: x along it, y towards its tops
    static PageText from(const pdf::StructuredText& text);
};

// A place between two characters: before character `offset` of line `line` of page `page`.
struct TextPosition {
    int page = -1;
    int line = 0;
    int offset = 0;
    bool isNull() const { return page < 0; }
    auto operator<=>(const TextPosition&) const = default;
};

// One selected line: where it lies on its page, the way it reads and its text.
struct LineSelection {
    int pageIndex = -1;
    QRectF bounds;   // page space
    int degrees = 0; // the line's direction, counter-clockwise from page space's x axis, in quarter turns
    QString text;
};

// The place nearest to a point of a page: the closest line, then the character boundary closest to the
// point along it. A null position when the page has no text.
TextPosition positionAt(const PageText& text, int page, const QPointF& pagePoint);
// The word (letters and digits, or else the single character) and the line under a point, as a pair of
// positions; both null when the page has no text.
std::pair<TextPosition, TextPosition> wordAt(const PageText& text, int page, const QPointF& pagePoint);
std::pair<TextPosition, TextPosition> lineAt(const PageText& text, int page, const QPointF& pagePoint);

// Whether a point of the page lies on one of its lines of text.
bool isOverText(const PageText& text, const QPointF& pagePoint);

// The selection between two positions, in either order, one piece per line that holds selected characters.
// `textOf` gives the text of a page (pages between the two ends are taken whole).
std::vector<LineSelection> selectLines(const TextPosition& from, const TextPosition& to,
                                       const std::function<const PageText&(int page)>& textOf);
// The selected text: the lines' texts joined by line breaks.
QString joinedText(const std::vector<LineSelection>& lines);

} // namespace zepla::pdfview
