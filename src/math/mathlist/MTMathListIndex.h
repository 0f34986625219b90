// A position inside a math list tree: an atom of a list and, recursively, a position
// inside one of that atom's parts. Value-like: equality, hashing, a textual form.
#pragma once

#include <QString>

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>

namespace zepla::math {

class MTMathListIndex {
public:
    // The part of an atom that a sub-index points into.
    enum class MTMathListSubIndexType : int {
        none = 0,
        nucleus = 1,
        superscript = 2,
        ssubscript = 3,
        numerator = 4,
        denominator = 5,
        radicand = 6,
        degree = 7,
    };
    static std::optional<MTMathListSubIndexType> subIndexTypeFromRaw(int raw);

    // The atom at `index` in the top list: kind none, no sub-index.
    explicit MTMathListIndex(qsizetype level0Index);
    // The atom at `index` whose part `kind` holds the position `subIndex` (may be none).
    MTMathListIndex(qsizetype index, std::shared_ptr<MTMathListIndex> subIndex, MTMathListSubIndexType kind);

    qsizetype atomIndex() const { return m_atomIndex; }
    MTMathListSubIndexType subIndexType() const { return m_subIndexType; }
    const std::shared_ptr<MTMathListIndex>& subIndex() const { return m_subIndex; }

    // "[3]" without a sub-index, "[1, 2:[0]]" with one.
    QString description() const;
    // Atom indices and kinds equal, and both sub-indices absent or both present and equal.
    bool operator==(const MTMathListIndex& other) const;
    bool operator!=(const MTMathListIndex& other) const { return !(*this == other); }
    // Feeds the atom index, the kind, then 0, or 1 followed by the sub-index's hash.
    std::size_t hash() const;

private:
    qsizetype m_atomIndex = 0;
    MTMathListSubIndexType m_subIndexType = MTMathListSubIndexType::none;
    std::shared_ptr<MTMathListIndex> m_subIndex;
};

inline std::size_t qHash(const MTMathListIndex& index, std::size_t seed = 0) { return index.hash() ^ seed; }

} // namespace zepla::math

template <>
struct std::hash<zepla::math::MTMathListIndex> {
    std::size_t operator()(const zepla::math::MTMathListIndex& index) const noexcept { return index.hash(); }
};
