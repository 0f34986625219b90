#include "core/WorkerPriority.h"

#include <sys/resource.h>
#include <unistd.h>

namespace zepla::platform {

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
