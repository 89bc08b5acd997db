// SPDX-License-Identifier: GPL-3.0-or-later
// Floating-point operations with the faults detected by explicit checks. Intermediate values are
// `long double` (the 80-bit extended format on x86-64); a value that is "stored" is rounded to
// double through StoreDouble. Invalid operations raise EInvalidOp, divisions by zero EZeroDivide
// and results beyond the destination's range EOverflow; underflow and inexact results are silent.
#pragma once

namespace kc::base {

// Puts the extended-precision unit into the mode every calculation runs in: 64-bit mantissa,
// round to nearest, every exception masked (faults are found by the checks below, not by traps).
// Called once at start-up; harmless to call again.
void SetFloatingPointMode();

// True when the extended-precision unit is in the mode above.
bool FloatingPointModeIsSet();

// x rounded to double; raises EOverflow when x (finite or not) lies beyond the double range and
// EInvalidOp for a NaN.
double StoreDouble(long double x);

// Checks an extended result: EOverflow for an infinity, EInvalidOp for a NaN. Returns x.
long double CheckedResult(long double x);

// a / b; raises EInvalidOp for 0/0 (or a NaN operand) and EZeroDivide for a non-zero number over 0.
long double CheckedDivide(long double a, long double b);

// Base-10 logarithm; raises EZeroDivide for 0 and EInvalidOp for a negative number or a NaN.
long double CheckedLog10(long double x);

// Natural logarithm, with the same checks as CheckedLog10.
long double CheckedLn(long double x);

// Square root; raises EInvalidOp for a negative number or a NaN.
long double CheckedSqrt(long double x);

}  // namespace kc::base
