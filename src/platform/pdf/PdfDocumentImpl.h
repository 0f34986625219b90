// What the files of the PDF layer share about a document: its MuPDF handle and its lock.
#pragma once

#include "PdfContext.h"
#include "PdfDocument.h"

#include <mutex>

namespace zepla::pdf {

struct Document::Impl {
    pdf_document* doc = nullptr;
    mutable std::recursive_mutex mutex;
    quint64 serial = 0;
    quint64 revision = 0;
    bool pagesRemoved = false; // some page left the page tree; saving must then look for references to it
    int authLevel = 0; // what pdf_authenticate_password answered: 1 none needed, 2 user, 4 owner

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

// Page space (y up) from MuPDF's device space at scale 1 for the page object.
fz_matrix deviceToPageSpace(fz_context* ctx, pdf_obj* pageObject);
QRectF toQRect(const fz_rect& r);

Error lockedError();
bool isEncryptedFile(fz_context* ctx, pdf_document* doc);
Error pageRangeError(int index);

} // namespace zepla::pdf
