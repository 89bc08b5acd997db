// SPDX-License-Identifier: GPL-3.0-or-later
// Checked integer arithmetic: every signed 32-bit addition, subtraction and multiplication of the
// computations goes through these, and so does every narrowing of a truncated real value.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kc::base {

// a + b; raises EIntOverflow when the sum leaves the signed 32-bit range.
int32_t CheckedAdd(int32_t a, int32_t b);

// a - b; raises EIntOverflow when the difference leaves the signed 32-bit range.
int32_t CheckedSub(int32_t a, int32_t b);

// a * b; raises EIntOverflow when the product leaves the signed 32-bit range.
int32_t CheckedMul(int32_t a, int32_t b);

// The real value x truncated toward zero to a signed 64-bit integer; raises EInvalidOp for an
// infinity, a NaN or a value outside the 64-bit range.
int64_t TruncToInt64(long double x);

// v as a signed 32-bit integer; raises ERangeError when it does not fit.
int32_t NarrowToInt32(int64_t v);

// Trunc followed by the narrowing to 32 bits: the rule for every pixel coordinate and count that
// comes from a real number.
int32_t TruncToInt32(long double x);

// Raises ERangeError unless 0 <= index < length: the check before every access to a resizable
// array.
void CheckIndex(int64_t index, std::size_t length);

}  // namespace kc::base
