// Threads of long background work (recognition, redaction) give way to the UI thread: on a busy machine a
// window waiting for a processor behind its own workers stops answering as surely as a blocked one.
#pragma once

namespace zepla::platform {

// Niceness added to a worker: enough for the UI thread to win a processor at once, not so much that the work
// starves behind other programs.
constexpr int workerNiceness = 5;

// Lowers the calling thread's scheduling priority by `workerNiceness`, once per thread; later calls do
// nothing.
void giveWayToTheInterface();

} // namespace zepla::platform
