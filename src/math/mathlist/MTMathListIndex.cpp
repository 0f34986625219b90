#include "mathlist/MTMathListIndex.h"

namespace zepla::math {

namespace {
inline void combine(std::size_t& h, std::size_t v) { h ^= v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2); }
} // namespace

std::optional<MTMathListIndex::MTMathListSubIndexType> MTMathListIndex::subIndexTypeFromRaw(int raw) {
    if (raw >= 0 && raw <= 7)
        return static_cast<MTMathListSubIndexType>(raw);
    return std::nullopt;
}

MTMathListIndex::MTMathListIndex(qsizetype level0Index) : m_atomIndex(level0Index) {}

MTMathListIndex::MTMathListIndex(qsizetype index, std::shared_ptr<MTMathListIndex> subIndex,
                                 MTMathListSubIndexType kind)
    : m_atomIndex(index), m_subIndexType(kind), m_subIndex(std::move(subIndex)) {}

QString MTMathListIndex::description() const {
    if (!m_subIndex)
        return QStringLiteral("[%1]").arg(m_atomIndex);
    return QStringLiteral("[%1, %2:%3]")
        .arg(m_atomIndex)
        .arg(static_cast<int>(m_subIndexType))
        .arg(m_subIndex->description());
}

bool MTMathListIndex::operator==(const MTMathListIndex& other) const {
    if (m_atomIndex != other.m_atomIndex || m_subIndexType != other.m_subIndexType)
        return false;
    if (!m_subIndex || !other.m_subIndex)
        return !m_subIndex && !other.m_subIndex;
    return *m_subIndex == *other.m_subIndex;
}

std::size_t MTMathListIndex::hash() const {
    std::size_t h = 0;
    for (const MTMathListIndex* i = this; i; i = i->m_subIndex.get()) {
        combine(h, std::hash<qsizetype>()(i->m_atomIndex));
        combine(h, static_cast<std::size_t>(i->m_subIndexType));
        combine(h, i->m_subIndex ? 1 : 0);
    }
    return h;
}

} // namespace zepla::math
