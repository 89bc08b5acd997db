// SPDX-License-Identifier: GPL-3.0-or-later
// The pixel mappings shared by the grid, the markers and the curves of the graph image. Positions
// are pixels inside the image: x to the right of its left edge, y down from its top edge. Every
// result is a real value truncated toward zero to a 64-bit integer that must then fit a signed
// 32-bit integer (ERangeError otherwise; EInvalidOp for a value beyond the 64-bit range, an
// infinity or a NaN).
#pragma once

#include <cstdint>

namespace kc::graph {

// x of the frequency frequencyHz on the linear axis of an image width pixels wide: 0 Hz on the
// left edge, 10 000 Hz at x = width (one column right of the last visible one). Raises EOverflow
// when the position of a finite frequency overflows the extended range.
int32_t FreqToXLinear(long double frequencyHz, int32_t width);

// The position that FreqToXLinear truncates: frequencyHz / 10 000 · width, in extended precision.
long double LinearAxisPosition(long double frequencyHz, int32_t width);

// x of the frequency frequencyHz on the logarithmic axis: 10 Hz on the left edge, 100 Hz and
// 1 000 Hz at a third and two thirds of the width, 10 000 Hz at exactly x = width; below 10 Hz
// the result is negative. frequencyHz must be positive: 0 raises EZeroDivide, a negative value
// EInvalidOp.
int32_t FreqToXLog(long double frequencyHz, int32_t width);

// The position that FreqToXLog truncates: (log10 f − 1) / (log10 10 000 − 1) · width, in
// extended precision; raises as FreqToXLog does for a frequency that is not positive.
long double LogAxisPosition(long double frequencyHz, int32_t width);

// y of the stored value on the amplitude axis of an image height pixels high: 1.0 (0 dB) lies
// height div 6 + 1 rows below the top (57 for 337), 0.0 (−100 dB) at y = height, one row below
// the last visible one. Values are not clamped.
int32_t ValueToY(double value, int32_t height);

}  // namespace kc::graph
