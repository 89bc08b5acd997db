// SPDX-License-Identifier: GPL-3.0-or-later
// The pixels of a 1-pixel line, worked out in the program instead of by the toolkit, so that a
// line that crosses the edge of its surface keeps exactly the pixels that the whole line sets
// inside it, however far its ends lie outside.
#pragma once

#include <cstdint>

namespace kc::graph {

// A box of pixels: left <= x < right and top <= y < bottom.
struct PixelBox {
    int64_t left = 0;
    int64_t top = 0;
    int64_t right = 0;
    int64_t bottom = 0;
};

// The line from start to end: one pixel per step along its major axis (x when |dx| >= |dy|, else
// y). The minor coordinate is stepped in 16.16 fixed point from the end that is lower on the major
// axis, the slope truncated toward zero and, for a rising slope, sampled half a step in. The end
// pixel is left out and the start pixel is set, so that a polyline sets each joint once. This is
// the rule of Qt's aliased cosmetic lines between whole pixels, so that a line that lies inside its
// surface looks the same as the toolkit draws it.
class LinePixels {
  public:
    LinePixels(int64_t startX, int64_t startY, int64_t endX, int64_t endY);

    bool XMajor() const { return xMajor_; }

    // Calls plot(x, y, distance) for every pixel of the line inside box, in rising order along the
    // major axis; distance counts the steps from the start pixel (0) along the major axis. Only
    // the part of the line inside the box is walked, so a line of any length costs at most the
    // box's extent along the major axis.
    template <typename Plot>
    void ForEachIn(const PixelBox& box, Plot&& plot) const;

  private:
    static constexpr int64_t kOne = int64_t{1} << 16;

    // The minor coordinate of step i from the lower end (0 <= i < steps).
    int64_t MinorAt(int64_t i) const;

    bool xMajor_ = true;
    bool forward_ = true;  // the start is the lower end on the major axis
    int64_t steps_ = 0;    // |major end − major start|; 0 draws nothing
    int64_t lowMajor_ = 0;
    int64_t startMinor_ = 0;
    int64_t minorStep_ = 0;   // 16.16 fixed point
    int64_t firstMinor_ = 0;  // 16.16 fixed point, at step 0
};

template <typename Plot>
void LinePixels::ForEachIn(const PixelBox& box, Plot&& plot) const {
    if (steps_ == 0) {
        return;
    }
    const int64_t majorLow = xMajor_ ? box.left : box.top;
    const int64_t majorHigh = xMajor_ ? box.right : box.bottom;
    const int64_t minorLow = xMajor_ ? box.top : box.left;
    const int64_t minorHigh = xMajor_ ? box.bottom : box.right;
    // Forwards the steps 0 ... steps − 1 are drawn, backwards 1 ... steps, the last being the
    // start pixel itself.
    int64_t first = forward_ ? 0 : 1;
    int64_t last = forward_ ? steps_ - 1 : steps_;
    first = first > majorLow - lowMajor_ ? first : majorLow - lowMajor_;
    last = last < majorHigh - 1 - lowMajor_ ? last : majorHigh - 1 - lowMajor_;
    for (int64_t i = first; i <= last; ++i) {
        const int64_t minor = (!forward_ && i == steps_) ? startMinor_ : MinorAt(i);
        if (minor < minorLow || minor >= minorHigh) {
            continue;
        }
        const int64_t major = lowMajor_ + i;
        const int64_t distance = forward_ ? i : steps_ - i;
        if (xMajor_) {
            plot(major, minor, distance);
        } else {
            plot(minor, major, distance);
        }
    }
}

}  // namespace kc::graph
