// The memory-pressure monitor: handler order, and reports from pressure figures with hysteresis.
#include "core/MemoryPressureMonitor.h"

#include <QTemporaryDir>
#include <QTest>

using zepla::platform::MemoryPressureMonitor;
using zepla::platform::MemoryPressureSources;

namespace {

const QByteArray kMissing = "<missing>";

QByteArray psiText(double stallPercent) {
    return QStringLiteral("some avg10=%1 avg60=0.00 avg300=0.00 total=0\n"
                          "full avg10=0.00 avg60=0.00 avg300=0.00 total=0\n")
        .arg(stallPercent, 0, 'f', 2)
        .toLatin1();
}

QByteArray meminfoText(double availableFraction) {
    const qint64 total = 16000000;
    return QStringLiteral("MemTotal:       %1 kB\nMemFree:          100000 kB\nMemAvailable:   %2 kB\n")
        .arg(total)
        .arg(qint64(total * availableFraction))
        .toLatin1();
}

// Proc-like files in a private folder; the default thresholds of the monitor apply.
class FakeProc {
public:
    FakeProc() {
        m_sources.psiPath = m_dir.filePath("pressure-memory");
        m_sources.meminfoPath = m_dir.filePath("meminfo");
    }

    const MemoryPressureSources& sources() const { return m_sources; }

    void write(const QByteArray& psi, const QByteArray& meminfo) {
        put(m_sources.psiPath, psi);
        put(m_sources.meminfoPath, meminfo);
    }

private:
    static void put(const QString& path, const QByteArray& content) {
        QFile::remove(path);
        if (content == kMissing)
            return;
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    QTemporaryDir m_dir;
    MemoryPressureSources m_sources;
};

} // namespace

class TestMemoryPressureMonitor : public QObject {
    Q_OBJECT

private slots:
    void handlersRunInRegistrationOrderOncePerEvent() {
        FakeProc proc;
        MemoryPressureMonitor monitor(proc.sources());
        monitor.simulatePressureEvent();

        QStringList calls;
        const auto first = [&calls] { calls.append("first"); };
        monitor.onPressure(first);
        monitor.onPressure([&calls] { calls.append("second"); });
        monitor.onPressure(first);
        monitor.simulatePressureEvent();
        QCOMPARE(calls, (QStringList{"first", "second", "first"}));

        // A handler added while an event is handled joins from the next event on.
        monitor.onPressure([&] { monitor.onPressure([&calls] { calls.append("late"); }); });
        calls.clear();
        monitor.simulatePressureEvent();
        QCOMPARE(calls, (QStringList{"first", "second", "first"}));
        calls.clear();
        monitor.simulatePressureEvent();
        QCOMPARE(calls, (QStringList{"first", "second", "first", "late"}));
    }

    void sharedMonitorIsOneInstance() {
        MemoryPressureMonitor& shared = MemoryPressureMonitor::shared();
        QCOMPARE(&MemoryPressureMonitor::shared(), &shared);
        int calls = 0;
        shared.onPressure([&calls] { ++calls; });
        shared.simulatePressureEvent();
        QCOMPARE(calls, 1);
    }

    void reportsOnEnteringPressureOnly_data() {
        QTest::addColumn<QList<double>>("stallPercents");
        QTest::addColumn<QList<double>>("availableFractions");
        QTest::addColumn<QList<int>>("eventsAfterPoll");

        // Defaults: stall enters above 10 and leaves below 2; available memory enters below 5 % and
        // leaves above 10 %.
        QTest::newRow("stall figure") << QList<double>{0, 50, 60, 30, 5, 1, 1, 40, 40}
                                      << QList<double>(9, 0.5) << QList<int>{0, 1, 1, 1, 1, 1, 1, 2, 2};
        QTest::newRow("available memory")
            << QList<double>(7, 0) << QList<double>{0.5, 0.01, 0.02, 0.07, 0.5, 0.03, 0.01}
            << QList<int>{0, 1, 1, 1, 1, 2, 2};
        QTest::newRow("both figures must clear")
            << QList<double>{50, 1, 1, 50} << QList<double>{0.5, 0.03, 0.5, 0.5} << QList<int>{1, 1, 1, 2};
    }

    void reportsOnEnteringPressureOnly() {
        QFETCH(QList<double>, stallPercents);
        QFETCH(QList<double>, availableFractions);
        QFETCH(QList<int>, eventsAfterPoll);
        FakeProc proc;
        MemoryPressureMonitor monitor(proc.sources());
        int events = 0;
        monitor.onPressure([&events] { ++events; });
        for (qsizetype i = 0; i < eventsAfterPoll.size(); ++i) {
            proc.write(psiText(stallPercents.at(i)), meminfoText(availableFractions.at(i)));
            monitor.poll();
            QVERIFY2(events == eventsAfterPoll.at(i),
                     qPrintable(QString("after poll %1: %2 events").arg(i).arg(events)));
        }
    }

    void unreadableFiguresAreLeftOut_data() {
        QTest::addColumn<QByteArray>("psi");
        QTest::addColumn<QByteArray>("meminfo");
        QTest::addColumn<int>("events");

        QTest::newRow("both missing") << kMissing << kMissing << 0;
        QTest::newRow("both empty") << QByteArray("") << QByteArray("") << 0;
        QTest::newRow("no PSI, memory low") << kMissing << meminfoText(0.01) << 1;
        QTest::newRow("no meminfo, stalling") << psiText(50) << kMissing << 1;
        QTest::newRow("garbled PSI, memory low") << QByteArray("some avg10=lots\n") << meminfoText(0.01) << 1;
        QTest::newRow("no MemAvailable, calm") << psiText(0) << QByteArray("MemTotal: 100 kB\n") << 0;
        QTest::newRow("zero MemTotal, calm")
            << psiText(0) << QByteArray("MemTotal: 0 kB\nMemAvailable: 0 kB\n") << 0;
    }

    void unreadableFiguresAreLeftOut() {
        QFETCH(QByteArray, psi);
        QFETCH(QByteArray, meminfo);
        QFETCH(int, events);
        FakeProc proc;
        proc.write(psi, meminfo);
        MemoryPressureMonitor monitor(proc.sources());
        int calls = 0;
        monitor.onPressure([&calls] { ++calls; });
        for (int poll = 0; poll < 3; ++poll)
            monitor.poll();
        QCOMPARE(calls, events);
    }

    void pressureOutlastsVanishedFigures() {
        FakeProc proc;
        MemoryPressureMonitor monitor(proc.sources());
        int events = 0;
        monitor.onPressure([&events] { ++events; });
        proc.write(psiText(50), meminfoText(0.5));
        monitor.poll();
        // With nothing readable nobody can tell that the pressure has gone, so it does not report again.
        proc.write(kMissing, kMissing);
        monitor.poll();
        proc.write(psiText(50), meminfoText(0.5));
        monitor.poll();
        QCOMPARE(events, 1);
    }
};

QTEST_GUILESS_MAIN(TestMemoryPressureMonitor)
#include "test_memory_pressure_monitor.moc"
