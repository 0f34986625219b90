// Giving freed memory back to the system: the C library keeps the heap pages it freed for later use, so a
// closed document's memory would stay counted against the program until something else reused it.
#pragma once

namespace zepla::platform {

// Hands the free pages of every heap arena back to the system.
void returnFreeMemory();

} // namespace zepla::platform
