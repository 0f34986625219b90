// What the files of the PDF layer share about a document: its MuPDF handle and its lock.
#pragma once

#include "MappedFile.h"
#include "PdfContext.h"
#include "PdfDocument.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <unordered_set>
#include <vector>

namespace zepla::pdf {

// A page object of the file that cannot be parsed. In the document it stands as a blank page under its own
// number; saving writes the file's bytes of it back in its place (PdfCarriedPages.cpp).
struct UnreadablePage {
    int generation = 0;
    std::int64_t offset = -1; // of its "N G obj" in the file; -1 when it is kept inside an object stream
};
using UnreadablePages = std::map<int, UnreadablePage>; // by object number

struct Document::Impl {
    pdf_document* doc = nullptr;
    mutable std::recursive_mutex mutex;
    quint64 serial = 0;
    quint64 revision = 0;
    // Pages that left the page tree (kept for undo): saving must leave out them, their annotations and every
    // reference to either.
    std::unordered_set<int> removedPages;
    int authLevel = 0;   // what pdf_authenticate_password answered: 1 none needed, 2 user, 4 owner
    QByteArray password; // the one that unlocked the document: saved copies are opened with it to check them
    // The file MuPDF reads from (shared, never copied): a damaged encrypted one is rebuilt from it once
    // unlocked, and saving packs objects into object streams when it came with them.
    QByteArray fileBytes;
    // The file's mapping, when `fileBytes` are a view of it.
    std::shared_ptr<const MappedFile> mapping;
    // The file's pages that could not be read, once every page object has been read.
    UnreadablePages unreadablePages;
    bool pagesRead = false;
    // The file is encrypted but its protection cannot be restored: it must never be saved over.
    bool protectionDamaged = false;
    // The file had to be repaired and the content of some page does not decode (the ciphertext of an
    // encryption whose dictionary was lost with the trailer, say): it must never be saved over.
    bool contentDamaged = false;
    // The lengths of the file's streams have been checked against where their data ends.
    bool streamLengthsMended = false;

    ~Impl();
    bool locked() const { return authLevel == 0; }
};

// Holds the document's lock and the calling thread's context for the length of one call.
class Access {
public:
    explicit Access(const Document& d) : m_impl(d.impl()), m_guard(m_impl.mutex), ctx(threadContext()) {}
    pdf_document* doc() const { return m_impl.doc; }
    Document::Impl& impl() const { return m_impl; }

private:
    Document::Impl& m_impl;
    std::lock_guard<std::recursive_mutex> m_guard;

public:
    fz_context* const ctx;
};

// Whether page `index` can be used: the document is unlocked and the index is in range.
Status checkPage(const Access& access, int index);

// A page loaded for the length of one call, after `checkPage`. Loaded pages are dropped at the end of every
// call, so the next load sees the page's current annotations.
class LoadedPage {
public:
    LoadedPage(const Access& access, int index, Status* status);
    ~LoadedPage();
    LoadedPage(const LoadedPage&) = delete;
    LoadedPage& operator=(const LoadedPage&) = delete;
    pdf_page* get() const { return m_page; }
    fz_page* fz() const { return reinterpret_cast<fz_page*>(m_page); }

private:
    fz_context* m_ctx;
    pdf_page* m_page = nullptr;
};

// MuPDF finds page N by walking the tree's kids up to it; a loop over every page holds the page map for its
// length, so that each lookup is direct. Pages are looked up with `lookupPage` and loaded with `LoadedPage`
// while it is held: MuPDF's own lookups take a reference to the page's dictionary under the map that nothing
// gives back, and the dictionaries, with all they hold, would outlive their document.
class PageMap {
public:
    PageMap(fz_context* ctx, pdf_document* doc) : m_ctx(ctx), m_doc(doc) {
        m_loaded = guarded(ctx, [&] { pdf_load_page_tree(ctx, doc); }).ok();
    }
    ~PageMap() {
        if (m_loaded)
            pdf_drop_page_tree(m_ctx, m_doc);
    }
    PageMap(const PageMap&) = delete;
    PageMap& operator=(const PageMap&) = delete;

private:
    fz_context* m_ctx;
    pdf_document* m_doc;
    bool m_loaded = false;
};

// The object of page `index`, owned by the document as MuPDF's lookups give it: a reference to the page, or,
// with the page map loaded, the page's dictionary itself. Throws as MuPDF does; call inside a guarded block.
pdf_obj* lookupPage(fz_context* ctx, pdf_document* doc, int index);

// The page's own copy of its resources' dictionary of one kind (/Font, /XObject), made anew with a copy of
// the resources around it, and returned for adding to: pages sharing those resources with it (one indirect
// dictionary, or one inherited from the page tree), and its content kept for undo, never see the additions.
// Throws as MuPDF does; call inside a guarded block.
pdf_obj* ownResourceDict(fz_context* ctx, pdf_document* doc, pdf_obj* pageObject, pdf_obj* kind);
// A new stream object of the bytes, unfiltered; a new reference. Throws as MuPDF does.
pdf_obj* addStream(fz_context* ctx, pdf_document* doc, const QByteArray& bytes);
// Writes into `name` (of `size` bytes) the first of `prefix` followed by 0, 1, ... that `dict` does not hold
// yet. Plain C, for use inside a guarded block.
void freeName(fz_context* ctx, pdf_obj* dict, const char* prefix, char* name, int size);

// Adds `content` to be drawn after what page `pageObject` draws, in a content list made anew (a list shared
// with other pages stays as it was). The page's own drawing is put between q and Q the first time, so that a
// transformation or colour it leaves set does not move or colour what is added. Throws as MuPDF does; call
// inside a guarded block.
void appendPageContent(fz_context* ctx, pdf_document* doc, pdf_obj* pageObject, const QByteArray& content);

// The object number of a page object as MuPDF's lookups give it: the reference to the page, or, with the page
// map loaded, the page's dictionary itself, which knows which object it is.
int pageObjectNumber(fz_context* ctx, pdf_obj* page);

// Page space (y up) from MuPDF's device space at scale 1 for the page object; identity when the page's boxes
// cannot be read.
fz_matrix deviceToPageSpace(fz_context* ctx, pdf_obj* pageObject);
// A pixmap over the caller's pixels, filled with opaque white, to draw a page into (PdfRender.cpp). Throws as
// MuPDF does; call inside a guarded block.
fz_pixmap* whitePixmapOver(fz_context* ctx, const Pixels& pixels);
QRectF toQRect(const fz_rect& r);
// A page's geometry from what pdf_page_obj_transform says of it (`shown`, `ctm`) and its media box.
PageGeometry pageGeometry(const fz_rect& shown, const fz_rect& media, const fz_matrix& ctm);

Error lockedError();
bool isEncryptedFile(fz_context* ctx, pdf_document* doc);
Error pageRangeError(int index);
// The index of the first page whose content streams do not decode (ciphertext that was never decrypted,
// data a filter rejects); a page whose object cannot be read has no content to ask about.
std::optional<int> firstUndecodablePage(fz_context* ctx, pdf_document* doc);

// Rebuilds a page tree that is not sound (false counts, bad, repeated or looping kids, absurd depth) as one
// node over the pages that really exist, so that page counts and lookups can be trusted (PdfPageTree.cpp).
// Pages are counted as other readers count them: a kid whose object the cross-reference lost is read from
// `file` (the bytes the document was read from); pages that the tree no longer reaches but that name a node
// of it as theirs are put back where it lost them; a page object that cannot be read as a page keeps its
// place as a blank page under its own number, and goes into `unreadable` with where the file holds it.
// `CountsAndKids` reads the nodes of the tree and not the pages (a node that claims as many pages as it has
// kids, each a distinct object of the file, is taken at its word), at the pace of opening the file; `Full`
// reads every page object as well (its parent, whether it parses). `rebuilt` tells whether the tree changed.
enum class TreeCheck { CountsAndKids, Full };
Status repairPageTree(fz_context* ctx, pdf_document* doc, const QByteArray& file, TreeCheck check,
                      UnreadablePages* unreadable, bool* rebuilt = nullptr);
// The full check of the page tree, once per document until `pagesRead` is cleared (PdfDocument.cpp).
Status readEveryPage(const Access& a);

// Sets the /Length of each stream of the file whose data does not end where its /Length says (a length that
// is no number, or one a few bytes long or short) to where its "endstream" stands in `file`, the bytes the
// document was read from, so that writing the document takes the data other readers show
// (PdfStreamLengths.cpp).
void mendStreamLengths(fz_context* ctx, pdf_document* doc, const QByteArray& file);

// What page `index` yields when its content is drawn, annotations left out (PdfPageYield.cpp): its
// characters, counted and summed up by their Unicode values, and its drawing operations. Nothing when the
// page does not load.
struct PageYield {
    std::size_t characters = 0;
    unsigned long textChecksum = 0;
    std::size_t drawings = 0;
    bool operator==(const PageYield&) const = default;
};
std::optional<PageYield> pageYield(const Access& a, int index);

// The same file rewritten by qpdf with its encryption kept, its structure rebuilt where it was damaged, and
// its objects packed into object streams or left as they were; `password` opens it (PdfObjectStreams.cpp).
enum class QpdfObjectStreams { Generate, Preserve };
Result<QByteArray> rewriteWithQpdf(const QByteArray& bytes, const QByteArray& password,
                                   QpdfObjectStreams objectStreams);

// The bytes of an unencrypted file just written by MuPDF with its objects packed into compressed object
// streams and its cross-reference table made a compressed stream; streams, objects of a later generation and
// the objects numbered in `keepPlain` stay on their own. Object numbers stay as they were. Empty when the
// bytes are not laid out as MuPDF writes a whole file (PdfObjectStreamPacking.cpp).
QByteArray packIntoObjectStreams(const QByteArray& written, const std::unordered_set<int>& keepPlain);

// The encryption of an open file as far as a saved copy must keep it; `encrypted` false for a plain file.
struct Protection {
    bool encrypted = false;
    int version = 0;
    int revision = 0;
    int length = 0;
    QByteArray method;
    bool operator==(const Protection&) const = default;
};
Protection protectionOf(fz_context* ctx, pdf_document* doc);

// The bytes of a file whose standard security handler dictionary MuPDF's repair lost (the trailer naming it
// is cut off or damaged), with a trailer that names it again, and the file /ID found among the objects
// (PdfProtection.cpp).
struct LostProtection {
    QByteArray restored; // empty when the file /ID that the handler needs is lost too
};
std::optional<LostProtection> findLostProtection(const QByteArray& bytes);
// The bytes with the last "startxref" pointing at the last cross-reference section (a table or a stream),
// when it pointed elsewhere; empty when there is nothing to mend.
QByteArray withStartxrefFound(const QByteArray& bytes);

} // namespace zepla::pdf
