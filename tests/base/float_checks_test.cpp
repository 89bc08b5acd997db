#include "base/float_checks.h"

#include <gtest/gtest.h>

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
    SetFloatingPointMode();
    EXPECT_TRUE(FloatingPointModeIsSet());
    // With a 64-bit mantissa 1 + 2^-60 is distinct from 1; a 53-bit mode would lose it.
    volatile long double tiny = 0x1p-60L;
    EXPECT_NE(1.0L + tiny, 1.0L);
}

}  // namespace
}  // namespace kc::base
