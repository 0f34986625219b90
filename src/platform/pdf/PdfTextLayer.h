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

// Adds the runs to page `index` as text in render mode 3 (neither filled nor stroked), after what the page
// already draws. The fonts are embedded as subsets with the characters each glyph stands for.
Status addInvisibleText(Document& document, int index, const std::vector<InvisibleRun>& runs);

} // namespace zepla::pdf
