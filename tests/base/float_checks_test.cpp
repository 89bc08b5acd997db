// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/float_checks.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cfloat>
#include <cmath>

#include "base/errors.h"

namespace kc::base {
namespace {

TEST(FloatChecksTest, StoreRoundsToDoubleAndRejectsWhatDoesNotFit) {
    EXPECT_EQ(StoreDouble(0.1L), 0.1);
    EXPECT_EQ(StoreDouble(1e-400L), 0.0);  // underflow is silent
    EXPECT_THROW(StoreDouble(1e309L), EOverflow);
    EXPECT_THROW(StoreDouble(static_cast<long double>(INFINITY)), EOverflow);
    EXPECT_THROW(StoreDouble(static_cast<long double>(NAN)), EInvalidOp);
}

TEST(FloatChecksTest, DivisionByZeroDependsOnTheNumerator) {
    EXPECT_EQ(CheckedDivide(1.0L, 4.0L), 0.25L);
    EXPECT_THROW(CheckedDivide(1.0L, 0.0L), EZeroDivide);
    EXPECT_THROW(CheckedDivide(-1.0L, 0.0L), EZeroDivide);
    EXPECT_THROW(CheckedDivide(0.0L, 0.0L), EInvalidOp);
    EXPECT_THROW(CheckedDivide(1e4000L, 1e-4000L), EOverflow);
}

TEST(FloatChecksTest, LogarithmsAndRootsOfBadArguments) {
    EXPECT_NEAR(CheckedLog10(1000.0L), 3.0L, 1e-18L);
    EXPECT_THROW(CheckedLog10(0.0L), EZeroDivide);
    EXPECT_THROW(CheckedLog10(-1.0L), EInvalidOp);
    EXPECT_THROW(CheckedLn(0.0L), EZeroDivide);
    EXPECT_THROW(CheckedSqrt(-1e-30L), EInvalidOp);
    EXPECT_EQ(CheckedSqrt(0.0L), 0.0L);
}

TEST(FloatChecksTest, ModeIsExtendedPrecisionRoundToNearest) {
    // The process starts in the wanted mode, so first load another one: a 53-bit mantissa (x87
    // control word 0x027F) and rounding upward. A setter that did nothing would leave it.
    std::fenv_t startMode;
    std::fegetenv(&startMode);
#if defined(__x86_64__) || defined(__i386__)
    const unsigned short doublePrecision = 0x027F;
    __asm__ volatile("fldcw %0" : : "m"(doublePrecision));
#endif
    std::fesetround(FE_UPWARD);
    EXPECT_FALSE(FloatingPointModeIsSet());

    SetFloatingPointMode();
    EXPECT_TRUE(FloatingPointModeIsSet());
    // With a 64-bit mantissa 1 + 2^-60 is distinct from 1; a 53-bit mode would lose it.
    volatile long double tiny = 0x1p-60L;
    EXPECT_NE(1.0L + tiny, 1.0L);
    // Rounded to nearest, 1/7 in 64 bits and 1/3 in 53 bits are cut below their exact value
    // (2^66/7 and 2^54/3 have remainders under one half); rounded upward they would not be.
    volatile long double seven = 7.0L;
    EXPECT_EQ(1.0L / seven, 0x9249249249249249p-66L);
    volatile double three = 3.0;
    EXPECT_EQ(1.0 / three, 0x15555555555555p-54);
    std::fesetenv(&startMode);
}

}  // namespace
}  // namespace kc::base
