// Filling in a form field as an undoable edit: undo puts the field's previous value back, redo the new one,
// without limit. The view is the target, so the steps go with it.
#pragma once

#include "pdf/PdfDocument.h"

#include <functional>

namespace zepla::platform {
class UndoManager;
}

namespace zepla::pdfview {

class PDFView;

namespace FormFillUndo {

// Registers the return of the field to `previous` (how it was before the edit just made on `page`).
// `changed` runs after every undo and redo, so the window can announce the change.
void registerUndo(PDFView& view, platform::UndoManager& undoManager, const pdf::PageHandle& page,
                  const pdf::FormWidget& previous, const std::function<void()>& changed);

} // namespace FormFillUndo

} // namespace zepla::pdfview
