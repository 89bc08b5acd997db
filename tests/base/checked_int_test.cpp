// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/checked_int.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "base/errors.h"

namespace kc::base {
namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

TEST(CheckedIntTest, ArithmeticInsideTheRangeIsExact) {
    EXPECT_EQ(CheckedAdd(kMax - 1, 1), kMax);
    EXPECT_EQ(CheckedSub(kMin + 1, 1), kMin);
    EXPECT_EQ(CheckedMul(-65536, 32768), kMin);
}

TEST(CheckedIntTest, ArithmeticLeavingTheRangeOverflows) {
    EXPECT_THROW(CheckedAdd(kMax, 1), EIntOverflow);
    EXPECT_THROW(CheckedSub(kMin, 1), EIntOverflow);
    EXPECT_THROW(CheckedMul(65536, 32768), EIntOverflow);
    EXPECT_THROW(CheckedMul(kMin, -1), EIntOverflow);
}

TEST(CheckedIntTest, TruncationGoesTowardZero) {
    EXPECT_EQ(TruncToInt64(600.2L), 600);
    EXPECT_EQ(TruncToInt64(-600.2L), -600);
    EXPECT_EQ(TruncToInt64(-140.42L), -140);
    EXPECT_EQ(TruncToInt64(-9223372036854775808.0L), std::numeric_limits<int64_t>::min());
}

TEST(CheckedIntTest, TruncationOutsideSixtyFourBitsIsInvalid) {
    EXPECT_THROW(TruncToInt64(9223372036854775808.0L), EInvalidOp);
    EXPECT_THROW(TruncToInt64(-9223372036854777856.0L), EInvalidOp);
    EXPECT_THROW(TruncToInt64(INFINITY), EInvalidOp);
    EXPECT_THROW(TruncToInt64(NAN), EInvalidOp);
}

TEST(CheckedIntTest, NarrowingOutsideThirtyTwoBitsIsARangeError) {
    EXPECT_EQ(TruncToInt32(2147483647.9L), kMax);
    EXPECT_THROW(TruncToInt32(2147483648.0L), ERangeError);
    EXPECT_THROW(NarrowToInt32(int64_t{kMin} - 1), ERangeError);
}

TEST(CheckedIntTest, IndexMustLieInsideTheArray) {
    EXPECT_NO_THROW(CheckIndex(0, 1));
    EXPECT_THROW(CheckIndex(1, 1), ERangeError);
    EXPECT_THROW(CheckIndex(-1, 5), ERangeError);
    EXPECT_THROW(CheckIndex(0, 0), ERangeError);
}

}  // namespace
}  // namespace kc::base
