// Writing the whole file. Pages taken out of the page tree (kept by undo) must leave no trace in the
// bytes, yet stay intact in the live document so that undo can put them back and save again. The written
// bytes are read back before anyone may replace a file with them.
#include "ByteRoom.h"
#include "PdfCarriedPages.h"
#include "PdfOutput.h"

#include <QRandomGenerator>

#include <zlib.h>

#include <algorithm>
#include <array>
#include <functional>
#include <map>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace zepla::pdf {

namespace {

// A reference to a removed object, blanked for the length of one save.
struct BlankedReference {
    pdf_obj* container; // a dictionary or an array
    pdf_obj* key;       // for dictionaries
    int index;          // for arrays
    pdf_obj* reference; // kept
};

// Where an object sits: a dictionary entry or an array slot.
struct Slot {
    pdf_obj* container = nullptr;
    pdf_obj* key = nullptr;
    int index = -1;
};

// Deeper form field trees than this are not followed: damaged files nest fields in themselves.
constexpr int maxFieldDepth = 32;

// The object numbers of an array's items (0 for direct items), each read under MuPDF's guard.
std::vector<int> itemNumbers(fz_context* ctx, pdf_obj* array) {
    int n = 0;
    guarded(ctx, [&] { n = pdf_array_len(ctx, array); });
    std::vector<int> numbers;
    for (int i = 0; i < n; ++i) {
        int number = 0;
        guarded(ctx, [&] { number = pdf_to_num(ctx, pdf_array_get(ctx, array, i)); });
        numbers.push_back(number);
    }
    return numbers;
}

pdf_obj* entry(fz_context* ctx, pdf_obj* dict, pdf_obj* key) {
    pdf_obj* value = nullptr;
    guarded(ctx, [&] { value = pdf_dict_get(ctx, dict, key); });
    return value;
}

// What leaves the file with the removed pages: the pages, their annotations, and form fields left with no
// widget on a page.
class RemovedObjects {
public:
    RemovedObjects(fz_context* ctx, pdf_document* doc, const std::unordered_set<int>& removedPages)
        : m_ctx(ctx) {
        int count = 0;
        guarded(ctx, [&] { count = pdf_count_pages(ctx, doc); });
        std::unordered_set<int> liveAnnotations;
        for (int i = 0; i < count; ++i) {
            pdf_obj* page = nullptr;
            guarded(ctx, [&] { page = lookupPage(ctx, doc, i); });
            m_livePages.insert(pageObjectNumber(ctx, page));
            for (int number : itemNumbers(ctx, entry(ctx, page, PDF_NAME(Annots))))
                liveAnnotations.insert(number);
        }
        for (int pageNumber : removedPages) {
            if (m_livePages.count(pageNumber))
                continue;
            pdf_obj* page = nullptr;
            guarded(ctx, [&] { page = pdf_load_object(ctx, doc, pageNumber); });
            for (int number : itemNumbers(ctx, entry(ctx, page, PDF_NAME(Annots))))
                if (number > 0 && !liveAnnotations.count(number))
                    m_objects.insert(number);
            pdf_drop_obj(ctx, page);
        }
        pdf_obj* form = nullptr;
        guarded(ctx, [&] { form = pdf_dict_getp(ctx, pdf_trailer(ctx, doc), "Root/AcroForm/Fields"); });
        std::unordered_set<int> seen;
        markEmptyFields(form, 0, seen);
    }

    // A page no longer in the tree, or an object that goes with one.
    bool contains(pdf_obj* obj) const {
        const int number = pdf_to_num(m_ctx, obj);
        if (m_objects.count(number))
            return true;
        if (m_livePages.count(number))
            return false;
        bool page = false;
        guarded(m_ctx,
                [&] { page = pdf_name_eq(m_ctx, pdf_dict_get(m_ctx, obj, PDF_NAME(Type)), PDF_NAME(Page)); });
        return page;
    }

private:
    // A field whose every widget went with a removed page goes too, with the value it holds. Returns whether
    // `kids` (a field list) is left with nothing.
    bool markEmptyFields(pdf_obj* kids, int depth, std::unordered_set<int>& seen) {
        bool allRemoved = true;
        int n = 0;
        guarded(m_ctx, [&] { n = pdf_array_len(m_ctx, kids); });
        for (int i = 0; i < n; ++i) {
            pdf_obj* field = nullptr;
            guarded(m_ctx, [&] { field = pdf_array_get(m_ctx, kids, i); });
            const int number = pdf_to_num(m_ctx, field);
            if (m_objects.count(number))
                continue;
            pdf_obj* below = entry(m_ctx, field, PDF_NAME(Kids));
            bool hasKids = false;
            guarded(m_ctx, [&] { hasKids = pdf_array_len(m_ctx, below) > 0; });
            if (hasKids && depth < maxFieldDepth && number > 0 && seen.insert(number).second &&
                markEmptyFields(below, depth + 1, seen)) {
                m_objects.insert(number);
                continue;
            }
            allRemoved = false;
        }
        return allRemoved && n > 0;
    }

    fz_context* m_ctx;
    std::unordered_set<int> m_livePages;
    std::unordered_set<int> m_objects;
};

// Removed pages and their annotations are still referenced (from the outline, links, named destinations,
// the form's field list, other annotations' /IRT and /Popup), and a garbage-collecting save would write
// whatever is referenced, content, values and all. Finds every such reference and blanks it; an inline
// destination that names a removed page ([page /Fit]) is blanked as a whole, so readers see no destination
// rather than page one.
void blankReferencesToRemovedObjects(fz_context* ctx, pdf_document* doc, const RemovedObjects& removed,
                                     std::vector<BlankedReference>& blanked) {
    struct Pending {
        pdf_obj* obj;
        Slot slot; // where `obj` sits, when it is written inline
    };
    std::unordered_set<int> visited;
    std::vector<Pending> pending;
    guarded(ctx, [&] { pending.push_back({pdf_trailer(ctx, doc), {}}); });
    auto consider = [&](const Pending& parent, const Slot& slot, pdf_obj* value) {
        bool indirect = false, container = false;
        guarded(ctx, [&] {
            indirect = pdf_is_indirect(ctx, value);
            container = pdf_is_dict(ctx, value) || pdf_is_array(ctx, value);
        });
        if (!indirect) {
            if (container)
                pending.push_back({value, slot});
            return;
        }
        const int num = pdf_to_num(ctx, value);
        if (visited.count(num))
            return;
        if (removed.contains(value)) {
            const bool inlineDestination = slot.index == 0 && parent.slot.container;
            const Slot& at = inlineDestination ? parent.slot : slot;
            pdf_obj* reference = inlineDestination ? parent.obj : value;
            guarded(ctx, [&] { pdf_keep_obj(ctx, reference); });
            blanked.push_back({at.container, at.key, at.index, reference});
            return;
        }
        visited.insert(num);
        pending.push_back({value, {}});
    };
    while (!pending.empty()) {
        const Pending item = pending.back();
        pending.pop_back();
        bool dict = false;
        int n = 0;
        guarded(ctx, [&] {
            dict = pdf_is_dict(ctx, item.obj);
            n = dict ? pdf_dict_len(ctx, item.obj) : pdf_array_len(ctx, item.obj);
        });
        for (int i = 0; i < n; ++i) {
            Slot slot{item.obj, nullptr, dict ? -1 : i};
            pdf_obj* value = nullptr;
            guarded(ctx, [&] {
                if (dict) {
                    slot.key = pdf_dict_get_key(ctx, item.obj, i);
                    value = pdf_dict_get_val(ctx, item.obj, i);
                } else {
                    value = pdf_array_get(ctx, item.obj, i);
                }
            });
            consider(item, slot, value);
        }
    }
    for (const BlankedReference& b : blanked) {
        guarded(ctx, [&] {
            if (b.key)
                pdf_dict_put(ctx, b.container, b.key, PDF_NULL);
            else
                pdf_array_put(ctx, b.container, b.index, PDF_NULL);
        });
    }
}

// A page's content as a digest: the checksum and length of its content streams, either as stored (decrypted,
// still compressed, with the filters that decode them) or decoded. Nothing when they cannot be read.
struct ContentDigest {
    uLong checksum = crc32(0, nullptr, 0);
    std::size_t length = 0;
    bool operator==(const ContentDigest&) const = default;
    // The digest of this content followed by `next`.
    ContentDigest then(const ContentDigest& next) const {
        return {crc32_combine(checksum, next.checksum, z_off_t(next.length)), length + next.length};
    }
};
enum class ContentForm { Stored, Decoded };

// The content streams of a page object, in order; parts that are no streams are left out.
std::vector<int> contentStreams(fz_context* ctx, pdf_obj* page) {
    std::vector<int> streams;
    guarded(ctx, [&] {
        pdf_obj* contents = pdf_dict_get(ctx, page, PDF_NAME(Contents));
        const int n = pdf_is_array(ctx, contents) ? pdf_array_len(ctx, contents) : 1;
        for (int i = 0; i < n; ++i) {
            pdf_obj* part = pdf_is_array(ctx, contents) ? pdf_array_get(ctx, contents, i) : contents;
            if (pdf_is_stream(ctx, part))
                streams.push_back(pdf_to_num(ctx, part));
        }
    });
    return streams;
}

// The digests of one document's content streams, each stream read once however many pages share it.
class StreamDigests {
public:
    StreamDigests(fz_context* ctx, pdf_document* doc) : m_ctx(ctx), m_doc(doc) {}

    // The content made of `streams` in order; nothing when one of them cannot be read. Pages often share
    // their streams, and then their content is put together once.
    std::optional<ContentDigest> of(const std::vector<int>& streams, ContentForm form) {
        auto& pages = form == ContentForm::Stored ? m_storedPages : m_decodedPages;
        if (const auto known = pages.find(streams); known != pages.end())
            return known->second;
        std::optional<ContentDigest> digest = ContentDigest{};
        for (int number : streams) {
            auto& known = form == ContentForm::Stored ? m_stored : m_decoded;
            auto found = known.find(number);
            if (found == known.end())
                found = known.emplace(number, read(number, form)).first;
            digest = digest && found->second ? std::optional(digest->then(*found->second)) : std::nullopt;
        }
        pages.emplace(streams, digest);
        return digest;
    }

    // Whether reading one of `streams` as stored ended at data it could not take (decryption that fails on
    // bytes a wrong /Length took in, say): their digest then stands for less than a reader shows.
    bool broken(const std::vector<int>& streams) const {
        return std::any_of(streams.begin(), streams.end(),
                           [&](int number) { return m_broken.count(number); });
    }

private:
    std::optional<ContentDigest> read(int number, ContentForm form) {
        ContentDigest digest;
        auto add = [&](const unsigned char* data, std::size_t size) {
            digest.checksum = crc32_z(digest.checksum, data, size);
            digest.length += size;
        };
        pdf_obj* part = nullptr;
        fz_buffer* buffer = nullptr;
        fz_stream* stream = nullptr;
        unsigned char chunk[16384];
        char* printed = nullptr;
        char small[256];
        const Status status = guarded(m_ctx, [&] {
            part = pdf_new_indirect(m_ctx, m_doc, number, 0);
            if (form == ContentForm::Decoded) {
                buffer = pdf_load_stream(m_ctx, part);
                unsigned char* data = nullptr;
                add(data, fz_buffer_storage(m_ctx, buffer, &data));
                return;
            }
            for (pdf_obj* key : {PDF_NAME(Filter), PDF_NAME(DecodeParms)}) {
                std::size_t length = 0;
                printed =
                    pdf_sprint_obj(m_ctx, small, sizeof small, &length, pdf_dict_get(m_ctx, part, key), 1, 0);
                add(reinterpret_cast<const unsigned char*>(printed), length);
                if (printed != small)
                    fz_free(m_ctx, printed);
                printed = nullptr;
            }
            // Read through, as the stored bytes need no decoding. Reads end quietly at data a filter rejects,
            // marking the stream.
            stream = pdf_open_raw_stream(m_ctx, part);
            while (const std::size_t n = fz_read(m_ctx, stream, chunk, sizeof chunk))
                add(chunk, n);
            if (stream->error)
                m_broken.insert(number);
        });
        fz_drop_buffer(m_ctx, buffer);
        fz_drop_stream(m_ctx, stream);
        pdf_drop_obj(m_ctx, part);
        if (!status)
            return std::nullopt;
        return digest;
    }

    fz_context* m_ctx;
    pdf_document* m_doc;
    std::unordered_map<int, std::optional<ContentDigest>> m_stored;
    std::unordered_map<int, std::optional<ContentDigest>> m_decoded;
    std::map<std::vector<int>, std::optional<ContentDigest>> m_storedPages;
    std::map<std::vector<int>, std::optional<ContentDigest>> m_decodedPages;
    std::unordered_set<int> m_broken;
};

// What a written copy must hold of the document it was written from.
struct Expected {
    const Access& source;
    std::vector<int> pages;                           // the page objects, in order
    std::vector<std::vector<int>> contents;           // per page, its content streams
    std::vector<std::optional<ContentDigest>> stored; // per page, its content as stored
    // Per page whose stored content does not stand for what it shows (it could not be read whole): what it
    // yields when drawn.
    std::vector<std::optional<PageYield>> yields;
    StreamDigests digests;               // of the source's streams
    std::unordered_set<int> treeObjects; // the catalog and the nodes of the page tree
    std::function<bool(const Protection&)> protection;
    QString protectionLost;
    CarriedPages carried;     // pages the file could not read, written back as they were
    bool unprotected = false; // a copy without protection: ciphertext in it would be unreadable for good
};

Expected expectationOf(const Access& a, const SaveOptions& options, CarriedPages carried) {
    Expected expected{a, {}, {}, {}, {}, StreamDigests(a.ctx, a.doc()), {}, {}, {}, std::move(carried)};
    int pages = 0;
    guarded(a.ctx, [&] {
        pages = pdf_count_pages(a.ctx, a.doc());
        expected.treeObjects.insert(
            pdf_to_num(a.ctx, pdf_dict_get(a.ctx, pdf_trailer(a.ctx, a.doc()), PDF_NAME(Root))));
    });
    const PageMap map(a.ctx, a.doc());
    for (int i = 0; i < pages; ++i) {
        pdf_obj* page = nullptr;
        guarded(a.ctx, [&] {
            page = lookupPage(a.ctx, a.doc(), i);
            // The nodes above the page, up to the first one already known.
            for (pdf_obj* node = pdf_dict_get(a.ctx, page, PDF_NAME(Parent));
                 pdf_is_indirect(a.ctx, node) && expected.treeObjects.insert(pdf_to_num(a.ctx, node)).second;
                 node = pdf_dict_get(a.ctx, node, PDF_NAME(Parent))) {
            }
        });
        expected.pages.push_back(pageObjectNumber(a.ctx, page));
        expected.contents.push_back(contentStreams(a.ctx, page));
        expected.stored.push_back(page ? expected.digests.of(expected.contents.back(), ContentForm::Stored)
                                       : std::nullopt);
        const bool vouched = expected.stored.back() && !expected.digests.broken(expected.contents.back());
        expected.yields.push_back(page && !vouched ? pageYield(a, i) : std::nullopt);
    }
    switch (options.encryption) {
    case SaveOptions::Encryption::Keep: {
        const Protection own = protectionOf(a.ctx, a.doc());
        expected.protection = [own](const Protection& copy) { return copy == own; };
        expected.protectionLost =
            own.encrypted ? QStringLiteral("The saved copy has lost the document’s password protection.")
                          : QStringLiteral("The saved copy is password-protected.");
        break;
    }
    case SaveOptions::Encryption::None:
        expected.protection = [](const Protection& copy) { return !copy.encrypted; };
        expected.protectionLost = QStringLiteral("The saved copy is still password-protected.");
        expected.unprotected = true;
        break;
    case SaveOptions::Encryption::Aes256:
        expected.protection = [](const Protection& copy) {
            return copy.encrypted && copy.method == "AES" && copy.length == 256;
        };
        expected.protectionLost = QStringLiteral("The saved copy is not protected with the new password.");
        break;
    }
    return expected;
}

bool pageLoads(const Access& a, int index) {
    Status status;
    LoadedPage page(a, index, &status);
    return status.ok();
}

// Where the copy's bytes come from. Bytes of any origin are checked page by page as the next reader loads
// them. A copy written from the source's own objects under their own numbers holds each of the source's page
// objects as it was, and those parsed in the source: such a copy is checked from its page tree and its
// cross-reference entries, without parsing every page object a second time.
enum class Origin { Unknown, SourceObjects };

// The page objects of the copy in order, read from the nodes of its page tree alone: the kids numbered as a
// page of the source are taken as pages without being read. Empty when the tree is not one that can be
// walked so.
std::vector<int> writtenPages(fz_context* ctx, pdf_document* copy,
                              const std::unordered_set<int>& sourcePages) {
    constexpr int maxDepth = 32;
    std::vector<int> pages;
    std::unordered_set<int> nodes;
    struct Visit {
        pdf_obj* kids;
        int next;
        int depth;
    };
    std::vector<Visit> stack;
    const Status walked = guarded(ctx, [&] {
        pdf_obj* root = pdf_dict_getp(ctx, pdf_trailer(ctx, copy), "Root/Pages");
        nodes.insert(pdf_to_num(ctx, root));
        stack.push_back({pdf_dict_get(ctx, root, PDF_NAME(Kids)), 0, 0});
        while (!stack.empty()) {
            Visit& top = stack.back();
            if (top.next >= pdf_array_len(ctx, top.kids)) {
                stack.pop_back();
                continue;
            }
            pdf_obj* kid = pdf_array_get(ctx, top.kids, top.next++);
            const int number = pdf_to_num(ctx, kid);
            pdf_obj* kids = nullptr;
            if (!sourcePages.count(number))
                kids = pdf_dict_get(ctx, kid, PDF_NAME(Kids));
            if (!pdf_is_array(ctx, kids)) {
                pages.push_back(number);
                continue;
            }
            if (number == 0 || top.depth >= maxDepth || !nodes.insert(number).second)
                fz_throw(ctx, FZ_ERROR_GENERIC, "page tree cannot be walked");
            stack.push_back({kids, 0, top.depth + 1});
        }
    });
    if (!walked)
        pages.clear();
    return pages;
}

// Whether object `number` of `doc` is one of its file's objects in use.
bool inUse(fz_context* ctx, pdf_document* doc, int number) {
    char type = 0;
    guarded(ctx, [&] {
        if (number > 0 && number < pdf_xref_len(ctx, doc))
            type = pdf_get_xref_entry_no_null(ctx, doc, number)->type;
    });
    return type == 'n' || type == 'o';
}

// Opens written bytes as the next reader will and checks that nothing of the document was lost on the way:
// a damaged source can make the engine write a file that no password opens, that lost its encryption, its
// pages or their content. `password` opens the copy when it is encrypted. Each failure is one plain reason.
Status verifyWritten(const QByteArray& bytes, const QByteArray& password, Expected& expected, Origin origin) {
    auto fail = [](const QString& why) { return Error{Error::Kind::Failed, why}; };
    // The copy exists but its protection did not survive the write.
    auto unprotected = [](const QString& why) { return Error{Error::Kind::Undecryptable, why}; };
    auto reopened = Document::open(bytes);
    if (!reopened)
        return fail(QStringLiteral("The saved copy does not open."));
    Document& copy = *reopened.value();
    Access a(copy);
    if (!expected.protection(protectionOf(a.ctx, a.doc())))
        return unprotected(expected.protectionLost);
    if (copy.isLocked() && !copy.authenticate(QString::fromUtf8(password)))
        return unprotected(QStringLiteral("The saved copy does not open with the document’s password."));
    const int pages = copy.pageCount();
    const int expectedPages = int(expected.pages.size());
    if (pages < expectedPages)
        return fail(QStringLiteral("The saved copy is missing page %1.").arg(pages + 1));
    if (pages > expectedPages)
        return fail(
            QStringLiteral("The saved copy has %1 pages instead of %2.").arg(pages).arg(expectedPages));
    if (expected.unprotected)
        if (const std::optional<int> page = firstUndecodablePage(a.ctx, a.doc()))
            return fail(
                QStringLiteral("The content of page %1 cannot be decrypted or decoded: an unprotected "
                               "copy would not be readable.")
                    .arg(*page + 1));
    std::vector<int> written;
    if (origin == Origin::SourceObjects)
        written = writtenPages(a.ctx, a.doc(),
                               std::unordered_set<int>(expected.pages.begin(), expected.pages.end()));
    if (int(written.size()) != pages)
        written.clear();
    std::optional<PageMap> map; // made the first time a page has to be looked up in the copy
    StreamDigests digests(a.ctx, a.doc());
    for (int i = 0; i < pages; ++i) {
        // A page the file could not read stands blank in the document, and in the copy as the file held it.
        if (expected.carried.carries(i)) {
            if (!expected.carried.isCarriedIn(bytes, a, i))
                return fail(QStringLiteral("Page %1 of the saved copy cannot be read.").arg(i + 1));
            continue;
        }
        const std::size_t at = std::size_t(i);
        const bool sourceObject =
            !written.empty() && written[at] == expected.pages[at] && inUse(a.ctx, a.doc(), written[at]);
        if (!sourceObject && !map)
            map.emplace(a.ctx, a.doc());
        // A page that cannot be loaded in the document cannot be loaded in its copy either.
        if (!sourceObject && !pageLoads(a, i) && pageLoads(expected.source, i))
            return fail(QStringLiteral("Page %1 of the saved copy cannot be read.").arg(i + 1));
        // Content read in part (its stream's /Length wrong, say) is checked by what the page shows.
        if (expected.yields[at]) {
            if (pageYield(a, i) != expected.yields[at])
                return fail(QStringLiteral("The content of page %1 is lost in the saved copy.").arg(i + 1));
            continue;
        }
        if (!expected.stored[at])
            continue;
        std::vector<int> streams = expected.contents[at];
        if (!sourceObject) {
            pdf_obj* page = nullptr;
            guarded(a.ctx, [&] { page = lookupPage(a.ctx, a.doc(), i); });
            streams = contentStreams(a.ctx, page);
        }
        if (digests.of(streams, ContentForm::Stored) == expected.stored[at])
            continue;
        // Stored differently (compressed on the way, say): what matters is what it decodes to.
        const std::optional<ContentDigest> decoded =
            expected.digests.of(expected.contents[at], ContentForm::Decoded);
        if (decoded && digests.of(streams, ContentForm::Decoded) != decoded)
            return fail(QStringLiteral("The content of page %1 is lost in the saved copy.").arg(i + 1));
    }
    return {};
}

// The password that opens a copy written with `options`.
QByteArray copyPassword(const Access& a, const SaveOptions& options) {
    switch (options.encryption) {
    case SaveOptions::Encryption::Keep:
        return a.impl().password;
    case SaveOptions::Encryption::Aes256:
        return options.userPassword.toUtf8();
    case SaveOptions::Encryption::None:
        break;
    }
    return {};
}

// Gives the document a file identifier when it has none (its original lost it with a damaged trailer): an
// encrypted file needs one, and readers refuse an encrypted file without it. Both halves are new, as for a
// file written for the first time. Throws as MuPDF does; call inside a guarded block.
void giveFileIdentifier(fz_context* ctx, pdf_document* doc, const std::array<quint32, 4>& random) {
    pdf_obj* trailer = pdf_trailer(ctx, doc);
    pdf_obj* id = pdf_dict_get(ctx, trailer, PDF_NAME(ID));
    if (pdf_array_len(ctx, id) == 2 && pdf_is_string(ctx, pdf_array_get(ctx, id, 0)) &&
        pdf_is_string(ctx, pdf_array_get(ctx, id, 1)))
        return;
    const char* bytes = reinterpret_cast<const char*>(random.data());
    pdf_obj* fresh = pdf_new_array(ctx, doc, 2);
    pdf_dict_put_drop(ctx, trailer, PDF_NAME(ID), fresh);
    pdf_array_push_drop(ctx, fresh, pdf_new_string(ctx, bytes, sizeof random));
    pdf_array_push_drop(ctx, fresh, pdf_new_string(ctx, bytes, sizeof random));
}

void restore(fz_context* ctx, std::vector<BlankedReference>& blanked) {
    for (const BlankedReference& b : blanked) {
        guarded(ctx, [&] {
            if (b.key)
                pdf_dict_put(ctx, b.container, b.key, b.reference);
            else
                pdf_array_put(ctx, b.container, b.index, b.reference);
        });
        pdf_drop_obj(ctx, b.reference);
    }
    blanked.clear();
}

} // namespace

Status Document::verifyCopy(const QByteArray& bytes, const SaveOptions& options) const {
    Access a(*this);
    if (a.impl().locked())
        return lockedError();
    Expected expected = expectationOf(a, options, CarriedPages::plan(a, options));
    return verifyWritten(bytes, copyPassword(a, options), expected, Origin::Unknown);
}

// A page of the file that could not be read goes back as the file held it, in a section appended to the
// rewritten file, unless the copy is to have another encryption or the page was drawn on: it is written blank
// then (PdfCarriedPages.h).
Result<QByteArray> Document::save(const SaveOptions& options) const {
    Access a(*this);
    if (a.impl().locked())
        return lockedError();
    if (a.impl().protectionDamaged && options.encryption == SaveOptions::Encryption::Keep)
        return Error{Error::Kind::Damaged,
                     QStringLiteral("The protected document is damaged and cannot be saved over.")};
    if (Status repaired = readEveryPage(a); !repaired)
        return Error{Error::Kind::Failed,
                     QStringLiteral("The document could not be written: %1").arg(repaired.error().message)};
    if (!std::exchange(a.impl().streamLengthsMended, true))
        mendStreamLengths(a.ctx, a.doc(), a.impl().fileBytes);

    pdf_write_options opts = pdf_default_write_options;
    opts.do_garbage = 1; // drops unreachable objects; higher levels renumber the live document
    opts.do_compress = 1;
    opts.do_compress_images = 1;
    opts.do_compress_fonts = 1;
    switch (options.encryption) {
    case SaveOptions::Encryption::Keep:
        opts.do_encrypt = PDF_ENCRYPT_KEEP;
        break;
    case SaveOptions::Encryption::None:
        opts.do_encrypt = PDF_ENCRYPT_NONE;
        break;
    case SaveOptions::Encryption::Aes256: {
        const QByteArray user = options.userPassword.toUtf8();
        const QByteArray owner = options.ownerPassword.toUtf8();
        if (user.size() >= int(sizeof opts.upwd_utf8) || owner.size() >= int(sizeof opts.opwd_utf8))
            return Error{Error::Kind::Unsupported, QStringLiteral("The password is too long.")};
        opts.do_encrypt = PDF_ENCRYPT_AES_256;
        opts.permissions = PDF_PERM_PRINT | PDF_PERM_MODIFY | PDF_PERM_COPY | PDF_PERM_ANNOTATE |
                           PDF_PERM_FORM | PDF_PERM_ACCESSIBILITY | PDF_PERM_ASSEMBLE | PDF_PERM_PRINT_HQ;
        qstrncpy(opts.upwd_utf8, user.constData(), sizeof opts.upwd_utf8);
        qstrncpy(opts.opwd_utf8, owner.constData(), sizeof opts.opwd_utf8);
        break;
    }
    }

    std::vector<BlankedReference> blanked;
    QByteArray bytes;
    fz_output* out = nullptr;
    // Writing with another encryption puts the new /Encrypt into the live document's trailer (or takes it
    // out). Left there, the next ordinary save would claim an encryption the file does not have, or drop the
    // one it has; so the trailer's own entry is put back afterwards.
    const bool changesEncryption = options.encryption != SaveOptions::Encryption::Keep;
    pdf_obj* ownEncryption = nullptr;
    CarriedPages carried = CarriedPages::plan(a, options);
    carried.holdReferences(a);
    if (!a.impl().removedPages.empty())
        blankReferencesToRemovedObjects(a.ctx, a.doc(), RemovedObjects(a.ctx, a.doc(), a.impl().removedPages),
                                        blanked);
    // A rewrite comes out about the size of the file it was read from: room is made once, not grown into.
    reserveMapped(bytes, a.impl().fileBytes.size() + a.impl().fileBytes.size() / 4 + 64 * 1024);
    const bool encryptsCopy =
        options.encryption == SaveOptions::Encryption::Aes256 ||
        (options.encryption == SaveOptions::Encryption::Keep && isEncryptedFile(a.ctx, a.doc()));
    std::array<quint32, 4> random{};
    QRandomGenerator::system()->fillRange(random.data(), random.size());
    const Status status = guarded(a.ctx, [&] {
        if (encryptsCopy)
            giveFileIdentifier(a.ctx, a.doc(), random);
        if (changesEncryption)
            ownEncryption =
                pdf_keep_obj(a.ctx, pdf_dict_get(a.ctx, pdf_trailer(a.ctx, a.doc()), PDF_NAME(Encrypt)));
        out = newOutputInto(a.ctx, bytes);
        pdf_write_document(a.ctx, a.doc(), out, &opts);
        fz_close_output(a.ctx, out);
    });
    restore(a.ctx, blanked);
    carried.releaseReferences(a);
    if (changesEncryption) {
        guarded(a.ctx, [&] {
            pdf_obj* trailer = pdf_trailer(a.ctx, a.doc());
            if (ownEncryption)
                pdf_dict_put(a.ctx, trailer, PDF_NAME(Encrypt), ownEncryption);
            else
                pdf_dict_del(a.ctx, trailer, PDF_NAME(Encrypt));
        });
        pdf_drop_obj(a.ctx, ownEncryption);
    }
    fz_drop_output(a.ctx, out);
    if (!status)
        return Error{Error::Kind::Failed,
                     QStringLiteral("The document could not be written: %1").arg(status.error().message)};
    carried.appendTo(bytes);
    const QByteArray password = copyPassword(a, options);
    Expected expected = expectationOf(a, options, std::move(carried));
    // Dictionaries packed together take a fraction of their room: MuPDF's layout is packed here, where the
    // copy is not encrypted. An encrypted copy of a file that came with object streams goes through qpdf, so
    // that it does not grow by half on every save; they announce themselves in a dictionary, which is never
    // compressed itself. Packing is for size only: a packed copy that does not hold up leaves the larger
    // file, which is just as good. Pages carried as the file held them sit in a section appended to the
    // written file, which neither the packing nor qpdf (it renumbers objects) keeps: such a file stays
    // unpacked.
    if (expected.carried.empty()) {
        if (const QByteArray packed = packIntoObjectStreams(bytes, expected.treeObjects); !packed.isEmpty()) {
            if (packed.size() < bytes.size() &&
                verifyWritten(packed, password, expected, Origin::SourceObjects))
                return packed;
        } else if (a.impl().fileBytes.contains("/ObjStm")) {
            if (auto packed = rewriteWithQpdf(bytes, password, QpdfObjectStreams::Generate);
                packed && verifyWritten(packed.value(), password, expected, Origin::Unknown))
                return packed.value();
        }
    }
    if (Status verified = verifyWritten(bytes, password, expected, Origin::SourceObjects); !verified) {
        // A protected file that MuPDF repaired (its object streams or its /Encrypt damaged) reads well, yet
        // its protection may not be written back in a form the password opens. It is then damaged protection
        // like a lost file identifier: never saved over, and an unprotected copy is still possible.
        if (verified.error().kind == Error::Kind::Undecryptable &&
            options.encryption == SaveOptions::Encryption::Keep && isEncryptedFile(a.ctx, a.doc()) &&
            pdf_was_repaired(a.ctx, a.doc())) {
            a.impl().protectionDamaged = true;
            return Error{
                Error::Kind::Damaged,
                QStringLiteral("The protected document is damaged and its password protection cannot "
                               "be written again, so it cannot be saved over.")};
        }
        return verified.error();
    }
    return bytes;
}

} // namespace zepla::pdf
