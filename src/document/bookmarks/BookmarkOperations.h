// A document's bookmarks as one flat list of named page links: read from whatever outline tree the file
// holds, written back as a single level sorted by page, undoably.
#pragma once

#include "document/PDFEditorDocument.h"

#include <QString>
#include <QUuid>

#include <vector>

namespace zepla::platform {
class UndoManager;
}

namespace zepla::document {

namespace BookmarkOperations {

struct Bookmark {
    QUuid id; // identity in the sheet's list only; never stored in the file
    QString title;
    int pageIndex = 0;
};

// The outline read depth-first, parents before their children. Entries without a title or without a page
// of this document are left out; their children are still read.
std::vector<Bookmark> read(const pdf::Document& document);

// Replaces the outline by one level of entries sorted by page (stable: bookmarks of one page keep their
// order), each pointing at the top of its page; bookmarks of pages the document does not have are left
// out. Announces the change. Undo puts back the very outline object that was there before, nesting and all.
void writeBookmarks(const std::vector<Bookmark>& bookmarks, PDFEditorDocument& document,
                    platform::UndoManager* undoManager);

} // namespace BookmarkOperations

} // namespace zepla::document
