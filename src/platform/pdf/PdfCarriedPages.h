// Pages of the file that MuPDF cannot parse, written back by a save as the file holds them. The document
// shows such a page blank under the page's own number (PdfPageTree.cpp) and MuPDF writes that blank page; a
// section appended to the written file then puts the file's bytes of the page back under the same number,
// with the unparseable objects it refers to. The objects it refers to that do parse are kept in the written
// file by MuPDF itself, under their own numbers, since a save does not renumber. Same numbers, same
// encryption: an encrypted page's bytes stay readable under the key they were encrypted with.
#pragma once

#include "PdfDocumentImpl.h"

#include <vector>

namespace zepla::pdf {

class CarriedPages {
public:
    // The unreadable pages in the page tree that a save with `options` writes back: those the user has
    // neither drawn nor annotated on, whose bytes the file holds outside object streams, when the copy keeps
    // the document's encryption (a copy with another encryption, or none, gets the blank page).
    static CarriedPages plan(const Access& a, const SaveOptions& options);

    bool empty() const { return m_pages.empty(); }
    bool carries(int pageIndex) const;

    // For the length of MuPDF's write, the blank pages refer to the objects their file's bytes need, so that
    // the write keeps them.
    void holdReferences(const Access& a) const;
    void releaseReferences(const Access& a) const;

    // Appends the pages' bytes to `written` (as MuPDF wrote it). When that cannot be done (the file does not
    // end in a cross-reference table), `written` stays as it is and nothing is carried any more.
    void appendTo(QByteArray& written);

    // Whether page `pageIndex` of `copy` (opened from `bytes`) is the file's page as it was carried, with the
    // unparseable objects it refers to.
    bool isCarriedIn(const QByteArray& bytes, const Access& copy, int pageIndex) const;

private:
    struct Object {
        int number = 0;
        int generation = 0;
        QByteArray body; // between "obj" and "endobj"
    };
    struct Page {
        int index = 0;
        Object object;
        std::vector<int> kept; // the objects its bytes refer to that MuPDF can read
        // Those it refers to that MuPDF cannot parse, found first for it: in `m_unparsed` from and to.
        std::size_t unparsedFrom = 0;
        std::size_t unparsedTo = 0;
    };
    std::vector<Page> m_pages;      // in page order
    std::vector<Object> m_unparsed; // what the pages refer to that MuPDF cannot parse either
};

} // namespace zepla::pdf
