// Giving freed memory back to the system: the C library keeps the heap pages it freed for later use, so a
// closed document's memory would stay counted against the program until something else reused it.
#pragma once

namespace zepla::platform {

// How long the pools of drawing workers keep an idle worker. A worker that has drawn holds a MuPDF context of
// its own and the pages of its stack; a closed document's workers leave soon after their last drawing.
constexpr int idleWorkerExpiryMs = 1000;

// Hands the free pages of every heap arena back to the system.
void returnFreeMemory();

// Caps the heap arenas the C library makes for threads, and gives large blocks pages of their own. Render,
// thumbnail and recognition workers come and go, and each new thread would otherwise get an arena of its own
// whose pages stay with the program after a closed document's images are freed. Call first thing in main.
void limitHeapArenas();

} // namespace zepla::platform
