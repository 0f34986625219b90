#include "document/DocumentUndo.h"

#include "core/UndoManager.h"

namespace zepla::document {

void registerInverse(PDFEditorDocument& document, platform::UndoManager* undoManager,
                     std::function<void(PDFEditorDocument&)> inverse) {
    if (!undoManager)
        return;
    PDFEditorDocument* target = &document;
    std::weak_ptr<pdf::Document> edited = document.pdfDocument();
    undoManager->registerUndo(target, [target, edited, inverse = std::move(inverse)] {
        if (target->pdfDocument() == edited.lock())
            inverse(*target);
    });
}

} // namespace zepla::document
