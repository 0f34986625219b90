#include "ByteRoom.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>

namespace zepla::pdf {

namespace {

// Below this the pages are few and the call costs more than their faults.
constexpr qsizetype kWorthMapping = 64 * 1024;
// Room is often reserved generously; past this much, pages are left to be mapped as they are written, so a
// large file's save does not hold memory it may never use.
constexpr std::uintptr_t kMappedAtMost = 32 * 1024 * 1024;

} // namespace

void reserveMapped(QByteArray& bytes, qsizetype size) {
    bytes.reserve(size);
    if (bytes.capacity() - bytes.size() < kWorthMapping)
        return;
    const auto page = std::uintptr_t(sysconf(_SC_PAGESIZE));
    const auto free = reinterpret_cast<std::uintptr_t>(bytes.data() + bytes.size());
    const auto end = reinterpret_cast<std::uintptr_t>(bytes.data() + bytes.capacity());
    const std::uintptr_t first = (free + page - 1) & ~(page - 1);
    const std::uintptr_t last = std::min(end, first + kMappedAtMost) & ~(page - 1);
    if (last > first)
        madvise(reinterpret_cast<void*>(first), last - first, MADV_POPULATE_WRITE);
}

} // namespace zepla::pdf
