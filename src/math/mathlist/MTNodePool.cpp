// A pool the atoms and displays of one large formula are taken from.
#include "mathlist/MTNodePool.h"

#include <sys/mman.h>

#include <cstdint>
#include <new>
#include <utility>

namespace zepla::math {

namespace {

// One huge page on x86-64; blocks are aligned to it so that the kernel can back each with one.
constexpr std::size_t kBlockSize = std::size_t(2) << 20;

// The scopes open on this thread, the nodes the outermost one has made and its pool once opened.
struct ScopeState {
    int depth = 0;
    std::size_t nodes = 0;
    MTNodePool* pool = nullptr;
};
thread_local ScopeState t_scope;

void* mapBlock() {
    void* mapped = mmap(nullptr, 2 * kBlockSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = (start + kBlockSize - 1) & ~(kBlockSize - 1);
    if (aligned > start)
        munmap(mapped, aligned - start);
    if (const std::uintptr_t tail = start + 2 * kBlockSize - (aligned + kBlockSize); tail > 0)
        munmap(reinterpret_cast<void*>(aligned + kBlockSize), tail);
    void* block = reinterpret_cast<void*>(aligned);
    // Only advice: without huge pages the block works the same.
    madvise(block, kBlockSize, MADV_HUGEPAGE);
    return block;
}

} // namespace

MTNodePool::Scope::Scope() {
    if (t_scope.depth++ == 0)
        t_scope.nodes = 0;
}

MTNodePool::Scope::~Scope() {
    if (--t_scope.depth > 0 || !t_scope.pool)
        return;
    MTNodePool* pool = std::exchange(t_scope.pool, nullptr);
    pool->release();
}

MTNodePool::~MTNodePool() {
    for (void* block : m_blocks)
        munmap(block, kBlockSize);
}

MTNodePool* MTNodePool::current() {
    if (t_scope.depth == 0)
        return nullptr;
    if (!t_scope.pool && ++t_scope.nodes > kNodesBeforePool)
        t_scope.pool = new MTNodePool;
    return t_scope.pool;
}

void* MTNodePool::allocate(std::size_t size, std::size_t alignment) {
    if (size > kBlockSize / 4)
        throw std::bad_alloc();
    auto next = reinterpret_cast<std::uintptr_t>(m_next);
    next = (next + alignment - 1) & ~(alignment - 1);
    if (!m_next || next + size > reinterpret_cast<std::uintptr_t>(m_end)) {
        m_blocks.push_back(mapBlock());
        m_next = static_cast<char*>(m_blocks.back());
        m_end = m_next + kBlockSize;
        next = reinterpret_cast<std::uintptr_t>(m_next);
    }
    m_next = reinterpret_cast<char*>(next + size);
    m_users.fetch_add(1, std::memory_order_relaxed);
    return reinterpret_cast<void*>(next);
}

void MTNodePool::release() {
    if (m_users.fetch_sub(1, std::memory_order_acq_rel) == 1)
        delete this;
}

} // namespace zepla::math
