// Invisible text on a page: the searchable layer laid over the picture of a scanned page, found by search,
// selection and text extraction but never seen.
#pragma once

#include "PdfDocument.h"

#include <QTransform>

namespace zepla::pdf {

// Glyphs of one font file drawn one after another at their advances.
struct InvisibleRun {
    QString fontFile;
    std::vector<quint32> glyphs; // glyph indices of the font
    QTransform matrix;           // from text space at a size of one unit (one em) to page space
};

// The runs made ready for a page on any thread: the font subsets cut and the operators that show the glyphs
// written, so adding them to the page is quick. The fonts' resource names are chosen only then, among the
// names the page does not use yet.
struct InvisibleText {
    struct Showing {
        int font = 0;        // index into `fontData`
        QByteArray operands; // "Tm" and "Tj" with their operands
    };
    std::vector<QByteArray> fontData;
    std::vector<Showing> showings; // empty when there is nothing to draw
};
Result<InvisibleText> prepareInvisibleText(const std::vector<InvisibleRun>& runs);

// Adds the text to page `index` in render mode 3 (neither filled nor stroked), after what the page already
// draws. The fonts are embedded as subsets with the characters each glyph stands for and without the glyphs'
// shapes, which are never painted, in a font dictionary of the page's own: pages that shared its resources
// keep theirs as they were.
Status addInvisibleText(Document& document, int index, const InvisibleText& text);
Status addInvisibleText(Document& document, int index, const std::vector<InvisibleRun>& runs);

// Puts a copy of page `index` in its place and returns the page taken out, which `insertPage` can put back.
// The copy draws the page's very contents with its very resources (pictures stay the same objects, bytes
// and encoding untouched), keeps its boxes and rotation, and has a resource dictionary and content list of
// its own, so what is added to it later leaves the original page as it was. It carries no annotations:
// meant for pages that have none.
Result<PageHandle> replaceWithCopy(Document& document, int index);

} // namespace zepla::pdf
