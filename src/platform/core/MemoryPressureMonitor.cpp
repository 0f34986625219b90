#include "core/MemoryPressureMonitor.h"

#include <QCoreApplication>
#include <QFile>

#include <optional>

namespace zepla::platform {

namespace {

constexpr int kPollIntervalMs = 2000;

struct MemoryReading {
    std::optional<double> stallPercent;
    std::optional<double> availableFraction;
};

QByteArray readSmallFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// The value after "key" on the first line that starts with lineStart, as in "some avg10=1.23 avg60=...".
std::optional<double> numberAfter(const QByteArray& text, const QByteArray& lineStart,
                                  const QByteArray& key) {
    for (const QByteArray& line : text.split('\n')) {
        if (!line.startsWith(lineStart))
            continue;
        const qsizetype at = line.indexOf(key);
        if (at < 0)
            return std::nullopt;
        bool ok = false;
        const double value = line.mid(at + key.size()).trimmed().split(' ').value(0).toDouble(&ok);
        return ok ? std::optional(value) : std::nullopt;
    }
    return std::nullopt;
}

std::optional<double> availableFraction(const QByteArray& meminfo) {
    const auto total = numberAfter(meminfo, "MemTotal:", "MemTotal:");
    const auto available = numberAfter(meminfo, "MemAvailable:", "MemAvailable:");
    if (!total || !available || *total <= 0)
        return std::nullopt;
    return *available / *total;
}

MemoryReading readMemory(const MemoryPressureSources& sources) {
    return {numberAfter(readSmallFile(sources.psiPath), "some ", "avg10="),
            availableFraction(readSmallFile(sources.meminfoPath))};
}

bool entersPressure(const MemoryReading& reading, const MemoryPressureSources& sources) {
    return (reading.stallPercent && *reading.stallPercent > sources.enterStallPercent) ||
           (reading.availableFraction && *reading.availableFraction < sources.enterAvailableFraction);
}

// Pressure has left only when something could be read and every readable figure is well clear of it.
bool leftPressure(const MemoryReading& reading, const MemoryPressureSources& sources) {
    if (!reading.stallPercent && !reading.availableFraction)
        return false;
    return (!reading.stallPercent || *reading.stallPercent < sources.leaveStallPercent) &&
           (!reading.availableFraction || *reading.availableFraction > sources.leaveAvailableFraction);
}

} // namespace

MemoryPressureMonitor& MemoryPressureMonitor::shared() {
    static auto* const monitor = new MemoryPressureMonitor();
    return *monitor;
}

MemoryPressureMonitor::MemoryPressureMonitor(MemoryPressureSources sources) : m_sources(std::move(sources)) {
    m_timer.setInterval(kPollIntervalMs);
    m_timer.callOnTimeout([this] { poll(); });
    // The first use may come from any thread; polling and the handlers belong to the main thread.
    if (const QCoreApplication* app = QCoreApplication::instance())
        m_timer.moveToThread(app->thread());
    QMetaObject::invokeMethod(&m_timer, [this] { m_timer.start(); });
}

void MemoryPressureMonitor::onPressure(std::function<void()> handler) {
    m_handlers.push_back(std::move(handler));
}

void MemoryPressureMonitor::poll() {
    const MemoryReading reading = readMemory(m_sources);
    if (!m_underPressure && entersPressure(reading, m_sources)) {
        m_underPressure = true;
        broadcast();
    } else if (m_underPressure && leftPressure(reading, m_sources)) {
        m_underPressure = false;
    }
}

void MemoryPressureMonitor::simulatePressureEvent() {
    broadcast();
}

void MemoryPressureMonitor::broadcast() {
    // A handler registered by a handler joins from the next event on, so walk a copy.
    const std::vector<std::function<void()>> handlers = m_handlers;
    for (const auto& handler : handlers)
        handler();
}

} // namespace zepla::platform
