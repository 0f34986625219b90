// Whole objects of the document catalog (the outline, the XMP metadata stream) taken out and put back as
// they are, so that undo restores the very object an edit replaced.
#pragma once

#include "PdfDocument.h"

#include <QByteArray>

namespace zepla::pdf {

// The object number the catalog's entry `key` ("Outlines", "Metadata") refers to; 0 when the entry is absent
// or not an indirect reference.
int catalogObject(const Document& document, const QByteArray& key);
// Points the catalog's entry `key` at object `number`, or removes the entry when `number` is 0.
Status setCatalogObject(Document& document, const QByteArray& key, int number);

} // namespace zepla::pdf
