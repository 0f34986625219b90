#include "RedactionApplier.h"

#include "annotations/Annotation.h"
#include "document/pages/PDFPageRasterizer.h"
#include "document/pages/PageOperations.h"

namespace zepla::pdfview::RedactionApplier {

namespace {

std::vector<QRectF> pendingMarks(const pdf::Document& pdf, int pageIndex) {
    std::vector<QRectF> boxes;
    if (auto list = pdf.annotations(pageIndex)) {
        for (const pdf::AnnotationInfo& annotation : list.value()) {
            if (annotations::isPendingRedactionMarker(annotation))
                boxes.push_back(annotation.rect);
        }
    }
    return boxes;
}

// The page's shown area drawn with the marks filled black, in place of the page; nothing when the page
// could not be drawn or rebuilt.
std::optional<document::PageOperations::PageReplacement> flatten(pdf::Document& pdf, int pageIndex,
                                                                 const std::vector<QRectF>& boxes) {
    const auto geometry = pdf.geometry(pageIndex);
    if (!geometry)
        return std::nullopt;
    const QRectF shown = geometry.value().cropBox;
    const QImage picture =
        document::PDFPageRasterizer::render(pdf, pageIndex, scale, shown, [&](QPainter& painter) {
            painter.setRenderHint(QPainter::Antialiasing, false);
            for (const QRectF& box : boxes)
                painter.fillRect(box, Qt::black);
        });
    if (picture.isNull())
        return std::nullopt;
    auto replaced = document::PageOperations::replaceWithPicture(pdf, pageIndex, picture, shown);
    if (!replaced)
        return std::nullopt;
    return replaced.value();
}

} // namespace

RedactionOutcome apply(document::PDFEditorDocument& document, platform::UndoManager* undoManager) {
    pdf::Document& pdf = *document.pdfDocument();
    RedactionOutcome outcome;
    std::vector<document::PageOperations::PageReplacement> replacements;
    for (int i = 0; i < pdf.pageCount(); ++i) {
        const std::vector<QRectF> boxes = pendingMarks(pdf, i);
        if (boxes.empty())
            continue;
        if (auto replaced = flatten(pdf, i, boxes)) {
            replacements.push_back(std::move(*replaced));
        } else {
            ++outcome.pagesFailed;
        }
    }
    outcome.pagesRedacted = int(replacements.size());
    if (!replacements.empty())
        document::PageOperations::pagesReplaced(document, std::move(replacements), undoManager);
    return outcome;
}

} // namespace zepla::pdfview::RedactionApplier
