#include "core/MemoryRelease.h"

#include <malloc.h>

namespace zepla::platform {

namespace {

// Enough for the workers rendering at one time; measured by bench_closing, which holds steady with three and
// grows by a half or more over a few closed documents with the library's default.
constexpr int heapArenas = 3;

// Blocks this large or larger (page tiles, thumbnails, decoded pictures) get pages of their own, given back
// the moment they are freed. Left to itself the C library raises this bound to the largest block freed so
// far, up to 32 MB, and the trimming bound with it, after which a worker's arena keeps tens of megabytes of
// freed tiles at its top for good: trimming reaches the top of the main arena only.
constexpr int ownPagesFrom = 256 << 10;

} // namespace

void returnFreeMemory() {
    malloc_trim(0);
}

void limitHeapArenas() {
    mallopt(M_ARENA_MAX, heapArenas);
    mallopt(M_MMAP_THRESHOLD, ownPagesFrom);
}

} // namespace zepla::platform
