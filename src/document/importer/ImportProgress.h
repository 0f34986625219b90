// How a conversion running on a worker reports how far it got and learns that it should stop.
#pragma once

#include <atomic>
#include <functional>

namespace zepla::document {

struct ImportProgress {
    // A fraction from 0 to 1, or a negative number while the amount of work is unknown. Called on the worker.
    std::function<void(double)> report;
    const std::atomic<bool>* cancelled = nullptr;

    void operator()(double fraction) const {
        if (report)
            report(fraction);
    }
    bool isCancelled() const { return cancelled && cancelled->load(); }
};

} // namespace zepla::document
