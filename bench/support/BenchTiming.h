// Timing the benchmarks share: the best of several runs, alone or taking turns with a peer.
#pragma once

#include <QElapsedTimer>

#include <algorithm>
#include <functional>
#include <limits>
#include <vector>

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

// The best time of each side, in nanoseconds (at least 1): every side runs once to warm up, then they take
// turns, each round starting with the next side, for at least five rounds and half a second per side.
inline std::vector<qint64> alternatingBestNanoseconds(const std::vector<std::function<void()>>& sides) {
    const size_t count = sides.size();
    for (const auto& side : sides)
        side();
    std::vector<qint64> best(count, std::numeric_limits<qint64>::max());
    QElapsedTimer total;
    total.start();
    for (size_t round = 0; round < 5 || total.elapsed() < qint64(500 * count); ++round) {
        for (size_t turn = 0; turn < count; ++turn) {
            const size_t side = (round + turn) % count;
            QElapsedTimer once;
            once.start();
            sides[side]();
            best[side] = std::min(best[side], once.nsecsElapsed());
        }
    }
    for (qint64& time : best)
        time = std::max<qint64>(time, 1);
    return best;
}

// Runs both sides once, each round starting with the other one, for peers too slow to time in a loop here.
inline void runBothInTurn(int round, const std::function<void()>& one, const std::function<void()>& other) {
    (round % 2 == 0 ? one : other)();
    (round % 2 == 0 ? other : one)();
}

// Megabytes of input per second at a time in nanoseconds.
inline double megabytesPerSecond(qsizetype bytes, qint64 nanoseconds) {
    return double(bytes) / 1e6 / (double(nanoseconds) / 1e9);
}
