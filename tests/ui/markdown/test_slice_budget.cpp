// The frame's budget for work done in slices is one for every view: what one slice spends, the next slice
// in the same frame no longer has, and left-over work waits for the next frame.
#include "ui/markdown/SliceBudget.h"

#include <QElapsedTimer>
#include <QTest>
#include <QThread>

#include <functional>

using zepla::ui::SliceBudget;

namespace {

void busyFor(int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds) {
    }
}

// Starts with a fresh frame: waits out the one under way.
void nextFrame() {
    QThread::msleep(SliceBudget::frameMilliseconds + 1);
}

// Timing on a busy machine can be thrown off by the thread losing its core: a scenario counts when it holds
// in one of several tries.
bool holdsOnce(const std::function<bool()>& scenario) {
    for (int attempt = 0; attempt < 20; ++attempt) {
        nextFrame();
        if (scenario())
            return true;
    }
    return false;
}

} // namespace

class TestSliceBudget : public QObject {
    Q_OBJECT

private slots:
    void slicesOfOneFrameShareItsBudget() {
        QVERIFY(holdsOnce([] {
            {
                const SliceBudget first;
                if (first.spent() || SliceBudget::nextSliceDelay() != 0)
                    return false;
                busyFor(SliceBudget::perFrameMilliseconds - 2);
                if (first.spent())
                    return false;
            }
            const SliceBudget second;
            busyFor(3);
            return second.spent();
        }));
    }

    void workLeftOverWaitsForTheNextFrame() {
        QVERIFY(holdsOnce([] {
            {
                const SliceBudget slice;
                busyFor(SliceBudget::perFrameMilliseconds + 1);
                if (!slice.spent())
                    return false;
            }
            const int delay = SliceBudget::nextSliceDelay();
            if (delay < 1 || delay > SliceBudget::frameMilliseconds)
                return false;
            QThread::msleep(delay);
            return SliceBudget::nextSliceDelay() == 0 && !SliceBudget().spent();
        }));
    }
};

QTEST_GUILESS_MAIN(TestSliceBudget)
#include "test_slice_budget.moc"
