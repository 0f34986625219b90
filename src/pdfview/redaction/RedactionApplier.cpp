#include "RedactionApplier.h"

#include "annotations/Annotation.h"
#include "document/pages/PDFPageRasterizer.h"

#include <QPainter>

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

} // namespace

std::optional<MarkedPage> markedPage(const pdf::Document& pdf, int index) {
    std::vector<QRectF> boxes = pendingMarks(pdf, index);
    if (boxes.empty())
        return std::nullopt;
    // A page that cannot be listed still counts, as one that fails.
    auto list = pdf.displayList(index);
    return MarkedPage{pdf.page(index), list ? list.value() : pdf::DisplayList(), std::move(boxes)};
}

std::vector<MarkedPage> markedPages(const pdf::Document& pdf) {
    std::vector<MarkedPage> pages;
    for (int i = 0; i < pdf.pageCount(); ++i) {
        if (auto page = markedPage(pdf, i))
            pages.push_back(std::move(*page));
    }
    return pages;
}

std::optional<pdf::PreparedPicture> flatten(const MarkedPage& page) {
    if (page.list.isNull())
        return std::nullopt;
    const pdf::PageGeometry& geometry = page.list.geometry();
    const double s = document::PDFPageRasterizer::cappedScale(geometry.displaySize(), scale);
    QImage picture = page.list.render(s);
    if (picture.isNull())
        return std::nullopt;
    {
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setTransform(geometry.pageToImage(s));
        for (const QRectF& box : page.boxes)
            painter.fillRect(box, Qt::black);
    }
    // Turned back the way page space runs: the new page keeps the old one's rotation.
    return pdf::preparePicture(picture.transformed(QTransform().rotate(-geometry.rotation)),
                               geometry.cropBox);
}

std::optional<document::PageOperations::PageReplacement> swapIn(pdf::Document& pdf, const MarkedPage& page,
                                                                const pdf::PreparedPicture& picture) {
    const int index = pdf.indexOf(page.page);
    if (index < 0)
        return std::nullopt;
    auto replaced = document::PageOperations::replaceWithPicture(pdf, index, picture);
    if (!replaced)
        return std::nullopt;
    return replaced.value();
}

RedactionOutcome apply(document::PDFEditorDocument& document, platform::UndoManager* undoManager) {
    pdf::Document& pdf = *document.pdfDocument();
    RedactionOutcome outcome;
    std::vector<document::PageOperations::PageReplacement> replacements;
    for (const MarkedPage& page : markedPages(pdf)) {
        const std::optional<pdf::PreparedPicture> picture = flatten(page);
        auto replaced = picture ? swapIn(pdf, page, *picture) : std::nullopt;
        if (replaced)
            replacements.push_back(std::move(*replaced));
        else
            ++outcome.pagesFailed;
    }
    outcome.pagesRedacted = int(replacements.size());
    if (!replacements.empty())
        document::PageOperations::pagesReplaced(document, std::move(replacements), undoManager);
    return outcome;
}

} // namespace zepla::pdfview::RedactionApplier
