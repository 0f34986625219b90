// How long the event loop is kept busy: a 1 ms timer notes the gaps between its ticks while work runs on
// the same loop, and how much of each gap the thread spent on the processor (on a loaded machine a gap can
// be long while the thread waits for a core). Shared by the benchmarks that report UI stalls.
#pragma once

#include "ThreadTime.h"

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <vector>

class StallProbe {
public:
    struct Figures {
        double longestMs = 0;
        double p99Ms = 0;
        int overFrame = 0;        // gaps longer than a frame
        double longestBusyMs = 0; // the most processor time of this thread within one gap
    };

    StallProbe() {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            m_gaps.push_back(double(m_sinceTick.nsecsElapsed()) / 1e6);
            m_sinceTick.restart();
            const double busy = threadProcessorMilliseconds();
            m_longestBusy = std::max(m_longestBusy, busy - m_busyAtTick);
            m_busyAtTick = busy;
        });
    }

    void start() {
        m_gaps.clear();
        m_longestBusy = 0;
        m_busyAtTick = threadProcessorMilliseconds();
        m_sinceTick.start();
        m_timer.start();
    }

    Figures stop(double frameMs) {
        m_timer.stop();
        Figures figures;
        figures.longestBusyMs = m_longestBusy;
        std::sort(m_gaps.begin(), m_gaps.end());
        if (!m_gaps.empty()) {
            figures.longestMs = m_gaps.back();
            figures.p99Ms = m_gaps[m_gaps.size() * 99 / 100];
            figures.overFrame =
                int(std::count_if(m_gaps.begin(), m_gaps.end(), [frameMs](double g) { return g > frameMs; }));
        }
        return figures;
    }

private:
    QTimer m_timer;
    double m_longestBusy = 0;
    double m_busyAtTick = 0;
    QElapsedTimer m_sinceTick;
    std::vector<double> m_gaps;
};
