// Stamps a watermark on every page of a window's document as one undoable step.
#pragma once

#include "document/PDFEditorDocument.h"

namespace zepla::platform {
class UndoManager;
}

namespace zepla::annotations::WatermarkApplier {

// One watermark per page over its media box; an earlier watermark stays. A document without pages is left
// as it is. Announces the change and empties the thumbnail cache once; undo takes off exactly this set.
void apply(const QString& text, qreal opacity, document::PDFEditorDocument& document,
           platform::UndoManager* undoManager);

} // namespace zepla::annotations::WatermarkApplier
