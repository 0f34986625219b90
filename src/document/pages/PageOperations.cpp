#include "document/pages/PageOperations.h"

#include "document/DocumentUndo.h"
#include "document/ThumbnailCache.h"
#include "pdf/PdfTextLayer.h"

#include <algorithm>
#include <functional>
#include <numeric>
#include <utility>

namespace zepla::document::PageOperations {

namespace {

struct RemovedPage {
    int index;
    pdf::PageHandle page;
};

void finishEdit(PDFEditorDocument& document) {
    document.announceChange();
    ThumbnailCache::removeAllObjects();
}

void restorePages(PDFEditorDocument& document, std::vector<RemovedPage> removed, const IndexSet& indices,
                  platform::UndoManager* undoManager) {
    pdf::Document& pdf = *document.pdfDocument();
    std::sort(removed.begin(), removed.end(),
              [](const RemovedPage& a, const RemovedPage& b) { return a.index < b.index; });
    // Lowest first: every lower index is filled again by the time a page goes back, so each lands where it
    // was.
    for (const RemovedPage& r : removed)
        pdf.insertPage(r.page, std::min(r.index, pdf.pageCount()));
    finishEdit(document);
    registerInverse(document, undoManager,
                    [indices, undoManager](PDFEditorDocument& d) { deletePages(d, indices, undoManager); });
}

std::vector<int> allPages(const pdf::Document& document) {
    std::vector<int> indices(std::size_t(std::max(0, document.pageCount())));
    std::iota(indices.begin(), indices.end(), 0);
    return indices;
}

// Copies the pages at `indices` to the end of `target`; returns how many of them could not be copied.
int appendCopies(pdf::Document& target, pdf::Document& source, const std::vector<int>& indices) {
    int failures = 0;
    if (!indices.empty())
        target.copyPages(source, indices, target.pageCount(), &failures);
    return failures;
}

} // namespace

void movePage(PDFEditorDocument& document, int from, int to, platform::UndoManager* undoManager) {
    pdf::Document& pdf = *document.pdfDocument();
    const int count = pdf.pageCount();
    if (from == to || from < 0 || from >= count)
        return;
    // The index the page has after the move: past the end means last.
    const int target = std::clamp(to, 0, count - 1);
    if (!pdf.movePage(from, target))
        return;
    finishEdit(document);
    registerInverse(document, undoManager, [target, from, undoManager](PDFEditorDocument& d) {
        movePage(d, target, from, undoManager);
    });
}

void deletePages(PDFEditorDocument& document, const IndexSet& indices, platform::UndoManager* undoManager) {
    pdf::Document& pdf = *document.pdfDocument();
    std::vector<RemovedPage> removed;
    // Highest first, so every lower index still names the page it named before.
    for (auto index = indices.rbegin(); index != indices.rend(); ++index) {
        auto page = pdf.removePage(*index);
        if (page)
            removed.push_back({*index, page.value()});
    }
    if (removed.empty())
        return;
    finishEdit(document);
    registerInverse(document, undoManager, [removed, indices, undoManager](PDFEditorDocument& d) {
        restorePages(d, removed, indices, undoManager);
    });
}

int merge(PDFEditorDocument& document, pdf::Document& source, int index, platform::UndoManager* undoManager) {
    pdf::Document& pdf = *document.pdfDocument();
    const std::vector<int> sourcePages = allPages(source);
    if (sourcePages.empty())
        return 0;
    int failures = 0;
    const std::vector<pdf::PageHandle> inserted =
        pdf.copyPages(source, sourcePages, std::clamp(index, 0, pdf.pageCount()), &failures);
    if (inserted.empty())
        return failures;
    finishEdit(document);
    // Undo takes out the pages this merge put in, wherever they stand, and no other page.
    registerInverse(document, undoManager, [inserted, undoManager](PDFEditorDocument& d) {
        IndexSet indices;
        for (const pdf::PageHandle& page : inserted)
            indices.insert(d.pdfDocument()->indexOf(page));
        indices.erase(-1);
        deletePages(d, indices, undoManager);
    });
    return failures;
}

namespace {

// Replaces page `index` with what `swap` puts there, the old page's form fields leaving the field list.
pdf::Result<PageReplacement> replacePage(pdf::Document& pdf, int index,
                                         const std::function<pdf::Result<pdf::PageHandle>()>& swap) {
    std::vector<pdf::AnnotationHandle> fields;
    if (auto list = pdf.annotations(index)) {
        for (const pdf::AnnotationInfo& annotation : list.value()) {
            if (annotation.subtype == QLatin1String("Widget"))
                fields.push_back(annotation.handle);
        }
    }
    auto original = swap();
    if (!original)
        return original.error();
    for (const pdf::AnnotationHandle& field : fields)
        pdf.setFieldListed(field, false);
    return PageReplacement{index, original.value(), pdf.page(index), fields, {}};
}

} // namespace

pdf::Result<PageReplacement> replaceWithPicture(pdf::Document& pdf, int index,
                                                const pdf::PreparedPicture& picture) {
    return replacePage(pdf, index, [&] { return pdf::replaceWithImagePage(pdf, index, picture); });
}

pdf::Result<PageReplacement> replaceWithCopy(pdf::Document& pdf, int index) {
    return replacePage(pdf, index, [&] { return pdf::replaceWithCopy(pdf, index); });
}

void announceReplacedPage(PDFEditorDocument& document) {
    document.announceChangeSoon();
    ThumbnailCache::removeAllObjects();
}

void pagesReplaced(PDFEditorDocument& document, std::vector<PageReplacement> replacements,
                   platform::UndoManager* undoManager) {
    finishEdit(document);
    registerInverse(document, undoManager, [replacements, undoManager](PDFEditorDocument& d) {
        pdf::Document& pdf = *d.pdfDocument();
        std::vector<PageReplacement> inverse;
        for (const PageReplacement& r : replacements) {
            // The page may have moved since (pages swapped in while other edits went on).
            const int index = pdf.indexOf(r.replacement);
            if (index < 0 || !pdf.removePage(index))
                continue;
            pdf.insertPage(r.original, index);
            for (const pdf::AnnotationHandle& field : r.originalFields)
                pdf.setFieldListed(field, true);
            for (const pdf::AnnotationHandle& field : r.replacementFields)
                pdf.setFieldListed(field, false);
            inverse.push_back({index, r.replacement, r.original, r.replacementFields, r.originalFields});
        }
        pagesReplaced(d, std::move(inverse), undoManager);
    });
}

DerivedDocument extractPages(const IndexSet& indices, pdf::Document& source) {
    DerivedDocument result{pdf::Document::createEmpty()};
    const int count = source.pageCount();
    std::vector<int> pages;
    for (int index : indices) {
        if (index >= 0 && index < count)
            pages.push_back(index);
    }
    result.failedPages = appendCopies(*result.document, source, pages);
    return result;
}

DerivedDocument mergeFiles(const std::vector<std::shared_ptr<pdf::Document>>& documents) {
    DerivedDocument result{pdf::Document::createEmpty()};
    for (const auto& source : documents)
        result.failedPages += appendCopies(*result.document, *source, allPages(*source));
    return result;
}

} // namespace zepla::document::PageOperations
