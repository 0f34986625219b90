// The timing the Markdown benchmarks share: the best of several runs.
#pragma once

#include <QElapsedTimer>

#include <algorithm>
#include <functional>
#include <limits>

// The best time of at least five runs filling half a second, in nanoseconds (at least 1).
inline qint64 bestNanoseconds(const std::function<void()>& run) {
    QElapsedTimer total;
    total.start();
    qint64 best = std::numeric_limits<qint64>::max();
    for (int runs = 0; runs < 5 || total.elapsed() < 500; ++runs) {
        QElapsedTimer once;
        once.start();
        run();
        best = std::min(best, once.nsecsElapsed());
    }
    return std::max<qint64>(best, 1);
}

// Megabytes of input per second at the best time.
inline double megabytesPerSecond(qsizetype bytes, const std::function<void()>& run) {
    return double(bytes) / 1e6 / (double(bestNanoseconds(run)) / 1e9);
}
