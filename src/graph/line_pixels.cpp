// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/line_pixels.h"

#include <cstdlib>

namespace kc::graph {
namespace {

// a / b rounded toward minus infinity (b > 0).
int64_t FloorDivide(int64_t a, int64_t b) {
    const int64_t quotient = a / b;
    return (a % b != 0 && a < 0) ? quotient - 1 : quotient;
}

}  // namespace

LinePixels::LinePixels(int64_t startX, int64_t startY, int64_t endX, int64_t endY) {
    const int64_t dx = endX - startX;
    const int64_t dy = endY - startY;
    xMajor_ = std::llabs(dx) >= std::llabs(dy);
    const int64_t startMajor = xMajor_ ? startX : startY;
    const int64_t endMajor = xMajor_ ? endX : endY;
    startMinor_ = xMajor_ ? startY : startX;
    const int64_t endMinor = xMajor_ ? endY : endX;
    forward_ = endMajor > startMajor;
    steps_ = std::llabs(endMajor - startMajor);
    if (steps_ == 0) {
        return;
    }
    lowMajor_ = forward_ ? startMajor : endMajor;
    const int64_t lowMinor = forward_ ? startMinor_ : endMinor;
    const int64_t highMinor = forward_ ? endMinor : startMinor_;
    // |minor rise| <= steps, so the step lies within ±1.0 and every product below stays far
    // inside 64 bits for coordinates of 33 bits.
    minorStep_ = (highMinor - lowMinor) * kOne / steps_;
    firstMinor_ = lowMinor * kOne + (minorStep_ > 0 ? minorStep_ / 2 : 0);
}

int64_t LinePixels::MinorAt(int64_t i) const {
    return FloorDivide(firstMinor_ + i * minorStep_, kOne);
}

}  // namespace kc::graph
