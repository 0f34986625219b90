#include "PdfDocumentImpl.h"
#include "PdfRawObject.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <utility>
#include <vector>

namespace zepla::pdf {

namespace {

quint64 nextSerial() {
    static std::atomic<quint64> counter{0};
    return ++counter;
}

// One file opened by MuPDF; `status` tells whether it is usable. MuPDF reads `bytes` where they are, so they
// live as long as the document.
struct Opened {
    QByteArray bytes;
    pdf_document* doc = nullptr;
    bool needsPassword = false;
    Status status;
    UnreadablePages unreadablePages;
};

// MuPDF repairs a file the first time it meets an object that is not where the cross-reference places it,
// rebuilding the document from the file's bytes: whatever was edited before then would be lost with the
// document it rebuilt. So each object's place is checked as the file is opened, and a file with one astray is
// repaired at once, before anything can be edited.
void repairNowWhereObjectsStray(fz_context* ctx, pdf_document* doc, const QByteArray& bytes) {
    int objects = 0;
    if (!guarded(ctx, [&] { objects = pdf_was_repaired(ctx, doc) ? 0 : pdf_xref_len(ctx, doc); }))
        return;
    for (int number = 1; number < objects; ++number) {
        bool placed = false;
        std::int64_t offset = 0;
        int generation = 0;
        guarded(ctx, [&] {
            const pdf_xref_entry* entry = pdf_get_xref_entry_no_null(ctx, doc, number);
            placed = entry->type == 'n' && !entry->obj && !entry->stm_buf;
            offset = entry->ofs;
            generation = entry->gen;
        });
        if (!placed || raw::startsObject(bytes, offset, number, generation))
            continue;
        // Loading it is what makes MuPDF repair the file.
        pdf_obj* object = nullptr;
        guarded(ctx, [&] { object = pdf_load_object(ctx, doc, number); });
        pdf_drop_obj(ctx, object);
        return;
    }
}

// Takes what the object streams of `doc` hold into its cross-reference, for one that names only the streams
// themselves: MuPDF finds a stream's data once the stream is read. An object stream that does not read leaves
// out what it holds, no more.
void readObjectStreamsOf(fz_context* ctx, pdf_document* doc) {
    int objects = 0;
    guarded(ctx, [&] { objects = pdf_xref_len(ctx, doc); });
    for (int number = 1; number < objects; ++number)
        guarded(ctx, [&] {
            if (pdf_get_xref_entry_no_null(ctx, doc, number)->type == 'n')
                pdf_drop_obj(ctx, pdf_load_object(ctx, doc, number));
        });
    guarded(ctx, [&] { pdf_repair_obj_stms(ctx, doc); });
}

// `mapping`, when the bytes are a view of a mapped file: what is read of it is given back as reading goes on.
// `readObjectStreams`: the objects that the file's object streams hold are taken into its cross-reference
// first, for one that names only the streams themselves.
Opened openBytes(fz_context* ctx, const QByteArray& bytes, const MappedFile* mapping = nullptr,
                 bool readObjectStreams = false) {
    Opened opened;
    opened.bytes = bytes;
    fz_stream* stream = nullptr;
    pdf_document* doc = nullptr;
    int needsPassword = 0;
    opened.status = guarded(
        ctx,
        [&] {
            stream = MappedFile::openStream(ctx, opened.bytes, mapping);
            doc = pdf_open_document_with_stream(ctx, stream);
            needsPassword = pdf_needs_password(ctx, doc);
        },
        Error::Kind::Damaged);
    fz_drop_stream(ctx, stream);
    opened.doc = doc;
    opened.needsPassword = needsPassword != 0;
    if (opened.status && readObjectStreams)
        readObjectStreamsOf(ctx, doc);
    if (opened.status)
        repairNowWhereObjectsStray(ctx, doc, opened.bytes);
    // Reading the page tree of an unlocked file makes MuPDF read (and if need be repair) its structure now,
    // so a hopeless file fails here rather than on first use.
    if (opened.status && !opened.needsPassword)
        opened.status =
            repairPageTree(ctx, doc, opened.bytes, TreeCheck::CountsAndKids, &opened.unreadablePages);
    return opened;
}

// Whether MuPDF may have lost the file's encryption: the file did not open, or it opened without encryption
// after a repair, or its trailer names an encryption that could not be used.
bool mayHaveLostProtection(fz_context* ctx, const Opened& opened) {
    if (!opened.status)
        return true;
    if (opened.doc->crypt)
        return false;
    bool named = false;
    guarded(ctx,
            [&] { named = pdf_dict_get(ctx, pdf_trailer(ctx, opened.doc), PDF_NAME(Encrypt)) != nullptr; });
    return named || pdf_was_repaired(ctx, opened.doc);
}

// Whether the content of some page does not decode. Only a repaired file is asked: what a sound file holds is
// what its author wrote.
bool hasUndecodableContent(fz_context* ctx, pdf_document* doc) {
    return pdf_was_repaired(ctx, doc) && firstUndecodablePage(ctx, doc).has_value();
}

// Why a repaired file that opened without a password shows no page at all, when what its pages were is lost
// for good: they sit in object streams that only the lost protection could decrypt. A file showing nothing
// must not open as an empty document that a save would write over it.
std::optional<QString> nothingRecovered(fz_context* ctx, const Opened& opened, bool protectionDamaged) {
    if (opened.needsPassword || !pdf_was_repaired(ctx, opened.doc))
        return std::nullopt;
    int pages = 0;
    guarded(ctx, [&] { pages = pdf_count_pages(ctx, opened.doc); });
    // The pages are counted first: the search of the whole file is for the rare file that shows none.
    if (pages > 0 || !opened.bytes.contains("/ObjStm"))
        return std::nullopt;
    if (protectionDamaged)
        return QStringLiteral("The protected document is damaged: the file identifier that its password "
                              "needs to decrypt it is lost with the end of the file, so none of its pages "
                              "can be read.");
    return QStringLiteral("The document is damaged and none of its pages can be read: they are packed in "
                          "object streams that do not decode, as in a protected document whose end, with "
                          "its password protection, is lost.");
}

// An encrypted file that MuPDF had to repair reads well enough, but MuPDF writes it back in a form its
// password no longer opens, and may miss objects kept in encrypted object streams. Once the password is
// known, qpdf rebuilds the file with its encryption, and the document is read from the sound copy instead.
// Pages were not reachable while the document was locked, so no page handle names an object of the replaced
// file.
void rebuildDamagedEncryptedFile(const Access& a) {
    const QByteArray read = a.impl().fileBytes;
    const QByteArray pointedRight = withStartxrefFound(read);
    if (pointedRight.isEmpty() && !pdf_was_repaired(a.ctx, a.doc()))
        return;
    // qpdf reads a file whose startxref merely points astray as it was written, object streams and all; a
    // file it has to recover loses what its object streams hold, and a trailer kept only in a damaged
    // cross-reference stream is not found at all, so it is given one.
    std::vector<QByteArray> candidates{pointedRight, read};
    if (const std::optional<LostProtection> named = findLostProtection(read))
        candidates.push_back(named->restored);
    int pages = 0;
    repairPageTree(a.ctx, a.doc(), read, TreeCheck::CountsAndKids, nullptr);
    guarded(a.ctx, [&] { pages = pdf_count_pages(a.ctx, a.doc()); });
    for (const QByteArray& candidate : candidates) {
        auto rebuilt = candidate.isEmpty()
                           ? Result<QByteArray>(Error{})
                           : rewriteWithQpdf(candidate, a.impl().password, QpdfObjectStreams::Preserve);
        Opened sound = rebuilt ? openBytes(a.ctx, rebuilt.value()) : Opened{};
        int level = 0, soundPages = -1;
        if (sound.status && sound.needsPassword)
            guarded(a.ctx, [&] {
                level = pdf_authenticate_password(a.ctx, sound.doc, a.impl().password.constData());
            });
        if (level && repairPageTree(a.ctx, sound.doc, sound.bytes, TreeCheck::CountsAndKids, nullptr))
            guarded(a.ctx, [&] { soundPages = pdf_count_pages(a.ctx, sound.doc); });
        if (!level || pdf_was_repaired(a.ctx, sound.doc) || soundPages < std::max(pages, 1)) {
            pdf_drop_document(a.ctx, sound.doc);
            continue;
        }
        pdf_drop_document(a.ctx, a.doc());
        a.impl().doc = sound.doc;
        a.impl().fileBytes = sound.bytes;
        a.impl().authLevel = level;
        return;
    }
}

} // namespace

Document::Impl::~Impl() {
    if (doc)
        pdf_drop_document(threadContext(), doc);
}

// --- shared helpers of the layer ---

Status checkPage(const Access& access, int index) {
    if (access.impl().locked())
        return lockedError();
    int count = 0;
    if (Status s = guarded(access.ctx, [&] { count = pdf_count_pages(access.ctx, access.doc()); }); !s)
        return s;
    if (index < 0 || index >= count)
        return pageRangeError(index);
    return {};
}

LoadedPage::LoadedPage(const Access& access, int index, Status* status) : m_ctx(access.ctx) {
    *status = checkPage(access, index);
    if (!*status)
        return;
    pdf_page* page = nullptr;
    *status = guarded(m_ctx, [&] {
        pdf_document* doc = access.doc();
        // Under the page map MuPDF takes a hold on the page's dictionary as it finds the page, besides the
        // page's own, and dropping the page gives back only the page's.
        pdf_obj* mapped = doc->fwd_page_map ? lookupPage(m_ctx, doc, index) : nullptr;
        const int held = mapped ? pdf_obj_refs(m_ctx, mapped) : 0;
        page = pdf_load_page(m_ctx, doc, index);
        if (mapped && page->obj == mapped && pdf_obj_refs(m_ctx, mapped) == held + 2)
            pdf_drop_obj(m_ctx, mapped);
    });
    m_page = page;
}

LoadedPage::~LoadedPage() {
    fz_drop_page(m_ctx, fz());
}

pdf_obj* ownResourceDict(fz_context* ctx, pdf_document* doc, pdf_obj* pageObject, pdf_obj* kind) {
    pdf_obj* inherited =
        pdf_resolve_indirect(ctx, pdf_dict_get_inheritable(ctx, pageObject, PDF_NAME(Resources)));
    pdf_obj* resources =
        pdf_is_dict(ctx, inherited) ? pdf_copy_dict(ctx, inherited) : pdf_new_dict(ctx, doc, 1);
    pdf_dict_put_drop(ctx, pageObject, PDF_NAME(Resources), resources);
    pdf_obj* shared = pdf_resolve_indirect(ctx, pdf_dict_get(ctx, resources, kind));
    pdf_obj* own = pdf_is_dict(ctx, shared) ? pdf_copy_dict(ctx, shared) : pdf_new_dict(ctx, doc, 1);
    pdf_dict_put_drop(ctx, resources, kind, own);
    return own;
}

namespace {

// Whether `contents` starts with the lone "q" that `appendPageContent` puts before a page's own drawing.
bool startsWithOwnSave(fz_context* ctx, pdf_obj* contents) {
    pdf_obj* first = pdf_is_array(ctx, contents) ? pdf_array_get(ctx, contents, 0) : contents;
    // Compressed on a save, the two bytes take a few more; anything longer is some other content.
    if (!pdf_is_stream(ctx, first) || pdf_dict_get_int(ctx, first, PDF_NAME(Length)) > 64)
        return false;
    fz_buffer* buffer = pdf_load_stream(ctx, first);
    unsigned char* data = nullptr;
    const size_t size = fz_buffer_storage(ctx, buffer, &data);
    const bool save = QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)).trimmed() == "q";
    fz_drop_buffer(ctx, buffer);
    return save;
}

} // namespace

pdf_obj* addStream(fz_context* ctx, pdf_document* doc, const QByteArray& bytes) {
    fz_buffer* buffer = fz_new_buffer_from_copied_data(
        ctx, reinterpret_cast<const unsigned char*>(bytes.constData()), size_t(bytes.size()));
    pdf_obj* stream = nullptr;
    fz_try(ctx) {
        stream = pdf_add_stream(ctx, doc, buffer, nullptr, 0);
    }
    fz_always(ctx) {
        fz_drop_buffer(ctx, buffer);
    }
    fz_catch(ctx) {
        fz_rethrow(ctx);
    }
    return stream;
}

void appendPageContent(fz_context* ctx, pdf_document* doc, pdf_obj* pageObject, const QByteArray& content) {
    pdf_obj* old = pdf_dict_get(ctx, pageObject, PDF_NAME(Contents));
    const bool wrap = old && !startsWithOwnSave(ctx, old);
    pdf_obj* list = pdf_new_array(ctx, doc, 4);
    fz_try(ctx) {
        if (wrap)
            pdf_array_push_drop(ctx, list, addStream(ctx, doc, "q\n"));
        if (pdf_is_array(ctx, old)) {
            for (int i = 0; i < pdf_array_len(ctx, old); ++i)
                pdf_array_push(ctx, list, pdf_array_get(ctx, old, i));
        } else if (old) {
            pdf_array_push(ctx, list, old);
        }
        pdf_array_push_drop(ctx, list, addStream(ctx, doc, wrap ? "Q\n" + content : content));
        pdf_dict_put(ctx, pageObject, PDF_NAME(Contents), list);
    }
    fz_always(ctx) {
        pdf_drop_obj(ctx, list);
    }
    fz_catch(ctx) {
        fz_rethrow(ctx);
    }
}

void freeName(fz_context* ctx, pdf_obj* dict, const char* prefix, char* name, int size) {
    int n = 0;
    do
        fz_snprintf(name, size_t(size), "%s%d", prefix, n++);
    while (pdf_dict_gets(ctx, dict, name));
}

pdf_obj* lookupPage(fz_context* ctx, pdf_document* doc, int index) {
    // Under the page map MuPDF hands out its lookup with a reference of the caller's own; the map's object
    // number gives the same dictionary, which the document's cross-reference holds once the reference taken
    // here is given back.
    if (doc->fwd_page_map && index >= 0 && index < doc->map_page_count && doc->fwd_page_map[index] > 0) {
        pdf_obj* page = pdf_load_object(ctx, doc, doc->fwd_page_map[index]);
        pdf_drop_obj(ctx, page);
        return page;
    }
    return pdf_lookup_page_obj(ctx, doc, index);
}

int pageObjectNumber(fz_context* ctx, pdf_obj* page) {
    return pdf_is_indirect(ctx, page) ? pdf_to_num(ctx, page) : pdf_obj_parent_num(ctx, page);
}

fz_matrix deviceToPageSpace(fz_context* ctx, pdf_obj* pageObject) {
    fz_rect mediabox;
    fz_matrix ctm = fz_identity;
    fz_try(ctx) {
        pdf_page_obj_transform(ctx, pageObject, &mediabox, &ctm);
    }
    fz_catch(ctx) {
        ctm = fz_identity;
    }
    return fz_invert_matrix(ctm);
}

PageGeometry pageGeometry(const fz_rect& shown, const fz_rect& media, const fz_matrix& ctm) {
    PageGeometry g;
    g.cropBox = toQRect(shown);
    g.mediaBox = fz_is_empty_rect(media) ? g.cropBox : toQRect(fz_union_rect(media, shown));
    // Page space has y upward and the device y downward: an unturned page maps x to x and y to -y.
    if (std::abs(ctm.a) >= std::abs(ctm.b))
        g.rotation = ctm.a >= 0 ? 0 : 180;
    else
        g.rotation = ctm.b >= 0 ? 90 : 270;
    g.userUnit = std::hypot(ctm.a, ctm.b);
    if (!(g.userUnit > 0))
        g.userUnit = 1;
    return g;
}

QRectF toQRect(const fz_rect& r) {
    return QRectF(QPointF(r.x0, r.y0), QPointF(r.x1, r.y1)).normalized();
}

Error lockedError() {
    return Error{Error::Kind::NeedsPassword,
                 QStringLiteral("The document is locked. Enter its password first.")};
}

bool isEncryptedFile(fz_context* ctx, pdf_document* doc) {
    bool encrypted = false;
    guarded(ctx, [&] { encrypted = pdf_dict_get(ctx, pdf_trailer(ctx, doc), PDF_NAME(Encrypt)) != nullptr; });
    return encrypted;
}

Error pageRangeError(int index) {
    return Error{Error::Kind::Failed, QStringLiteral("There is no page %1 in this document.").arg(index + 1)};
}

std::optional<int> firstUndecodablePage(fz_context* ctx, pdf_document* doc) {
    int pages = 0;
    guarded(ctx, [&] { pages = pdf_count_pages(ctx, doc); });
    const PageMap map(ctx, doc);
    for (int i = 0; i < pages; ++i) {
        pdf_obj* contents = nullptr;
        if (!guarded(ctx, [&] { contents = pdf_dict_get(ctx, lookupPage(ctx, doc, i), PDF_NAME(Contents)); }))
            continue;
        const int parts = pdf_is_array(ctx, contents) ? pdf_array_len(ctx, contents) : 1;
        for (int k = 0; k < parts; ++k) {
            pdf_obj* part = pdf_is_array(ctx, contents) ? pdf_array_get(ctx, contents, k) : contents;
            if (!pdf_is_stream(ctx, part))
                continue;
            // MuPDF's reads end quietly at data a filter rejects, marking the stream: read through, then ask.
            fz_stream* stream = nullptr;
            bool broken = false;
            const Status read = guarded(ctx, [&] {
                stream = pdf_open_stream(ctx, part);
                while (fz_skip(ctx, stream, 1 << 16) > 0) {
                }
                broken = stream->error != 0;
            });
            fz_drop_stream(ctx, stream);
            if (!read || broken)
                return i;
        }
    }
    return std::nullopt;
}

// --- creation and opening ---

Document::Document(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
Document::~Document() = default;

std::shared_ptr<Document> Document::adopt(std::unique_ptr<Impl> impl) {
    return std::shared_ptr<Document>(new Document(std::move(impl)));
}

std::shared_ptr<Document> Document::createEmpty() {
    fz_context* ctx = threadContext();
    auto impl = std::make_unique<Impl>();
    pdf_document* doc = nullptr;
    guarded(ctx, [&] { doc = pdf_create_document(ctx); });
    impl->doc = doc;
    impl->serial = nextSerial();
    impl->authLevel = 1;
    return adopt(std::move(impl));
}

namespace {

// qpdf holds the whole of a file it reads in memory, and its rewrite too: larger files are left to MuPDF.
constexpr qsizetype maxQpdfReading = 64 * 1024 * 1024;

// The pages MuPDF shows of an opened file: none of one that did not open or asks for a password first.
int shownPages(fz_context* ctx, const Opened& opened) {
    int pages = 0;
    if (opened.status && opened.doc && !opened.needsPassword)
        guarded(ctx, [&] { pages = pdf_count_pages(ctx, opened.doc); });
    return pages;
}

// Whether MuPDF shows no page of a file (or did not open it) that another reading may show more of. Files
// larger than qpdf reads are left to MuPDF.
bool showsNoPage(fz_context* ctx, const Opened& opened) {
    return opened.bytes.size() <= maxQpdfReading &&
           !(opened.status && (opened.needsPassword || shownPages(ctx, opened) > 0));
}

// `opened` becomes `other`, another reading of its file, when that shows pages.
void takeIfItShowsPages(fz_context* ctx, Opened& opened, Opened other) {
    if (shownPages(ctx, other) == 0) {
        pdf_drop_document(ctx, other.doc);
        return;
    }
    pdf_drop_document(ctx, opened.doc);
    opened = std::move(other);
}

// A damaged file that MuPDF does not open, or opens with no page at all, is read from qpdf's rewrite of it
// when that shows pages: qpdf finds the objects behind a broken cross-reference stream, and reads through
// dictionaries that MuPDF gives up on (the tree's root among them), as other readers do.
void readWhatQpdfReads(fz_context* ctx, Opened& opened) {
    if (!showsNoPage(ctx, opened))
        return;
    const auto rewritten = rewriteWithQpdf(opened.bytes, {}, QpdfObjectStreams::Preserve);
    takeIfItShowsPages(ctx, opened, rewritten ? openBytes(ctx, rewritten.value()) : Opened{});
}

// A file that shows no page, with neither its cross-reference nor the trailer that names its catalog (its end
// cut off, say), while its objects and object streams are there, is read through a cross-reference made from
// its objects' headers: MuPDF's repair misses the objects of object streams numbered above all others. A
// protected file is left as it is: its protection went with its trailer.
void readThroughRebuiltCrossReference(fz_context* ctx, Opened& opened) {
    if (!showsNoPage(ctx, opened) || opened.bytes.contains("/Encrypt"))
        return;
    const QByteArray rebuilt = raw::withRebuiltCrossReference(opened.bytes);
    takeIfItShowsPages(ctx, opened, rebuilt.isEmpty() ? Opened{} : openBytes(ctx, rebuilt, nullptr, true));
}

// Opens `bytes`; `mapping`, when they are a view of a mapped file, keeps them for as long as the document.
Result<std::shared_ptr<Document>> openShared(const QByteArray& bytes,
                                             std::shared_ptr<const MappedFile> mapping) {
    if (bytes.isEmpty())
        return Error{Error::Kind::Damaged, QStringLiteral("The file is empty.")};
    fz_context* ctx = threadContext();
    Opened opened = openBytes(ctx, bytes, mapping.get());
    // A cut tail can end inside an object that repair then refuses as a whole: the file without that
    // broken last object is what is left of it, when pages are left (or may be, in object streams).
    if (!opened.status) {
        const qsizetype lastObject = MappedFile::lastIndexOf(bytes, "endobj", mapping.get());
        // A view of the bytes up to there, not a copy: the file may be large.
        Opened whole =
            lastObject > 0
                ? openBytes(ctx, QByteArray::fromRawData(bytes.constData(), lastObject + 6), mapping.get())
                : Opened{};
        int pages = 0;
        if (whole.status && whole.doc)
            guarded(ctx, [&] { pages = pdf_count_pages(ctx, whole.doc); });
        if (whole.doc && (pages > 0 || whole.needsPassword ||
                          (whole.status && MappedFile::lastIndexOf(bytes, "/ObjStm", mapping.get()) >= 0))) {
            pdf_drop_document(ctx, opened.doc);
            opened = whole;
        } else {
            pdf_drop_document(ctx, whole.doc);
        }
    }
    bool protectionDamaged = false;
    // A lost security handler is looked for only in a file that names one anywhere.
    if (mayHaveLostProtection(ctx, opened) &&
        MappedFile::lastIndexOf(bytes, "/Standard", mapping.get()) >= 0) {
        if (const std::optional<LostProtection> lost = findLostProtection(bytes)) {
            Opened restored = lost->restored.isEmpty() ? Opened{} : openBytes(ctx, lost->restored);
            if (restored.status && restored.doc && restored.doc->crypt) {
                pdf_drop_document(ctx, opened.doc);
                opened = restored;
            } else {
                pdf_drop_document(ctx, restored.doc);
                protectionDamaged = true;
            }
        }
    }
    if (!protectionDamaged) {
        readWhatQpdfReads(ctx, opened);
        readThroughRebuiltCrossReference(ctx, opened);
    }
    if (!opened.status) {
        pdf_drop_document(ctx, opened.doc);
        return Error{Error::Kind::Damaged,
                     QStringLiteral("The file is not a PDF document or is too damaged to open (%1).")
                         .arg(opened.status.error().message)};
    }
    if (const std::optional<QString> why = nothingRecovered(ctx, opened, protectionDamaged)) {
        pdf_drop_document(ctx, opened.doc);
        return Error{Error::Kind::Undecryptable, *why};
    }
    auto impl = std::make_unique<Document::Impl>();
    impl->doc = opened.doc;
    impl->serial = nextSerial();
    impl->authLevel = opened.needsPassword ? 0 : 1;
    impl->protectionDamaged = protectionDamaged;
    // Asked of a damaged protected file too: whether an unprotected copy can hold anything readable.
    impl->contentDamaged = !opened.needsPassword && hasUndecodableContent(ctx, opened.doc);
    impl->unreadablePages = std::move(opened.unreadablePages);
    impl->fileBytes = opened.bytes;
    impl->mapping = std::move(mapping);
    return Document::adopt(std::move(impl));
}

} // namespace

Result<std::shared_ptr<Document>> Document::open(const QByteArray& bytes) {
    return openShared(bytes, nullptr);
}

Result<std::shared_ptr<Document>> Document::openFile(const QString& path) {
    auto mapped = MappedFile::open(path);
    if (!mapped)
        return mapped.error();
    auto opened = openShared(mapped.value()->bytes(), mapped.value());
    // What opening read of the file (all of it, when it had to be repaired) is the system's to reuse.
    mapped.value()->release();
    return opened;
}

QByteArray Document::originalBytes() const {
    Access a(*this);
    // A copy: a view of the file's mapping would not outlive this document.
    return QByteArray(a.impl().fileBytes.constData(), a.impl().fileBytes.size());
}

quint64 Document::serial() const {
    return m_impl->serial;
}

quint64 Document::revision() const {
    Access a(*this);
    return a.impl().revision;
}

// --- locking ---

bool Document::isEncrypted() const {
    Access a(*this);
    return isEncryptedFile(a.ctx, a.doc());
}

bool Document::isLocked() const {
    Access a(*this);
    return a.impl().locked();
}

bool Document::authenticate(const QString& password) {
    Access a(*this);
    if (!a.impl().locked())
        return true;
    const QByteArray utf8 = password.toUtf8();
    int level = 0;
    guarded(a.ctx, [&] { level = pdf_authenticate_password(a.ctx, a.doc(), utf8.constData()); });
    a.impl().authLevel = level;
    if (level == 0)
        return false;
    a.impl().password = utf8;
    // Repair read the file's object streams before any password was known, and they are encrypted: what
    // they hold is read now.
    if (pdf_was_repaired(a.ctx, a.doc()))
        guarded(a.ctx, [&] {
            pdf_repair_obj_stms(a.ctx, a.doc());
            pdf_repair_trailer(a.ctx, a.doc());
        });
    rebuildDamagedEncryptedFile(a);
    // The tree could not be read before: it is made trustworthy now, as it is for files without a password.
    repairPageTree(a.ctx, a.doc(), a.impl().fileBytes, TreeCheck::CountsAndKids, &a.impl().unreadablePages);
    return true;
}

// Opening reads the nodes of the page tree, not the pages: which pages cannot be read, and which ones only a
// reading of the file's objects finds, is known once every page object has been read, the first time anyone
// asks. A tree rebuilt then is an edit of what the document shows.
Status readEveryPage(const Access& a) {
    if (a.impl().pagesRead || a.impl().locked())
        return {};
    a.impl().pagesRead = true;
    bool rebuilt = false;
    const Status status = repairPageTree(a.ctx, a.doc(), a.impl().fileBytes, TreeCheck::Full,
                                         &a.impl().unreadablePages, &rebuilt);
    if (rebuilt)
        a.impl().revision++;
    return status;
}

namespace {

// Whether the full reading of every page object of `bytes`, in a document of its own, finds the pages other
// than their page tree's nodes say: some cannot be read, or some are found only among the file's objects.
bool pagesDifferFromTree(const QByteArray& bytes, const QByteArray& password) {
    fz_context* ctx = threadContext();
    Opened opened = openBytes(ctx, bytes);
    if (opened.status && opened.needsPassword) {
        int level = 0;
        guarded(ctx, [&] { level = pdf_authenticate_password(ctx, opened.doc, password.constData()); });
        opened.status = level ? Status{} : Status{lockedError()};
    }
    bool rebuilt = false;
    if (opened.status)
        repairPageTree(ctx, opened.doc, opened.bytes, TreeCheck::Full, &opened.unreadablePages, &rebuilt);
    pdf_drop_document(ctx, opened.doc);
    return rebuilt;
}

} // namespace

// The first call reads every page object, a while on a long file: it is meant for a worker. It holds the
// document only where the pages differ from what the tree's nodes said, to put them in place.
int Document::unreadablePageCount() const {
    QByteArray bytes, password;
    {
        Access a(*this);
        if (a.impl().pagesRead || a.impl().locked())
            return int(a.impl().unreadablePages.size());
        bytes = a.impl().fileBytes;
        password = a.impl().password;
    }
    // Every page object is read in a reading of the file of its own, without holding this document, so that
    // whoever shows it goes on meanwhile. Only a file whose pages differ from its tree has this document's
    // tree rebuilt, for the pages found and the blank ones to stand in their places.
    const bool differ = pagesDifferFromTree(bytes, password);
    Access a(*this);
    if (differ)
        readEveryPage(a);
    return int(a.impl().unreadablePages.size());
}

bool Document::isProtectionDamaged() const {
    Access a(*this);
    return a.impl().protectionDamaged;
}

bool Document::isContentDamaged() const {
    Access a(*this);
    return a.impl().contentDamaged;
}

bool Document::isOwnerUnlocked() const {
    Access a(*this);
    return (a.impl().authLevel & 4) != 0;
}

bool Document::hasPermission(Permission permission) const {
    Access a(*this);
    if (a.impl().locked())
        return false;
    // MuPDF answers from the permission bits alone; the owner password is meant to lift them all.
    if ((a.impl().authLevel & 4) || !isEncryptedFile(a.ctx, a.doc()))
        return true;
    fz_permission p = FZ_PERMISSION_PRINT;
    switch (permission) {
    case Permission::Print:
        p = FZ_PERMISSION_PRINT;
        break;
    case Permission::Copy:
        p = FZ_PERMISSION_COPY;
        break;
    case Permission::Modify:
        p = FZ_PERMISSION_EDIT;
        break;
    case Permission::Annotate:
        p = FZ_PERMISSION_ANNOTATE;
        break;
    }
    bool granted = false;
    guarded(a.ctx, [&] { granted = pdf_has_permission(a.ctx, a.doc(), p) != 0; });
    return granted;
}

// --- pages ---

int Document::pageCount() const {
    Access a(*this);
    if (a.impl().locked())
        return 0;
    int count = 0;
    guarded(a.ctx, [&] { count = pdf_count_pages(a.ctx, a.doc()); });
    return count;
}

PageHandle Document::page(int index) const {
    Access a(*this);
    if (a.impl().locked())
        return {};
    int number = 0;
    guarded(a.ctx, [&] {
        if (index >= 0 && index < pdf_count_pages(a.ctx, a.doc()))
            number = pageObjectNumber(a.ctx, lookupPage(a.ctx, a.doc(), index));
    });
    return PageHandle(number);
}

int Document::indexOf(const PageHandle& page) const {
    Access a(*this);
    if (page.isNull() || a.impl().locked())
        return -1;
    // The lookup climbs the page's /Parent entries: they are trusted once every page has been read.
    readEveryPage(a);
    int index = -1;
    guarded(a.ctx, [&] {
        pdf_obj* ref = pdf_new_indirect(a.ctx, a.doc(), page.objectNumber(), 0);
        fz_try(a.ctx) {
            index = pdf_lookup_page_number(a.ctx, a.doc(), ref);
        }
        fz_always(a.ctx) {
            pdf_drop_obj(a.ctx, ref);
        }
        fz_catch(a.ctx) {
            fz_rethrow(a.ctx);
        }
    });
    return index;
}

Result<PageGeometry> Document::geometry(int index) const {
    Access a(*this);
    if (Status s = checkPage(a, index); !s)
        return s.error();
    fz_rect media{}, crop{};
    fz_matrix ctm = fz_identity;
    const Status status = guarded(a.ctx, [&] {
        pdf_obj* obj = lookupPage(a.ctx, a.doc(), index);
        // The shown box, the rotation and the user unit exactly as the engine draws the page: it rounds a
        // rotation to the nearest quarter turn and scales by /UserUnit.
        pdf_page_obj_transform(a.ctx, obj, &crop, &ctm);
        media = pdf_to_rect(a.ctx, pdf_dict_get_inheritable(a.ctx, obj, PDF_NAME(MediaBox)));
    });
    if (!status)
        return status.error();
    return pageGeometry(crop, media, ctm);
}

std::vector<Result<PageGeometry>> Document::geometries(int first, int last) const {
    Access a(*this);
    std::vector<Result<PageGeometry>> all;
    if (last < first)
        return all;
    all.reserve(std::size_t(last - first + 1));
    // MuPDF finds page i by walking the i kids before it, for every page asked for; the page map walks every
    // page of the tree once, reading each page's dictionary. The first screen of a long document takes the
    // short walks, a run further in takes the map.
    const qint64 walks = qint64(last - first + 1) * (qint64(first) + last) / 2;
    std::optional<PageMap> map;
    if (!a.impl().locked() && walks > pageCount())
        map.emplace(a.ctx, a.doc());
    for (int i = first; i <= last; ++i)
        all.push_back(geometry(i));
    return all;
}

Result<PageHandle> Document::removePage(int index) {
    const PageHandle handle = page(index);
    if (handle.isNull())
        return isLocked() ? lockedError() : pageRangeError(index);
    Access a(*this);
    const Status status = guarded(a.ctx, [&] { pdf_delete_page(a.ctx, a.doc(), index); });
    if (!status)
        return status.error();
    a.impl().revision++;
    a.impl().removedPages.insert(handle.objectNumber());
    return handle;
}

Status Document::insertPage(const PageHandle& page, int index) {
    Access a(*this);
    if (a.impl().locked())
        return lockedError();
    if (page.isNull())
        return Error{Error::Kind::Failed, QStringLiteral("There is no page to insert.")};
    a.impl().pagesRead = false; // the tree is checked again, with this page in it, when next it matters
    const Status status = guarded(a.ctx, [&] {
        const int count = pdf_count_pages(a.ctx, a.doc());
        const int at = index < 0 ? 0 : (index > count ? count : index);
        pdf_obj* ref = pdf_new_indirect(a.ctx, a.doc(), page.objectNumber(), 0);
        fz_try(a.ctx) {
            pdf_insert_page(a.ctx, a.doc(), at, ref);
        }
        fz_always(a.ctx) {
            pdf_drop_obj(a.ctx, ref);
        }
        fz_catch(a.ctx) {
            fz_rethrow(a.ctx);
        }
    });
    if (status) {
        a.impl().revision++;
        a.impl().removedPages.erase(page.objectNumber());
    }
    return status;
}

Status Document::movePage(int from, int to) {
    Access a(*this);
    auto removed = removePage(from);
    if (!removed)
        return removed.error();
    return insertPage(removed.value(), to);
}

// --- document information ---

QString Document::infoValue(const QString& key) const {
    Access a(*this);
    if (a.impl().locked())
        return {};
    const QByteArray name = key.toUtf8();
    QString value;
    guarded(a.ctx, [&] {
        pdf_obj* info = pdf_dict_get(a.ctx, pdf_trailer(a.ctx, a.doc()), PDF_NAME(Info));
        pdf_obj* entry = pdf_dict_gets(a.ctx, info, name.constData());
        if (pdf_is_string(a.ctx, entry))
            value = QString::fromUtf8(pdf_to_text_string(a.ctx, entry));
    });
    return value;
}

Status Document::setInfoValue(const QString& key, const QString& value) {
    Access a(*this);
    if (a.impl().locked())
        return lockedError();
    const QByteArray name = key.toUtf8();
    const QByteArray text = value.toUtf8();
    const Status status = guarded(a.ctx, [&] {
        pdf_obj* info = pdf_dict_get(a.ctx, pdf_trailer(a.ctx, a.doc()), PDF_NAME(Info));
        // Metadata needs an Info dictionary to go into. Creating an object can start a new cross-reference
        // section with a trailer of its own, so the trailer is looked up again afterwards.
        if (!pdf_is_dict(a.ctx, info)) {
            info = pdf_add_new_dict(a.ctx, a.doc(), 8);
            pdf_dict_put_drop(a.ctx, pdf_trailer(a.ctx, a.doc()), PDF_NAME(Info), info);
        }
        if (text.isEmpty())
            pdf_dict_dels(a.ctx, info, name.constData());
        else
            pdf_dict_puts_drop(a.ctx, info, name.constData(), pdf_new_text_string(a.ctx, text.constData()));
    });
    if (status)
        a.impl().revision++;
    return status;
}

} // namespace zepla::pdf
