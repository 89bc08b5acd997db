// SPDX-License-Identifier: GPL-3.0-or-later
#include "dsp/kaiser.h"

#include <gtest/gtest.h>

#include <cmath>

#include "base/errors.h"

namespace kc::dsp {
namespace {

TEST(FactorialTest, EmptyProductsAreOne) {
    EXPECT_EQ(Factorial(0), 1.0);
    EXPECT_EQ(Factorial(-3), 1.0);
    EXPECT_EQ(Factorial(5), 120.0);
}

TEST(FactorialTest, ThirtyFactorialToDoublePrecision) {
    // 30! = 265252859812191058636308480000000 (exact integer).
    EXPECT_NEAR(Factorial(30) / 2.6525285981219105864e32, 1.0, 1e-15);
}

TEST(FactorialTest, BeyondTheDoubleRangeOverflows) {
    EXPECT_THROW(Factorial(171), base::EOverflow);
}

TEST(BesselI0Test, ZeroGivesExactlyOne) {
    EXPECT_EQ(BesselI0(0.0), 1.0);
}

TEST(BesselI0Test, EvenInItsArgument) {
    for (double x : {0.5, 3.0, 14.91006, 29.0}) {
        EXPECT_EQ(BesselI0(-x), BesselI0(x)) << x;
    }
}

TEST(BesselI0Test, MatchesTheLibraryBesselFunctionWhereTheSeriesHasConverged) {
    // std::cyl_bessel_i is an independent implementation of I0.
    for (double x : {0.25, 1.0, 5.0, 10.0, 14.91006}) {
        const double reference = std::cyl_bessel_i(0.0, x);
        EXPECT_NEAR(BesselI0(x) / reference, 1.0, 1e-14) << x;
    }
}

TEST(BesselI0Test, ThirtyTermsFallShortForLargeArguments) {
    // The series is cut after 30 terms: about 2e-7 short at 30, about 7e-4 short at 40.
    const double shortfall30 = 1.0 - BesselI0(30.0) / std::cyl_bessel_i(0.0, 30.0);
    const double shortfall40 = 1.0 - BesselI0(40.0) / std::cyl_bessel_i(0.0, 40.0);
    EXPECT_NEAR(shortfall30, 2e-7, 1e-7);
    EXPECT_NEAR(shortfall40, 7e-4, 1e-4);
}

struct BetaCase {
    double attenuationDb;
    double beta;
    double tolerance;
};

class KaiserBetaTest : public ::testing::TestWithParam<BetaCase> {};

TEST_P(KaiserBetaTest, FollowsTheThreeBranches) {
    EXPECT_NEAR(KaiserBeta(GetParam().attenuationDb), GetParam().beta, GetParam().tolerance);
}

// Expected values by hand from β = 0.1102·(A − 8.7) and 0.5842·(A − 21)^0.4 + 0.07886·(A − 21).
INSTANTIATE_TEST_SUITE_P(Attenuations, KaiserBetaTest,
                         ::testing::Values(BetaCase{20.9, 0.0, 0.0}, BetaCase{21.0, 0.0, 0.0},
                                           BetaCase{0.0, 0.0, 0.0}, BetaCase{50.0, 4.533514, 1e-6},
                                           BetaCase{50.001, 4.5513702, 1e-6},
                                           BetaCase{144.0, 14.91006, 1e-12},
                                           BetaCase{40.0, 3.3953210, 1e-6}));

TEST(KaiserWindowTest, EndsAreOneOverI0OfBetaAndTheCentreIsOne) {
    const double beta = KaiserBeta(144.0);
    EXPECT_EQ(KaiserWindow(900, 0.0, beta), 1.0 / BesselI0(beta));
    EXPECT_EQ(KaiserWindow(900, 900.0, beta), 1.0 / BesselI0(beta));
    EXPECT_EQ(KaiserWindow(900, 450.0, beta), 1.0);
}

TEST(KaiserWindowTest, SymmetricAndRisingToTheCentre) {
    // Mirrored taps agree to the last bit, not only to rounding.
    const double beta = KaiserBeta(144.0);
    for (int n = 0; n <= 100; ++n) {
        EXPECT_EQ(KaiserWindow(100, n, beta), KaiserWindow(100, 100 - n, beta)) << n;
    }
    for (int n = 0; n < 50; ++n) {
        EXPECT_LT(KaiserWindow(100, n, beta), KaiserWindow(100, n + 1, beta)) << n;
    }
    EXPECT_EQ(KaiserWindow(100, 50, beta), 1.0);
}

TEST(KaiserWindowTest, ZeroBetaGivesRectangularWindow) {
    for (int n = 0; n <= 20; ++n) {
        EXPECT_EQ(KaiserWindow(20, n, 0.0), 1.0) << n;
    }
}

TEST(KaiserWindowTest, OneTapWindowIsAnInvalidOperation) {
    EXPECT_THROW(KaiserWindow(0, 0.0, 14.91006), base::EInvalidOp);
}

TEST(Max3Test, GivesTheLargest) {
    EXPECT_EQ(Max3(901, 701, 301), 901);
    EXPECT_EQ(Max3(3, 5, 5), 5);
    EXPECT_EQ(Max3(-1, -7, -2), -1);
    EXPECT_EQ(Max3(1, 2, 3), 3);
}

}  // namespace
}  // namespace kc::dsp
