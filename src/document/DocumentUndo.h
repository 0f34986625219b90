// Undo for edits of a window's document: the inverse runs only against the PDF it was made for.
#pragma once

#include "document/PDFEditorDocument.h"

#include <functional>

namespace zepla::platform {
class UndoManager;
}

namespace zepla::document {

// Registers `inverse` with the document as target, to run against the PDF the edit was made in. Objects
// named by an edit belong to that one PDF, so once the window holds another PDF (a file opened into it) the
// inverse has nothing left to act on. Does nothing without an undo manager.
void registerInverse(PDFEditorDocument& document, platform::UndoManager* undoManager,
                     std::function<void(PDFEditorDocument&)> inverse);

} // namespace zepla::document
