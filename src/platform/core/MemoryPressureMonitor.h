// The application-wide memory-pressure broadcaster: caches register handlers that empty them.
#pragma once

#include <QString>
#include <QTimer>

#include <functional>
#include <vector>

namespace zepla::platform {

// Where the monitor reads the system's memory state, and when it calls that state pressure. Entering and
// leaving thresholds differ so that a reading hovering around one value does not report again and again.
struct MemoryPressureSources {
    QString psiPath = QStringLiteral("/proc/pressure/memory");
    QString meminfoPath = QStringLiteral("/proc/meminfo");
    // The "some avg10" figure: percent of the last ten seconds in which some task stalled waiting for memory.
    double enterStallPercent = 10.0;
    double leaveStallPercent = 2.0;
    // MemAvailable as a fraction of MemTotal.
    double enterAvailableFraction = 0.05;
    double leaveAvailableFraction = 0.10;
};

// Linux tells ordinary processes nothing about memory pressure, so the monitor polls the kernel's figures
// every two seconds on the main thread. It reports once on entering pressure, and again only after the
// pressure has clearly gone and come back. A figure that cannot be read is left out silently; with neither
// readable the monitor never reports.
//
// Handlers run on the main thread, one after another in order of registration, and are never removed.
// Registration and the test hook belong to the main thread too.
class MemoryPressureMonitor {
public:
    // The one monitor of the application, made on first use and never destroyed. Needs a QCoreApplication.
    static MemoryPressureMonitor& shared();

    explicit MemoryPressureMonitor(MemoryPressureSources sources = {});
    MemoryPressureMonitor(const MemoryPressureMonitor&) = delete;
    MemoryPressureMonitor& operator=(const MemoryPressureMonitor&) = delete;

    void onPressure(std::function<void()> handler);

    // Reads the figures once and reports when pressure has just begun; the timer calls this.
    void poll();

    // Calls every handler as a real pressure event would.
    void simulatePressureEvent();

private:
    void broadcast();

    MemoryPressureSources m_sources;
    std::vector<std::function<void()>> m_handlers;
    bool m_underPressure = false;
    QTimer m_timer;
};

} // namespace zepla::platform
