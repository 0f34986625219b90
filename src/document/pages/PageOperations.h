// Page edits of a document: undoable move, delete and merge-into of the open document, and extraction and
// concatenation into new documents.
#pragma once

#include "document/PDFEditorDocument.h"
#include "pdf/PdfImagePage.h"

#include <memory>
#include <set>
#include <vector>

namespace zepla::platform {
class UndoManager;
}

namespace zepla::document {

// Zero-based page indices, kept in ascending order.
using IndexSet = std::set<int>;

// A document built from copies of other pages. `failedPages` counts the pages that existed but could not be
// copied, so a caller never passes a partial copy off as complete.
struct DerivedDocument {
    std::shared_ptr<pdf::Document> document;
    int failedPages = 0;
};

// Every in-place edit changes the window's PDF directly, announces the change once, empties the thumbnail
// cache and, given an undo manager, registers its inverse with the document as target; the inverse does the
// same and registers the edit again as the redo. Main thread only.
namespace PageOperations {

// Moves one page so that it ends at `to`, clamped into the page range. Does nothing when `from` names no
// page or equals `to`.
void movePage(PDFEditorDocument& document, int from, int to, platform::UndoManager* undoManager);

// Deletes the pages at `indices`; indices that name no page are skipped. Undo puts the very same page
// objects back, annotations and form fields included.
void deletePages(PDFEditorDocument& document, const IndexSet& indices, platform::UndoManager* undoManager);

// Inserts copies of every page of `source` at `index`, clamped into the page range. Undo removes exactly the
// pages inserted; redo puts those same copies back. Returns the number of source pages that could not be
// copied.
int merge(PDFEditorDocument& document, pdf::Document& source, int index, platform::UndoManager* undoManager);

// A page put in place of the one at `index`, which is kept so that undo can put it back.
struct PageReplacement {
    int index;
    pdf::PageHandle original;
    pdf::PageHandle replacement;
    // Form fields whose widgets sit on each page: in the form's field list only while their page is in the
    // document, so their values leave saved files with the page.
    std::vector<pdf::AnnotationHandle> originalFields;
    std::vector<pdf::AnnotationHandle> replacementFields;
};

// Puts a page that shows only the picture (prepared on any thread) in place of page `index`, with the old
// page's boxes and rotation; the old page's form fields leave the field list with it. Returns the entry for
// `pagesReplaced`.
pdf::Result<PageReplacement> replaceWithPicture(pdf::Document& pdf, int index,
                                                const pdf::PreparedPicture& picture);
// Puts a copy of page `index` that shares its contents and pictures in its place (`pdf::replaceWithCopy`),
// so that what is added to the copy can be undone by putting the original back.
pdf::Result<PageReplacement> replaceWithCopy(pdf::Document& pdf, int index);

// Announces pages replaced in the document without registering anything: for work that swaps pages in one
// at a time and registers them all with `pagesReplaced` at its end.
void announceReplacedPage(PDFEditorDocument& document);

// Announces pages already replaced in the document (redaction, the OCR text layer) as one edit, and
// registers putting the originals back, which registers the replacements again as the redo. Undo and redo
// find each page wherever it stands by then, and skip one that has left the document.
void pagesReplaced(PDFEditorDocument& document, std::vector<PageReplacement> replacements,
                   platform::UndoManager* undoManager);

// A new document holding copies of the pages at `indices`, in ascending order; indices that name no page
// are skipped. The source is not changed.
DerivedDocument extractPages(const IndexSet& indices, pdf::Document& source);

// A new document holding copies of every page of the given documents, in order. It carries no password,
// document information or outline of the sources.
DerivedDocument mergeFiles(const std::vector<std::shared_ptr<pdf::Document>>& documents);

} // namespace PageOperations

} // namespace zepla::document
