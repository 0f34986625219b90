#include "core/WorkerPriority.h"

#include <sys/resource.h>
#include <unistd.h>

namespace zepla::platform {

namespace {

// Niceness added to a worker: enough for the UI thread to win a processor at once, not so much that the work
// starves behind other programs.
constexpr int workerNiceness = 5;

} // namespace

void giveWayToTheInterface() {
    thread_local bool lowered = false;
    if (lowered)
        return;
    lowered = true;
    // On Linux the niceness belongs to the thread named by its id.
    const id_t thread = id_t(gettid());
    setpriority(PRIO_PROCESS, thread, getpriority(PRIO_PROCESS, thread) + workerNiceness);
}

} // namespace zepla::platform
