// A pool the atoms and displays of one large formula are taken from: big blocks the system may back with
// huge pages, instead of one heap allocation per node. A formula of a megabyte has hundreds of thousands of
// nodes, and on some machines touching that many fresh small pages costs more than the layout itself.
//
// A parse or a layout opens a scope on its thread. Its first nodes come from the heap as usual (make() is
// make_shared then); once it has made kNodesBeforePool of them, a pool opens and takes the rest, so small
// formulas never see one. The pool never reuses memory: it goes away as a whole once the scope has closed
// and the last of its nodes is gone, whichever thread lets that node go.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <vector>

namespace zepla::math {

class MTNodePool {
public:
    static constexpr std::size_t kNodesBeforePool = 16384;

    // Scopes nest: the outermost one on a thread counts the nodes and owns the pool.
    class Scope {
    public:
        Scope();
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;
    };

    template <class T, class... Args> static std::shared_ptr<T> make(Args&&... args) {
        if (MTNodePool* pool = current())
            return std::allocate_shared<T>(Allocator<T>(pool), std::forward<Args>(args)...);
        return std::make_shared<T>(std::forward<Args>(args)...);
    }

    MTNodePool(const MTNodePool&) = delete;
    MTNodePool& operator=(const MTNodePool&) = delete;

private:
    template <class T> struct Allocator {
        using value_type = T;
        explicit Allocator(MTNodePool* pool) : pool(pool) {}
        template <class U> Allocator(const Allocator<U>& other) : pool(other.pool) {}
        T* allocate(std::size_t n) { return static_cast<T*>(pool->allocate(n * sizeof(T), alignof(T))); }
        void deallocate(T*, std::size_t) { pool->release(); }
        friend bool operator==(const Allocator& a, const Allocator& b) { return a.pool == b.pool; }

        MTNodePool* pool;
    };

    MTNodePool() = default;
    ~MTNodePool();

    // The pool of this thread's open scope, opened when the scope has made enough nodes; none outside a scope
    // and for a scope's first nodes.
    static MTNodePool* current();
    void* allocate(std::size_t size, std::size_t alignment);
    // Lets one node (or the scope) go; the last one frees the pool.
    void release();

    // The open scope and every live node.
    std::atomic<std::size_t> m_users{1};
    std::vector<void*> m_blocks;
    char* m_next = nullptr;
    char* m_end = nullptr;
};

} // namespace zepla::math
