#include "ByteRoom.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace zepla::pdf {

namespace {

// Below this the pages are few and the call costs more than their faults.
constexpr qsizetype kWorthMapping = 64 * 1024;

} // namespace

void reserveMapped(QByteArray& bytes, qsizetype size) {
    bytes.reserve(size);
    if (bytes.capacity() - bytes.size() < kWorthMapping)
        return;
    const auto page = std::uintptr_t(sysconf(_SC_PAGESIZE));
    const auto free = reinterpret_cast<std::uintptr_t>(bytes.data() + bytes.size());
    const auto end = reinterpret_cast<std::uintptr_t>(bytes.data() + bytes.capacity());
    const std::uintptr_t first = (free + page - 1) & ~(page - 1);
    const std::uintptr_t last = end & ~(page - 1);
    if (last > first)
        madvise(reinterpret_cast<void*>(first), last - first, MADV_POPULATE_WRITE);
}

} // namespace zepla::pdf
