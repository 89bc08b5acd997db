// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/float_checks.h"

#include <cfenv>
#include <cmath>
#include <limits>

#include "base/errors.h"

namespace kc::base {
namespace {

#if defined(__x86_64__) || defined(__i386__)
// x87 control word: all six exceptions masked (bits 0-5), 64-bit precision (bits 8-9 = 11),
// round to nearest (bits 10-11 = 00).
constexpr unsigned short kExtendedMode = 0x037F;
constexpr unsigned short kModeMask = 0x0F3F;

unsigned short ReadControlWord() {
    unsigned short word = 0;
    __asm__ volatile("fnstcw %0" : "=m"(word));
    return word;
}
#endif

// A logarithm's argument: 0 has no logarithm (a division by zero in the limit), a negative
// number or a NaN none at all.
void CheckLogarithmArgument(long double x) {
    if (x == 0.0L) {
        RaiseZeroDivide();
    }
    if (std::isnan(x) || x < 0.0L) {
        RaiseInvalidOp();
    }
}

}  // namespace

void SetFloatingPointMode() {
#if defined(__x86_64__) || defined(__i386__)
    unsigned short word = kExtendedMode;
    __asm__ volatile("fldcw %0" : : "m"(word));
#endif
    std::fesetround(FE_TONEAREST);
}

bool FloatingPointModeIsSet() {
#if defined(__x86_64__) || defined(__i386__)
    if ((ReadControlWord() & kModeMask) != (kExtendedMode & kModeMask)) {
        return false;
    }
#endif
    return std::fegetround() == FE_TONEAREST;
}

double StoreDouble(long double x) {
    if (std::isnan(x)) {
        RaiseInvalidOp();
    }
    const double stored = static_cast<double>(x);
    if (std::isinf(stored)) {
        RaiseOverflow();
    }
    return stored;
}

long double CheckedResult(long double x) {
    if (std::isnan(x)) {
        RaiseInvalidOp();
    }
    if (std::isinf(x)) {
        RaiseOverflow();
    }
    return x;
}

long double CheckedDivide(long double a, long double b) {
    if (std::isnan(a) || std::isnan(b)) {
        RaiseInvalidOp();
    }
    if (b == 0.0L) {
        if (a == 0.0L) {
            RaiseInvalidOp();
        }
        RaiseZeroDivide();
    }
    if (std::isinf(a) && std::isinf(b)) {
        RaiseInvalidOp();
    }
    return CheckedResult(a / b);
}

long double CheckedLog10(long double x) {
    CheckLogarithmArgument(x);
    return std::log10(x);
}

long double CheckedLn(long double x) {
    CheckLogarithmArgument(x);
    return std::log(x);
}

long double CheckedSqrt(long double x) {
    if (std::isnan(x) || x < 0.0L) {
        RaiseInvalidOp();
    }
    return std::sqrt(x);
}

}  // namespace kc::base
