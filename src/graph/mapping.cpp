// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/mapping.h"

#include <cmath>

#include "base/checked_int.h"
#include "base/errors.h"
#include "base/float_checks.h"

namespace kc::graph {
namespace {

// Frequency of the right-hand edge of both frequency axes, Hz.
constexpr long double kTopFrequencyHz = 10000.0L;

}  // namespace

long double LinearAxisPosition(long double frequencyHz, int32_t width) {
    return frequencyHz / kTopFrequencyHz * width;
}

int32_t FreqToXLinear(long double frequencyHz, int32_t width) {
    const long double x = LinearAxisPosition(frequencyHz, width);
    // A marker text may convert to a value near the top of the extended range; the product then
    // overflows, which is an overflow fault, not the invalid truncation of an infinite input.
    if (std::isinf(x) && std::isfinite(frequencyHz)) {
        base::RaiseOverflow();
    }
    return base::TruncToInt32(x);
}

long double LogAxisPosition(long double frequencyHz, int32_t width) {
    // The divisor goes through the same logarithm as the numerator, so that 10 000 Hz gives a
    // ratio of exactly 1 and lands on x = width.
    const long double decades = base::CheckedLog10(frequencyHz) - 1.0L;
    const long double axisDecades = base::CheckedLog10(kTopFrequencyHz) - 1.0L;
    return decades / axisDecades * width;
}

int32_t FreqToXLog(long double frequencyHz, int32_t width) {
    return base::TruncToInt32(LogAxisPosition(frequencyHz, width));
}

int32_t ValueToY(double value, int32_t height) {
    // H/6 is a real division here (280.833... for 337), unlike the integer H div 6 of the start
    // point; the truncated offset is subtracted in 64 bits before the 32-bit range check.
    const long double scale = height - height / 6.0L;
    const int64_t offset = base::TruncToInt64(scale * value);
    int64_t y = 0;
    if (__builtin_sub_overflow(int64_t{height}, offset, &y)) {
        base::RaiseIntOverflow();
    }
    return base::NarrowToInt32(y);
}

}  // namespace kc::graph
