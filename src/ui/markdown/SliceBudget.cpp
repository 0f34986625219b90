#include "ui/markdown/SliceBudget.h"

#include <algorithm>

namespace zepla::ui {

namespace {

constexpr qint64 nanosecondsPerMillisecond = 1'000'000;

struct Frame {
    QElapsedTimer clock;
    qint64 start = 0; // nanoseconds on the clock
    qint64 used = 0;  // nanoseconds of slices charged to it
};

// The frame now under way: a new one begins once a frame's time has passed since the last began.
Frame& currentFrame() {
    static Frame frame = [] {
        Frame first;
        first.clock.start();
        return first;
    }();
    const qint64 now = frame.clock.nsecsElapsed();
    if (now - frame.start >= SliceBudget::frameMilliseconds * nanosecondsPerMillisecond) {
        frame.start = now;
        frame.used = 0;
    }
    return frame;
}

constexpr qint64 budgetNanoseconds = SliceBudget::perFrameMilliseconds * nanosecondsPerMillisecond;

} // namespace

SliceBudget::SliceBudget() {
    m_slice.start();
}

SliceBudget::~SliceBudget() {
    currentFrame().used += m_slice.nsecsElapsed();
}

bool SliceBudget::spent() const {
    return currentFrame().used + m_slice.nsecsElapsed() >= budgetNanoseconds;
}

int SliceBudget::nextSliceDelay() {
    const Frame& frame = currentFrame();
    if (frame.used < budgetNanoseconds)
        return 0;
    const qint64 left =
        frame.start + frameMilliseconds * nanosecondsPerMillisecond - frame.clock.nsecsElapsed();
    return int(std::max<qint64>(1, (left + nanosecondsPerMillisecond - 1) / nanosecondsPerMillisecond));
}

} // namespace zepla::ui
