// Which views of a long, lazily built column to hold: those within about a screen of the visible part are
// made (in slices of time, see SliceBudget), and those more than three screens away are dropped, so memory
// stays bounded however long the content is.
#pragma once

#include <algorithm>

namespace zepla::ui {

struct NearbyViews {
    NearbyViews(int visibleTop, int visibleHeight)
        : reach(std::max(visibleHeight, 400)), top(visibleTop), bottom(visibleTop + visibleHeight) {}

    // Whether a row from `rowTop` to `rowBottom` should have its view: whether it reaches from wantedTop to
    // wantedBottom.
    bool wants(int rowTop, int rowBottom) const {
        return rowBottom >= wantedTop() && rowTop <= wantedBottom();
    }
    int wantedTop() const { return top - reach; }
    int wantedBottom() const { return bottom + reach; }
    // Whether a row that has its view should lose it.
    bool drops(int rowTop, int rowBottom) const {
        return rowBottom < top - 3 * reach || rowTop > bottom + 3 * reach;
    }

private:
    int reach;
    int top;
    int bottom;
};

} // namespace zepla::ui
