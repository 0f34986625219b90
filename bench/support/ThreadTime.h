// Processor time of the calling thread, which tells work from waiting for a core on a loaded machine.
#pragma once

#include <ctime>

inline double threadProcessorMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}
