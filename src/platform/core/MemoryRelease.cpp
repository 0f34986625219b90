#include "core/MemoryRelease.h"

#include <malloc.h>

namespace zepla::platform {

namespace {

// Enough for the workers rendering at one time; measured by bench_closing, which holds steady with three and
// grows by a half or more over a few closed documents with the library's default.
constexpr int heapArenas = 3;

} // namespace

void returnFreeMemory() {
    malloc_trim(0);
}

void limitHeapArenas() {
    mallopt(M_ARENA_MAX, heapArenas);
}

} // namespace zepla::platform
