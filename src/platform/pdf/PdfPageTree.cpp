// The page tree as it really is: damaged files claim page counts they do not have, hold null or looping kids,
// or nest absurdly deep. MuPDF trusts the root's /Count, so a tree that is not sound is rebuilt as one flat
// node over the pages that really exist, before anything counts or walks it.
#include "PdfDocumentImpl.h"
#include "PdfRawObject.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <utility>
#include <vector>

namespace zepla::pdf {

namespace {

// Deeper trees than this are flattened: MuPDF walks them recursively.
constexpr int maxTreeDepth = 32;

// The largest object number a PDF file may use.
constexpr int maxObjectNumber = 8388607;

// The objects met on a walk, one bit per object number: a tree of thousands of kids is checked without
// hashing or allocating per kid.
class ObjectSet {
public:
    explicit ObjectSet(int objects) : m_bits(std::size_t(std::max(objects, 1))) {}
    // False when `number` was there already.
    bool insert(int number) {
        if (number < 0)
            return false;
        if (std::size_t(number) >= m_bits.size())
            m_bits.resize(std::size_t(number) + 1);
        if (m_bits[std::size_t(number)])
            return false;
        m_bits[std::size_t(number)] = true;
        return true;
    }
    bool contains(int number) const {
        return number >= 0 && std::size_t(number) < m_bits.size() && m_bits[std::size_t(number)];
    }
    void erase(int number) {
        if (number >= 0 && std::size_t(number) < m_bits.size())
            m_bits[std::size_t(number)] = false;
    }

private:
    std::vector<bool> m_bits;
};

// Attributes a page inherits from the nodes above it.
struct Inherited {
    pdf_obj* resources = nullptr;
    pdf_obj* mediaBox = nullptr;
    pdf_obj* cropBox = nullptr;
    pdf_obj* rotate = nullptr;
};

struct Leaf {
    pdf_obj* page;
    Inherited inherited;
    bool unreadable = false; // an object that names a page but is none
    UnreadablePage where;    // where the file holds an unreadable one
    bool lost = false;       // unreadable, lost with the end of a file cut short
};

// A node being walked: its kids are looked at one by one.
struct Visit {
    pdf_obj* node;
    int depth;
    Inherited inherited;
    int kidCount;
    int nextKid;
    int claimedCount;
    std::size_t firstLeaf; // the leaves found under this node start here
};

// What one object of the tree is, read under MuPDF's guard.
struct Kid {
    bool isDict = false;
    bool isNode = false; // an intermediate node with kids of its own
    int number = 0;      // 0 for a direct object
    int kidCount = 0;
    int claimedCount = 0;
    pdf_obj* parent = nullptr;
    Inherited own;
};

Kid readKid(fz_context* ctx, pdf_obj* obj) {
    Kid k;
    k.isDict = pdf_is_dict(ctx, obj);
    if (!k.isDict)
        return k;
    k.number = pdf_to_num(ctx, obj);
    pdf_obj* kids = pdf_dict_get(ctx, obj, PDF_NAME(Kids));
    pdf_obj* type = pdf_dict_get(ctx, obj, PDF_NAME(Type));
    k.isNode = pdf_name_eq(ctx, type, PDF_NAME(Pages)) ||
               (pdf_is_array(ctx, kids) && !pdf_name_eq(ctx, type, PDF_NAME(Page)));
    k.kidCount = k.isNode ? pdf_array_len(ctx, kids) : 0;
    k.claimedCount = pdf_dict_get_int(ctx, obj, PDF_NAME(Count));
    k.parent = pdf_dict_get(ctx, obj, PDF_NAME(Parent));
    k.own = {pdf_dict_get(ctx, obj, PDF_NAME(Resources)), pdf_dict_get(ctx, obj, PDF_NAME(MediaBox)),
             pdf_dict_get(ctx, obj, PDF_NAME(CropBox)), pdf_dict_get(ctx, obj, PDF_NAME(Rotate))};
    return k;
}

Inherited inherit(const Inherited& above, const Inherited& own) {
    return {own.resources ? own.resources : above.resources, own.mediaBox ? own.mediaBox : above.mediaBox,
            own.cropBox ? own.cropBox : above.cropBox, own.rotate ? own.rotate : above.rotate};
}

bool sameObject(fz_context* ctx, pdf_obj* a, pdf_obj* b) {
    return pdf_is_indirect(ctx, a) ? pdf_to_num(ctx, a) == pdf_to_num(ctx, b) : a == b;
}

// What the file holds for a kid that MuPDF does not read as a dictionary: nothing at all (a reference beyond
// the objects the file numbers), a page or node read from the file's bytes, an object that names a page but
// is no page (one that cannot be parsed, that refers to itself, a number, one whose bytes are gone), or one
// lost with the end of a file cut short.
enum class KidInFile { Absent, Recovered, Unreadable, Lost };

// Object `number` parsed from the file at `offset`, decrypted like every object MuPDF reads; null when what
// stands there is another object or a stream. Throws as MuPDF does; call inside a guarded block.
pdf_obj* parseObjectAt(fz_context* ctx, pdf_document* doc, std::int64_t offset, int number, int generation) {
    int num = 0, gen = 0, repair = 0;
    std::int64_t streamAt = 0;
    fz_seek(ctx, doc->file, offset, SEEK_SET);
    pdf_obj* object = pdf_parse_ind_obj(ctx, doc, doc->file, &num, &gen, &streamAt, &repair);
    if (num != number || gen != generation || streamAt > 0) {
        pdf_drop_obj(ctx, object);
        return nullptr;
    }
    if (doc->crypt)
        pdf_crypt_obj(ctx, doc->crypt, object, num, gen);
    return object;
}

// A node of the tree read from its bytes, `body`, where MuPDF cannot parse it (a key of its dictionary
// damaged, say): its kids, as other readers take them from it, are what reaches its pages. What it handed
// down to them is lost with it. Null when the bytes hold no node. Throws as MuPDF does; call inside a guarded
// block.
pdf_obj* nodeFromBytes(fz_context* ctx, pdf_document* doc, const QByteArray& body) {
    const std::optional<QByteArray> kids = raw::entryValue(body, "/Kids");
    const std::optional<QByteArray> type = raw::entryValue(body, "/Type");
    // As for a node MuPDF reads: holding kids, and not named a page.
    if (!kids || !kids->startsWith('[') || type == QByteArray("/Page"))
        return nullptr;
    const std::vector<int> numbers = raw::references(*kids);
    pdf_obj* node = pdf_new_dict(ctx, doc, 3);
    fz_try(ctx) {
        pdf_dict_put(ctx, node, PDF_NAME(Type), PDF_NAME(Pages));
        pdf_obj* array = pdf_dict_put_array(ctx, node, PDF_NAME(Kids), int(numbers.size()));
        for (int kid : numbers)
            pdf_array_push_drop(ctx, array, pdf_new_indirect(ctx, doc, kid, 0));
        pdf_dict_put_int(ctx, node, PDF_NAME(Count), int64_t(numbers.size()));
    }
    fz_catch(ctx) {
        pdf_drop_obj(ctx, node);
        fz_rethrow(ctx);
    }
    return node;
}

// Whether `file`, which MuPDF had to repair, lost its end: it no longer closes with "%%EOF".
bool cutShort(fz_context* ctx, pdf_document* doc, const QByteArray& file) {
    const QByteArrayView view(file);
    return pdf_was_repaired(ctx, doc) &&
           !view.last(std::min<qsizetype>(view.size(), 1024)).trimmed().endsWith("%%EOF");
}

// A kid naming object `number`, which MuPDF reads as no dictionary: its cross-reference entry was flipped to
// free or points astray, or the object is damaged. Other readers find an object by its header in the bytes
// when the cross-reference fails them, and so does this: a page or node found there is put into the
// document under its own number, a node MuPDF cannot parse as its bytes name its kids when `nodeFromKids`.
// Where the file holds an object that is there but no page goes into `where`.
KidInFile findKidInFile(fz_context* ctx, pdf_document* doc, const QByteArray& file, int number,
                        int generation, UnreadablePage* where, bool nodeFromKids = true) {
    bool held = false, past = false;
    std::int64_t offset = -1;
    guarded(ctx, [&] {
        held = number > 0 && number < pdf_xref_len(ctx, doc);
        past = number >= pdf_xref_len(ctx, doc) && number <= maxObjectNumber && cutShort(ctx, doc, file);
        if (!held)
            return;
        const pdf_xref_entry* entry = pdf_get_xref_entry_no_null(ctx, doc, number);
        offset = entry->type == 'n' ? entry->ofs : -1;
    });
    // An object the file numbers but no longer holds (its header cut away) keeps its place as readers that
    // count the tree's kids keep it; and so does one that a file cut short no longer numbers, since the end
    // that held it held the cross-reference too.
    *where = {generation, -1};
    if (!held)
        return past ? KidInFile::Lost : KidInFile::Absent;
    if (offset < 0 || raw::objectBody(file, offset, number, generation).isEmpty())
        offset = raw::lastObjectHeader(file, number, generation);
    *where = {generation, offset};
    if (offset < 0)
        return KidInFile::Unreadable;
    bool recovered = false;
    pdf_obj* object = nullptr;
    guarded(ctx, [&] { object = parseObjectAt(ctx, doc, offset, number, generation); });
    const QByteArray body = pdf_is_dict(ctx, object) || !nodeFromKids
                                ? QByteArray()
                                : raw::objectBody(file, offset, number, generation);
    guarded(ctx, [&] {
        if (!pdf_is_dict(ctx, object) && nodeFromKids) {
            pdf_drop_obj(ctx, std::exchange(object, nullptr));
            object = nodeFromBytes(ctx, doc, body);
        }
        if (pdf_is_dict(ctx, object)) {
            pdf_update_object(ctx, doc, number, object);
            recovered = true;
        }
    });
    pdf_drop_obj(ctx, object);
    return recovered ? KidInFile::Recovered : KidInFile::Unreadable;
}

// Takes the kids of `top` as its leaves without loading them, when the node says it holds exactly as many
// pages as it has kids and each kid is a reference to an object of the file not seen before. False (and
// nothing taken) when the node is not like that.
bool takeKidsAsLeaves(fz_context* ctx, pdf_document* doc, const Visit& top, ObjectSet& seen,
                      std::vector<Leaf>& leaves) {
    if (top.claimedCount != top.kidCount || top.kidCount == 0)
        return false;
    std::vector<pdf_obj*> kids(std::size_t(top.kidCount), nullptr);
    std::vector<int> numbers;
    numbers.reserve(kids.size());
    bool plain = true;
    guarded(ctx, [&] {
        pdf_obj* array = pdf_dict_get(ctx, top.node, PDF_NAME(Kids));
        const int objects = pdf_xref_len(ctx, doc);
        for (int i = 0; plain && i < top.kidCount; ++i) {
            kids[std::size_t(i)] = pdf_array_get(ctx, array, i);
            const int number = pdf_to_num(ctx, kids[std::size_t(i)]);
            plain = pdf_is_indirect(ctx, kids[std::size_t(i)]) && number > 0 && number < objects;
            numbers.push_back(number);
        }
    });
    if (!plain || int(numbers.size()) != top.kidCount)
        return false;
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        if (!seen.insert(numbers[i])) {
            for (std::size_t j = 0; j < i; ++j)
                seen.erase(numbers[j]);
            return false;
        }
    }
    leaves.reserve(leaves.size() + kids.size());
    for (pdf_obj* kid : kids)
        leaves.push_back({kid, top.inherited});
    return true;
}

// A place where the tree lost pages: a kid that gave none (a node repeated, a reference to nothing), or the
// end of a node that holds fewer pages than it claims. Pages of the file that no kid reaches any more go
// there, when they name that node as the one above them.
struct Gap {
    int node;            // its object number
    std::size_t at;      // where in the leaves
    Inherited inherited; // what the node's pages inherit
};

// Every page of the tree in reading order, each once. `sound` stays true only when the tree already says
// exactly that: true counts, no bad or repeated kids, parents that point back, a reasonable depth.
class TreeWalk {
public:
    TreeWalk(fz_context* ctx, pdf_document* doc, const QByteArray& file, TreeCheck check)
        : m_ctx(ctx), m_doc(doc), m_file(file), m_check(check), m_seen(objectCount(ctx, doc)) {}

    std::vector<Leaf> pages(pdf_obj* root, const Kid& rootKid) {
        // Room for the pages the tree claims, as far as the file has objects for them.
        m_leaves.reserve(std::size_t(std::clamp(rootKid.claimedCount, 0, objectCount(m_ctx, m_doc))));
        m_seen.insert(rootKid.number);
        walk(root, rootKid, inherit({}, rootKid.own));
        if (m_check == TreeCheck::Full && !m_gaps.empty())
            adoptDetachedPages();
        // A file cut so short that none of its pages is left is damaged, not a document of blank pages.
        if (std::all_of(m_leaves.begin(), m_leaves.end(), [](const Leaf& leaf) { return leaf.lost; }))
            m_leaves.clear();
        return std::move(m_leaves);
    }

    bool sound() const { return m_sound; }

    ~TreeWalk() {
        for (pdf_obj* object : m_adopted)
            pdf_drop_obj(m_ctx, object);
    }
    TreeWalk(const TreeWalk&) = delete;
    TreeWalk& operator=(const TreeWalk&) = delete;

private:
    static int objectCount(fz_context* ctx, pdf_document* doc) {
        int objects = 0;
        guarded(ctx, [&] { objects = pdf_xref_len(ctx, doc); });
        return objects;
    }

    void gapAt(const Visit& visit) {
        m_sound = false;
        m_gaps.push_back({pdf_to_num(m_ctx, visit.node), m_leaves.size(), visit.inherited});
    }

    // Adds the pages under `node` (read as `kid`) to the leaves.
    void walk(pdf_obj* node, const Kid& kid, const Inherited& inherited) {
        std::vector<Visit> stack;
        stack.push_back({node, 0, inherited, kid.kidCount, 0, kid.claimedCount, m_leaves.size()});
        while (!stack.empty()) {
            Visit& top = stack.back();
            if (top.nextKid == top.kidCount) {
                const std::size_t found = m_leaves.size() - top.firstLeaf;
                if (std::size_t(top.claimedCount) != found)
                    m_sound = false;
                if (top.claimedCount > 0 && std::size_t(top.claimedCount) > found)
                    gapAt(top);
                stack.pop_back();
                continue;
            }
            if (m_check == TreeCheck::CountsAndKids && top.nextKid == 0 &&
                takeKidsAsLeaves(m_ctx, m_doc, top, m_seen, m_leaves)) {
                top.nextKid = top.kidCount;
                continue;
            }
            const int at = top.nextKid++;
            pdf_obj* kid = nullptr;
            Kid k;
            bool parentPointsBack = false;
            pdf_obj* parent = top.node;
            auto readAt = [&] {
                return guarded(m_ctx, [&] {
                    kid = pdf_array_get(m_ctx, pdf_dict_get(m_ctx, parent, PDF_NAME(Kids)), at);
                    k = readKid(m_ctx, kid);
                    parentPointsBack = k.isDict && sameObject(m_ctx, k.parent, parent);
                });
            };
            Status read = readAt();
            if (!k.isDict && kid && pdf_is_indirect(m_ctx, kid) && !m_seen.contains(pdf_to_num(m_ctx, kid))) {
                m_sound = false;
                UnreadablePage where;
                const KidInFile found = findKidInFile(m_ctx, m_doc, m_file, pdf_to_num(m_ctx, kid),
                                                      pdf_to_gen(m_ctx, kid), &where);
                switch (found) {
                case KidInFile::Recovered:
                    read = readAt();
                    break;
                case KidInFile::Unreadable:
                case KidInFile::Lost:
                    // The page is there but cannot be read (absurd nesting, a damaged dictionary, an object
                    // that is no page), or its end is lost: it keeps its place.
                    m_seen.insert(pdf_to_num(m_ctx, kid));
                    m_leaves.push_back({kid, top.inherited, true, where, found == KidInFile::Lost});
                    continue;
                case KidInFile::Absent:
                    break;
                }
            }
            if (!read || !k.isDict || (k.number > 0 && !m_seen.insert(k.number))) {
                gapAt(top);
                continue;
            }
            if (!parentPointsBack)
                m_sound = false;
            const Inherited inherited = inherit(top.inherited, k.own);
            if (!k.isNode) {
                m_leaves.push_back({kid, inherited});
                continue;
            }
            const int depth = top.depth + 1;
            if (depth > maxTreeDepth)
                m_sound = false;
            stack.push_back({kid, depth, inherited, k.kidCount, 0, k.claimedCount, m_leaves.size()});
        }
    }

    // The pages of the file under a node of the tree that no kid reaches (the node's kid turned into a
    // reference to the node itself, say), put where the tree lost pages under that node: each page object
    // not yet met names, through its /Parent entries, the node of the tree that held it and the topmost node
    // that no longer hangs in the tree, which is read whole.
    void adoptDetachedPages() {
        std::map<int, std::vector<std::size_t>> gapsOf; // by node: its gaps, in order
        for (std::size_t i = 0; i < m_gaps.size(); ++i)
            gapsOf[m_gaps[i].node].push_back(i);
        std::map<int, std::set<int>> detached; // by node of the tree: the topmost objects below it
        const int objects = objectCount(m_ctx, m_doc);
        for (int number = 1; number < objects; ++number) {
            if (m_seen.contains(number))
                continue;
            guarded(m_ctx, [&] {
                const char type = pdf_get_xref_entry_no_null(m_ctx, m_doc, number)->type;
                if (type != 'n' && type != 'o')
                    return;
                // Loaded objects stay in the document's cache: what they hold outlives this reference.
                pdf_obj* object = pdf_load_object(m_ctx, m_doc, number);
                pdf_drop_obj(m_ctx, object);
                if (!pdf_name_eq(m_ctx, pdf_dict_get(m_ctx, object, PDF_NAME(Type)), PDF_NAME(Page)))
                    return;
                int top = number;
                pdf_obj* up = pdf_dict_get(m_ctx, object, PDF_NAME(Parent));
                for (int depth = 0; depth < maxTreeDepth && pdf_is_indirect(m_ctx, up); ++depth) {
                    const int node = pdf_to_num(m_ctx, up);
                    if (m_seen.contains(node)) {
                        if (gapsOf.count(node))
                            detached[node].insert(top);
                        return;
                    }
                    top = node;
                    up = pdf_dict_get(m_ctx, up, PDF_NAME(Parent));
                }
            });
        }
        // Each node's detached objects fill its gaps in order, the last gap taking what is left; the gaps
        // are filled from the last one back, so that those before keep their places.
        std::vector<std::vector<int>> fill(m_gaps.size());
        for (auto& [node, tops] : detached) {
            const std::vector<std::size_t>& gaps = gapsOf[node];
            std::size_t g = 0;
            for (int top : tops) {
                fill[gaps[g]].push_back(top);
                g = std::min(g + 1, gaps.size() - 1);
            }
        }
        const std::vector<Gap> gaps = m_gaps;
        for (std::size_t i = gaps.size(); i-- > 0;) {
            for (auto top = fill[i].rbegin(); top != fill[i].rend(); ++top) {
                const std::size_t from = m_leaves.size();
                adopt(*top, gaps[i].inherited);
                std::rotate(m_leaves.begin() + std::ptrdiff_t(gaps[i].at),
                            m_leaves.begin() + std::ptrdiff_t(from), m_leaves.end());
            }
        }
    }

    // Adds object `number`, a page or the node above pages, to the leaves.
    void adopt(int number, const Inherited& inherited) {
        if (!m_seen.insert(number))
            return;
        pdf_obj* object = nullptr;
        Kid k;
        const Status read = guarded(m_ctx, [&] {
            object = pdf_new_indirect(m_ctx, m_doc, number, 0);
            k = readKid(m_ctx, object);
        });
        if (object)
            m_adopted.push_back(object); // the leaves refer to it
        if (read && k.isNode)
            walk(object, k, inherit(inherited, k.own));
        else if (read && k.isDict)
            m_leaves.push_back({object, inherit(inherited, k.own)});
    }

    fz_context* m_ctx;
    pdf_document* m_doc;
    const QByteArray& m_file;
    TreeCheck m_check;
    ObjectSet m_seen;
    std::vector<Leaf> m_leaves;
    std::vector<Gap> m_gaps;
    bool m_sound = true;
    std::vector<pdf_obj*> m_adopted;
};

// The media box of the readable page nearest to leaf `at`, or of what it inherits: the size of a page that
// cannot be read is best guessed from its neighbours.
pdf_obj* neighbourMediaBox(fz_context* ctx, const std::vector<Leaf>& leaves, std::size_t at) {
    if (leaves[at].inherited.mediaBox)
        return leaves[at].inherited.mediaBox;
    for (std::size_t distance = 1; distance < leaves.size(); ++distance)
        for (std::size_t i : {at - distance, at + distance})
            if (i < leaves.size() && !leaves[i].unreadable) {
                pdf_obj* box = pdf_dict_get(ctx, leaves[i].page, PDF_NAME(MediaBox));
                return box ? box : leaves[i].inherited.mediaBox;
            }
    return nullptr;
}

// The content streams of `leaves` whose cross-reference entries were flipped to free: MuPDF takes them for
// nothing and shows the page blank, while other readers find them by their headers in the bytes, as this
// does, pointing the entries back at them. Returns whether any was found.
bool restoreFreedContents(fz_context* ctx, pdf_document* doc, const QByteArray& file,
                          const std::vector<Leaf>& leaves) {
    struct Freed {
        int number;
        int generation;
    };
    std::vector<Freed> freed;
    for (const Leaf& leaf : leaves) {
        pdf_obj* contents = nullptr;
        int parts = 0;
        if (leaf.unreadable || !guarded(ctx, [&] {
                contents = pdf_dict_get(ctx, leaf.page, PDF_NAME(Contents));
                parts = pdf_is_array(ctx, contents) ? pdf_array_len(ctx, contents) : 1;
            }))
            continue;
        for (int i = 0; i < parts; ++i) {
            Freed part{0, 0};
            guarded(ctx, [&] {
                pdf_obj* ref = pdf_is_array(ctx, contents) ? pdf_array_get(ctx, contents, i) : contents;
                const int number = pdf_to_num(ctx, ref);
                if (number > 0 && number < pdf_xref_len(ctx, doc) &&
                    pdf_get_xref_entry_no_null(ctx, doc, number)->type == 'f')
                    part = {number, pdf_to_gen(ctx, ref)};
            });
            if (part.number > 0)
                freed.push_back(part);
        }
    }
    bool found = false;
    for (const Freed& part : freed) {
        const std::int64_t offset = raw::lastObjectHeader(file, part.number, part.generation);
        if (offset < 0)
            continue;
        const Status pointed = guarded(ctx, [&] {
            pdf_xref_entry* entry = pdf_get_xref_entry_no_null(ctx, doc, part.number);
            pdf_drop_obj(ctx, entry->obj);
            entry->obj = nullptr;
            entry->type = 'n';
            entry->ofs = offset;
            entry->gen = static_cast<unsigned short>(part.generation);
            entry->num = part.number;
            entry->stm_ofs = 0;
        });
        found = found || pointed.ok();
    }
    return found;
}

// A blank page in the place of one that cannot be read: MuPDF cannot load, show or write an object it cannot
// parse, and every lookup of a later page would fail on it. It takes the unreadable object's own number, so
// that whatever refers to that page (the tree, links, the outline) finds it, and saving can put the file's
// bytes back under the number they were written for; a page past the objects the document numbers (its
// file cut short) gets a number of its own. Returns the page, kept. Throws as MuPDF does; call inside a
// guarded block.
pdf_obj* blankInPlaceOf(fz_context* ctx, pdf_document* doc, pdf_obj* ref, pdf_obj* mediaBox) {
    pdf_obj* page = pdf_new_dict(ctx, doc, 4);
    pdf_obj* placed = nullptr;
    fz_try(ctx) {
        if (mediaBox)
            pdf_dict_put(ctx, page, PDF_NAME(MediaBox), mediaBox);
        else
            pdf_dict_put_rect(ctx, page, PDF_NAME(MediaBox), fz_make_rect(0, 0, 612, 792));
        pdf_dict_put_dict(ctx, page, PDF_NAME(Resources), 0);
        const int number = pdf_to_num(ctx, ref);
        if (number > 0 && number < pdf_xref_len(ctx, doc)) {
            pdf_update_object(ctx, doc, number, page);
            placed = pdf_keep_obj(ctx, ref);
        } else {
            placed = pdf_add_object(ctx, doc, page);
        }
    }
    fz_always(ctx) {
        pdf_drop_obj(ctx, page);
    }
    fz_catch(ctx) {
        fz_rethrow(ctx);
    }
    return placed;
}

// Makes `root` the one node over `leaves`. Each page takes over what it inherited, so it looks the same.
Status flatten(fz_context* ctx, pdf_document* doc, pdf_obj* root, const std::vector<Leaf>& leaves,
               UnreadablePages* unreadable) {
    Status status = guarded(ctx, [&] {
        pdf_dict_del(ctx, root, PDF_NAME(Parent));
        pdf_dict_put_array(ctx, root, PDF_NAME(Kids), int(leaves.size()));
        pdf_dict_put_int(ctx, root, PDF_NAME(Count), int64_t(leaves.size()));
    });
    for (std::size_t i = 0; status && i < leaves.size(); ++i) {
        const Leaf& leaf = leaves[i];
        int number = 0;
        status = guarded(ctx, [&] {
            // A page written inline in a node becomes an object of its own, as every page must be.
            pdf_obj* page = leaf.unreadable
                                ? blankInPlaceOf(ctx, doc, leaf.page, neighbourMediaBox(ctx, leaves, i))
                            : pdf_is_indirect(ctx, leaf.page) ? pdf_keep_obj(ctx, leaf.page)
                                                              : pdf_add_object(ctx, doc, leaf.page);
            number = pdf_to_num(ctx, page);
            const Inherited& in = leaf.inherited;
            if (in.resources && !pdf_dict_get(ctx, page, PDF_NAME(Resources)))
                pdf_dict_put(ctx, page, PDF_NAME(Resources), in.resources);
            if (in.mediaBox && !pdf_dict_get(ctx, page, PDF_NAME(MediaBox)))
                pdf_dict_put(ctx, page, PDF_NAME(MediaBox), in.mediaBox);
            if (in.cropBox && !pdf_dict_get(ctx, page, PDF_NAME(CropBox)))
                pdf_dict_put(ctx, page, PDF_NAME(CropBox), in.cropBox);
            if (in.rotate && !pdf_dict_get(ctx, page, PDF_NAME(Rotate)))
                pdf_dict_put(ctx, page, PDF_NAME(Rotate), in.rotate);
            pdf_dict_put(ctx, page, PDF_NAME(Type), PDF_NAME(Page));
            pdf_dict_put(ctx, page, PDF_NAME(Parent), root);
            pdf_array_push_drop(ctx, pdf_dict_get(ctx, root, PDF_NAME(Kids)), page);
        });
        if (status && leaf.unreadable && unreadable)
            unreadable->emplace(number, leaf.where);
    }
    return status;
}

} // namespace

Status repairPageTree(fz_context* ctx, pdf_document* doc, const QByteArray& file, TreeCheck check,
                      UnreadablePages* unreadable, bool* rebuilt) {
    // The root of a tree MuPDF reads as no dictionary is looked for in the file's bytes, as every kid is; but
    // only taken whole, since what it hands down to every page (resources, media box) would be lost with a
    // node read from its kids. A file left with no page is read as qpdf reads it instead.
    int lostRoot = 0, lostGeneration = 0;
    guarded(ctx, [&] {
        pdf_obj* named = pdf_dict_getp(ctx, pdf_trailer(ctx, doc), "Root/Pages");
        if (pdf_is_indirect(ctx, named) && !pdf_is_dict(ctx, named)) {
            lostRoot = pdf_to_num(ctx, named);
            lostGeneration = pdf_to_gen(ctx, named);
        }
    });
    UnreadablePage where;
    if (lostRoot > 0)
        findKidInFile(ctx, doc, file, lostRoot, lostGeneration, &where, false);
    pdf_obj* root = nullptr;
    Kid rootKid;
    Status status = guarded(ctx, [&] {
        pdf_obj* catalog = pdf_dict_get(ctx, pdf_trailer(ctx, doc), PDF_NAME(Root));
        root = pdf_dict_get(ctx, catalog, PDF_NAME(Pages));
        if (!pdf_is_dict(ctx, root) && pdf_is_dict(ctx, catalog)) {
            // No tree at all: an empty one, so the document is simply without pages.
            root = pdf_add_new_dict(ctx, doc, 3);
            pdf_dict_put_drop(ctx, catalog, PDF_NAME(Pages), root);
            pdf_dict_put(ctx, root, PDF_NAME(Type), PDF_NAME(Pages));
            pdf_dict_put_array(ctx, root, PDF_NAME(Kids), 0);
            pdf_dict_put_int(ctx, root, PDF_NAME(Count), 0);
        }
        rootKid = readKid(ctx, root);
    });
    if (!status)
        return status;
    if (!rootKid.isDict)
        return Error{Error::Kind::Damaged, QStringLiteral("The document has no page tree.")};
    bool sound = rootKid.isNode && !rootKid.parent;
    std::vector<Leaf> leaves;
    // Pages taken from the file's objects are referred to by the walk that found them.
    std::optional<TreeWalk> walk;
    if (rootKid.isNode) {
        leaves = walk.emplace(ctx, doc, file, check).pages(root, rootKid);
        sound = sound && walk->sound();
        if (!sound && check == TreeCheck::CountsAndKids) // rebuilt from what its pages really are
            leaves = walk.emplace(ctx, doc, file, TreeCheck::Full).pages(root, rootKid);
    } else {
        leaves.push_back({root, rootKid.own}); // the catalog names a single page as its tree
    }
    const bool restored =
        (check == TreeCheck::Full || !sound) && restoreFreedContents(ctx, doc, file, leaves);
    if (rebuilt)
        *rebuilt = !sound || restored;
    if (sound)
        return {};
    // The old tree holds the pages written inline and what they inherit: it stays alive until they are moved.
    pdf_obj* oldRoot = nullptr;
    pdf_obj* oldKids = nullptr;
    status = guarded(ctx, [&] {
        oldRoot = pdf_keep_obj(ctx, root);
        oldKids = pdf_keep_obj(ctx, pdf_dict_get(ctx, root, PDF_NAME(Kids)));
        if (!rootKid.isNode) {
            root = pdf_add_new_dict(ctx, doc, 3);
            pdf_dict_put_drop(ctx, pdf_dict_get(ctx, pdf_trailer(ctx, doc), PDF_NAME(Root)), PDF_NAME(Pages),
                              root);
            pdf_dict_put(ctx, root, PDF_NAME(Type), PDF_NAME(Pages));
        }
    });
    if (status)
        status = flatten(ctx, doc, root, leaves, unreadable);
    pdf_drop_obj(ctx, oldKids);
    pdf_drop_obj(ctx, oldRoot);
    return status;
}

} // namespace zepla::pdf
