// Threads of long background work (recognition, redaction) give way to the UI thread: on a busy machine a
// window waiting for a processor behind its own workers stops answering as surely as a blocked one.
#pragma once

namespace zepla::platform {

// Lowers the calling thread's scheduling priority, once per thread; later calls do nothing.
void giveWayToTheInterface();

} // namespace zepla::platform
