// The time that views building themselves in slices may spend together in one frame. The column of turns
// and every long answer draw from this one budget, so that their slices, a layout and a paint fit in one
// turn of the event loop within a frame however many of them have work queued at once. Main thread only.
#pragma once

#include <QElapsedTimer>

namespace zepla::ui {

class SliceBudget {
public:
    static constexpr int frameMilliseconds = 16;
    static constexpr int perFrameMilliseconds = 4;

    // Starts timing one slice of work.
    SliceBudget();
    // Charges the slice's time to the frame.
    ~SliceBudget();
    SliceBudget(const SliceBudget&) = delete;
    SliceBudget& operator=(const SliceBudget&) = delete;

    // Whether the frame's budget is used up, this slice so far included: the work left waits for the next.
    bool spent() const;
    // When work left over should run again: at once while the frame has budget left, else at the next frame.
    static int nextSliceDelay();

private:
    QElapsedTimer m_slice;
};

} // namespace zepla::ui
