// The page tree as it really is: damaged files claim page counts they do not have, hold null or looping kids,
// or nest absurdly deep. MuPDF trusts the root's /Count, so a tree that is not sound is rebuilt as one flat
// node over the pages that really exist, before anything counts or walks it.
#include "PdfDocumentImpl.h"

#include <algorithm>
#include <unordered_set>
#include <vector>

namespace zepla::pdf {

namespace {

// Deeper trees than this are flattened: MuPDF walks them recursively.
constexpr int maxTreeDepth = 32;

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
    pdf_obj* parent; // the node it was found under
    Inherited inherited;
    bool unreadable = false; // an object that names a page but cannot be parsed
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

// A reference to an object of the file that is there but cannot be parsed (MuPDF reads it as null); a
// reference to nothing, or to a free object, is not.
bool isUnparseable(fz_context* ctx, pdf_document* doc, pdf_obj* kid) {
    if (!pdf_is_indirect(ctx, kid))
        return false;
    const int number = pdf_to_num(ctx, kid);
    bool inFile = false;
    guarded(ctx, [&] { inFile = number > 0 && number < pdf_xref_len(ctx, doc); });
    if (!inFile)
        return false;
    pdf_obj* object = nullptr;
    const Status loaded = guarded(ctx, [&] { object = pdf_load_object(ctx, doc, number); });
    pdf_drop_obj(ctx, object);
    return !loaded;
}

// Every page under `root` in reading order, each once. `sound` stays true only when the tree already says
// exactly that: true counts, no bad or repeated kids, parents that point back, a reasonable depth.
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
        leaves.push_back({kid, top.node, top.inherited});
    return true;
}

std::vector<Leaf> collectPages(fz_context* ctx, pdf_document* doc, pdf_obj* root, const Kid& rootKid,
                               TreeCheck check, bool& sound) {
    std::vector<Leaf> leaves;
    std::vector<Visit> stack;
    int objects = 0;
    guarded(ctx, [&] { objects = pdf_xref_len(ctx, doc); });
    ObjectSet seen(objects);
    // Room for the pages the tree claims, as far as the file has objects for them.
    leaves.reserve(std::size_t(std::clamp(rootKid.claimedCount, 0, objects)));
    seen.insert(rootKid.number);
    stack.push_back({root, 0, inherit({}, rootKid.own), rootKid.kidCount, 0, rootKid.claimedCount, 0});
    while (!stack.empty()) {
        Visit& top = stack.back();
        if (top.nextKid == top.kidCount) {
            if (std::size_t(top.claimedCount) != leaves.size() - top.firstLeaf)
                sound = false;
            stack.pop_back();
            continue;
        }
        if (check == TreeCheck::CountsAndKids && top.nextKid == 0 &&
            takeKidsAsLeaves(ctx, doc, top, seen, leaves)) {
            top.nextKid = top.kidCount;
            continue;
        }
        const int at = top.nextKid++;
        pdf_obj* kid = nullptr;
        Kid k;
        bool parentPointsBack = false;
        pdf_obj* node = top.node;
        const Status read = guarded(ctx, [&] {
            kid = pdf_array_get(ctx, pdf_dict_get(ctx, node, PDF_NAME(Kids)), at);
            k = readKid(ctx, kid);
            parentPointsBack = k.isDict && sameObject(ctx, k.parent, node);
        });
        if (((!read && kid) || (read && !k.isDict)) && isUnparseable(ctx, doc, kid) &&
            seen.insert(pdf_to_num(ctx, kid))) {
            // The page is there but cannot be read (absurd nesting, a damaged dictionary): it keeps its
            // place.
            sound = false;
            leaves.push_back({kid, node, top.inherited, true});
            continue;
        }
        if (!read || !k.isDict || (k.number > 0 && !seen.insert(k.number))) {
            sound = false;
            continue;
        }
        if (!parentPointsBack)
            sound = false;
        const Inherited inherited = inherit(top.inherited, k.own);
        if (!k.isNode) {
            leaves.push_back({kid, node, inherited});
            continue;
        }
        const int depth = top.depth + 1;
        if (depth > maxTreeDepth)
            sound = false;
        stack.push_back({kid, depth, inherited, k.kidCount, 0, k.claimedCount, leaves.size()});
    }
    return leaves;
}

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

// A blank page in the place of one that cannot be read: MuPDF cannot load, show or write an object it cannot
// parse, and every lookup of a later page would fail on it. It takes the unreadable object's own number, so
// that whatever refers to that page (the tree, links, the outline) finds it, and saving can put the file's
// bytes back under the number they were written for. Where the file holds the object is noted in `where`
// first, as the blank page hides it.
void blankInPlaceOf(fz_context* ctx, pdf_document* doc, pdf_obj* ref, pdf_obj* mediaBox,
                    UnreadablePage* where) {
    const int number = pdf_to_num(ctx, ref);
    const pdf_xref_entry* entry = pdf_get_xref_entry_no_null(ctx, doc, number);
    if (entry->type == 'n')
        *where = {entry->gen, entry->ofs};
    pdf_obj* page = pdf_new_dict(ctx, doc, 4);
    fz_try(ctx) {
        if (mediaBox)
            pdf_dict_put(ctx, page, PDF_NAME(MediaBox), mediaBox);
        else
            pdf_dict_put_rect(ctx, page, PDF_NAME(MediaBox), fz_make_rect(0, 0, 612, 792));
        pdf_dict_put_dict(ctx, page, PDF_NAME(Resources), 0);
        pdf_update_object(ctx, doc, number, page);
    }
    fz_always(ctx) {
        pdf_drop_obj(ctx, page);
    }
    fz_catch(ctx) {
        fz_rethrow(ctx);
    }
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
        UnreadablePage where;
        status = guarded(ctx, [&] {
            if (leaf.unreadable)
                blankInPlaceOf(ctx, doc, leaf.page, neighbourMediaBox(ctx, leaves, i), &where);
            // A page written inline in a node becomes an object of its own, as every page must be.
            pdf_obj* page = pdf_is_indirect(ctx, leaf.page) ? pdf_keep_obj(ctx, leaf.page)
                                                            : pdf_add_object(ctx, doc, leaf.page);
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
            unreadable->emplace(pdf_to_num(ctx, leaf.page), where);
    }
    return status;
}

} // namespace

Status repairPageTree(fz_context* ctx, pdf_document* doc, TreeCheck check, UnreadablePages* unreadable) {
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
    if (rootKid.isNode) {
        leaves = collectPages(ctx, doc, root, rootKid, check, sound);
        if (!sound && check == TreeCheck::CountsAndKids) // rebuilt from what its pages really are
            leaves = collectPages(ctx, doc, root, rootKid, TreeCheck::Full, sound);
    } else {
        leaves.push_back({root, nullptr, rootKid.own}); // the catalog names a single page as its tree
    }
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
