#include "core/MemoryRelease.h"

#include <malloc.h>

namespace zepla::platform {

void returnFreeMemory() {
    malloc_trim(0);
}

} // namespace zepla::platform
