// A pool the atoms and displays of one large formula are taken from.
#include "mathlist/MTNodePool.h"

#include <sys/mman.h>

#include <cstdint>
#include <new>

namespace zepla::math {

namespace {

// One huge page on x86-64; blocks are aligned to it so that the kernel can back each with one.
constexpr std::size_t kBlockSize = std::size_t(2) << 20;

thread_local MTNodePool* t_current = nullptr;

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

MTNodePool::Scope::Scope(bool large) {
    if (!large || t_current)
        return;
    m_pool = new MTNodePool;
    t_current = m_pool;
}

MTNodePool::Scope::~Scope() {
    if (!m_pool)
        return;
    t_current = nullptr;
    m_pool->release();
}

MTNodePool::~MTNodePool() {
    for (void* block : m_blocks)
        munmap(block, kBlockSize);
}

MTNodePool* MTNodePool::current() {
    return t_current;
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
