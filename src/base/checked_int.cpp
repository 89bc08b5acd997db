// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/checked_int.h"

#include <cmath>
#include <limits>

#include "base/errors.h"

namespace kc::base {

int32_t CheckedAdd(int32_t a, int32_t b) {
    int32_t result = 0;
    if (__builtin_add_overflow(a, b, &result)) {
        RaiseIntOverflow();
    }
    return result;
}

int32_t CheckedSub(int32_t a, int32_t b) {
    int32_t result = 0;
    if (__builtin_sub_overflow(a, b, &result)) {
        RaiseIntOverflow();
    }
    return result;
}

int32_t CheckedMul(int32_t a, int32_t b) {
    int32_t result = 0;
    if (__builtin_mul_overflow(a, b, &result)) {
        RaiseIntOverflow();
    }
    return result;
}

int64_t TruncToInt64(long double x) {
    // -2^63 is representable and allowed; 2^63 is the first value beyond the range. Both bounds
    // are exact in extended precision, so the comparison is exact too.
    constexpr long double kLimit = 9223372036854775808.0L;
    const long double truncated = std::trunc(x);
    if (!(truncated >= -kLimit && truncated < kLimit)) {
        RaiseInvalidOp();
    }
    return static_cast<int64_t>(truncated);
}

int32_t NarrowToInt32(int64_t v) {
    if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max()) {
        RaiseRangeError();
    }
    return static_cast<int32_t>(v);
}

int32_t TruncToInt32(long double x) {
    return NarrowToInt32(TruncToInt64(x));
}

void CheckIndex(int64_t index, std::size_t length) {
    if (index < 0 || static_cast<uint64_t>(index) >= length) {
        RaiseRangeError();
    }
}

}  // namespace kc::base
