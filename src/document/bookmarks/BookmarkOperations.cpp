#include "document/bookmarks/BookmarkOperations.h"

#include "document/DocumentUndo.h"
#include "pdf/PdfCatalog.h"

#include <algorithm>

namespace zepla::document::BookmarkOperations {

namespace {

void collect(const std::vector<pdf::OutlineItem>& items, int pageCount, std::vector<Bookmark>& into) {
    for (const pdf::OutlineItem& item : items) {
        if (!item.title.isEmpty() && item.pageIndex >= 0 && item.pageIndex < pageCount)
            into.push_back({QUuid::createUuid(), item.title, item.pageIndex});
        collect(item.children, pageCount, into);
    }
}

void restoreOutline(PDFEditorDocument& document, int outlineObject, const std::vector<Bookmark>& bookmarks,
                    platform::UndoManager* undoManager) {
    pdf::setCatalogObject(*document.pdfDocument(), "Outlines", outlineObject);
    document.announceChange();
    registerInverse(document, undoManager, [bookmarks, undoManager](PDFEditorDocument& target) {
        writeBookmarks(bookmarks, target, undoManager);
    });
}

} // namespace

std::vector<Bookmark> read(const pdf::Document& document) {
    std::vector<Bookmark> bookmarks;
    collect(document.outline(), document.pageCount(), bookmarks);
    return bookmarks;
}

void writeBookmarks(const std::vector<Bookmark>& bookmarks, PDFEditorDocument& document,
                    platform::UndoManager* undoManager) {
    pdf::Document& file = *document.pdfDocument();
    const int previousOutline = pdf::catalogObject(file, "Outlines");
    std::vector<Bookmark> sorted = bookmarks;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const Bookmark& a, const Bookmark& b) { return a.pageIndex < b.pageIndex; });
    std::vector<pdf::OutlineItem> items;
    for (const Bookmark& bookmark : sorted)
        if (bookmark.pageIndex >= 0 && bookmark.pageIndex < file.pageCount())
            items.push_back(pdf::OutlineItem{bookmark.title, bookmark.pageIndex, {}, false, {}});
    if (!file.setOutline(items))
        return;
    document.announceChange();
    registerInverse(document, undoManager,
                    [previousOutline, bookmarks, undoManager](PDFEditorDocument& target) {
                        restoreOutline(target, previousOutline, bookmarks, undoManager);
                    });
}

} // namespace zepla::document::BookmarkOperations
