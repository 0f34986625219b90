#include "pdfview/view/FormFillUndo.h"

#include "core/UndoManager.h"
#include "pdfview/view/PDFView.h"

namespace zepla::pdfview::FormFillUndo {

namespace {

std::optional<pdf::FormWidget> currentState(const pdf::Document& document, int pageIndex,
                                            const pdf::AnnotationHandle& handle) {
    auto widgets = document.formWidgets(pageIndex);
    if (!widgets)
        return std::nullopt;
    for (const pdf::FormWidget& widget : widgets.value()) {
        if (widget.handle == handle)
            return widget;
    }
    return std::nullopt;
}

void restore(PDFView& view, platform::UndoManager& undoManager, const pdf::PageHandle& page,
             const pdf::FormWidget& target, const std::function<void()>& changed) {
    pdf::Document* document = view.document().get();
    const int pageIndex = document ? document->indexOf(page) : -1;
    if (pageIndex < 0)
        return;
    const std::optional<pdf::FormWidget> now = currentState(*document, pageIndex, target.handle);
    if (!now)
        return;
    const bool done =
        target.type == pdf::FormWidget::Type::Checkbox
            ? (now->checked == target.checked || document->toggleCheckbox(pageIndex, target.handle).ok())
            : document->setTextFieldValue(pageIndex, target.handle, target.value).ok();
    if (!done)
        return;
    registerUndo(view, undoManager, page, *now, changed);
    view.viewport()->update();
    changed();
}

} // namespace

void registerUndo(PDFView& view, platform::UndoManager& undoManager, const pdf::PageHandle& page,
                  const pdf::FormWidget& previous, const std::function<void()>& changed) {
    undoManager.registerUndo(&view, [&view, &undoManager, page, previous, changed] {
        restore(view, undoManager, page, previous, changed);
    });
}

} // namespace zepla::pdfview::FormFillUndo
