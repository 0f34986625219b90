#include "RedactionApplier.h"

#include "annotations/Annotation.h"
#include "document/pages/PDFPageRasterizer.h"
#include "document/pages/PageOperations.h"
#include "pdf/PdfImagePage.h"

namespace zepla::pdfview::RedactionApplier {

namespace {

// The page's form widgets: they leave the form's field list with the page.
std::vector<pdf::AnnotationHandle> widgets(const pdf::Document& pdf, int pageIndex) {
    std::vector<pdf::AnnotationHandle> found;
    if (auto list = pdf.annotations(pageIndex)) {
        for (const pdf::AnnotationInfo& annotation : list.value()) {
            if (annotation.subtype == QLatin1String("Widget"))
                found.push_back(annotation.handle);
        }
    }
    return found;
}

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

// The page's shown area drawn with the marks filled black, in place of the page. Returns the page taken
// out, or nothing when the page could not be drawn or rebuilt.
std::optional<pdf::PageHandle> flatten(pdf::Document& pdf, int pageIndex, const std::vector<QRectF>& boxes) {
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
    auto original = pdf::replaceWithImagePage(pdf, pageIndex, picture, shown);
    if (!original)
        return std::nullopt;
    return original.value();
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
        const std::vector<pdf::AnnotationHandle> fields = widgets(pdf, i);
        if (const auto original = flatten(pdf, i, boxes)) {
            for (const pdf::AnnotationHandle& field : fields)
                pdf.setFieldListed(field, false);
            replacements.push_back({i, *original, pdf.page(i), fields, {}});
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
