// SPDX-License-Identifier: GPL-3.0-or-later
// The fast design against the literal one: the same taps bit for bit and the same errors.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "dsp/crossover.h"
#include "dsp/design_case.h"
#include "dsp/kaiser.h"

namespace kc::dsp {
namespace {

// Index of the first entry whose bit pattern differs, or -1 when the arrays are identical (a
// −0.0 against a +0.0 counts as a difference, unlike ==).
long FirstBitDifference(const std::vector<double>& a, const std::vector<double>& b) {
    if (a.size() != b.size()) {
        return 0;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        // The bit patterns on purpose: == would call −0.0 and +0.0 equal.
        // NOLINTNEXTLINE(bugprone-suspicious-memory-comparison)
        if (std::memcmp(&a[i], &b[i], sizeof(double)) != 0) {
            return static_cast<long>(i);
        }
    }
    return -1;
}

uint64_t Bits(double x) {
    uint64_t bits = 0;
    std::memcpy(&bits, &x, sizeof bits);
    return bits;
}

TEST(FastBesselI0Test, BitForBitTheLiteralSeries) {
    // From 0 across the designs' range (β up to about 27 at 250 dB) to where the truncated series
    // is far off, negative arguments, and arguments whose powers underflow.
    std::vector<double> arguments = {0.0, -0.0, 1e-300, 5e-324, -3.25, 1e3, 1e5, 2.5e6};
    for (double x = 0.0; x < 45.0; x += 0.0123) {
        arguments.push_back(x);
    }
    for (double x : arguments) {
        EXPECT_EQ(Bits(FastBesselI0(x)), Bits(BesselI0(x))) << x;
    }
}

TEST(FastBesselI0Test, RaisesTheLiteralSeriesErrors) {
    for (double x :
         {1e7, std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()}) {
        const std::string literal = RaisedError([x] { BesselI0(x); });
        EXPECT_NE(literal, "none") << x;
        EXPECT_EQ(RaisedError([x] { FastBesselI0(x); }), literal) << x;
    }
}

TEST(PreparedKaiserWindowTest, EveryTapBitForBitKaiserWindow) {
    for (const auto& [M, beta] : std::vector<std::pair<int32_t, double>>{{900, KaiserBeta(144.0)},
                                                                         {700, KaiserBeta(144.0)},
                                                                         {2, 4.5},
                                                                         {1, 14.9},
                                                                         {63, 0.0},
                                                                         {400, 27.0}}) {
        const PreparedKaiserWindow window(M, beta);
        std::vector<double> mirrored(static_cast<std::size_t>(M) + 1, -1.0);
        window.FillPairs(0, window.PairCount(), mirrored.data());
        for (int32_t n = 0; n <= M; ++n) {
            const double literal = KaiserWindow(M, n, beta);
            EXPECT_EQ(Bits(window.At(n)), Bits(literal)) << M << " " << n;
            EXPECT_EQ(Bits(mirrored[static_cast<std::size_t>(n)]), Bits(literal)) << M << " " << n;
        }
    }
}

TEST(PreparedKaiserWindowTest, RaisesWhatTheFirstTapRaises) {
    // A one-tap window divides 0 by 0 before I0(β) is formed, even for a β that overflows.
    for (const auto& [count, shape] :
         std::vector<std::pair<int32_t, double>>{{0, 14.9}, {0, 1e7}, {10, 1e7}}) {
        const int32_t M = count;  // a lambda may not capture a structured binding (clang)
        const double beta = shape;
        const std::string literal = RaisedError([&] { KaiserWindow(M, 0.0, beta); });
        EXPECT_NE(literal, "none");
        EXPECT_EQ(RaisedError([&] { PreparedKaiserWindow(M, beta); }), literal) << M << beta;
    }
}

// The fast design takes each sine and cosine once for the taps at −k and +k; that keeps every bit
// only because the library's extended sine is exactly odd and its cosine exactly even.
TEST(ExtendedTrigonometryTest, SineIsExactlyOddAndCosineExactlyEven) {
    const long double twoPi = 6.283185307179586477L;
    for (long k = 1; k <= 60000; k += 7) {
        for (long double hz : {1.0L, 300.0L, 2300.0L, 22049.0L, 2147483647.0L}) {
            const long double x = k * twoPi * hz / 44100.0L;
            EXPECT_EQ(std::sin(-x), -std::sin(x)) << k << " " << static_cast<double>(hz);
            EXPECT_EQ(std::cos(-x), std::cos(x)) << k << " " << static_cast<double>(hz);
        }
    }
}

class FastDesignTest : public ::testing::TestWithParam<DesignCase> {};

TEST_P(FastDesignTest, TapsAreBitForBitTheLiteralDesign) {
    const CrossoverParameters p = GetParam().Parameters();
    const CrossoverTaps literal = DesignCrossoverLiteral(p);
    const CrossoverTaps fast = DesignCrossover(p);
    EXPECT_EQ(fast.CommonLength, literal.CommonLength);
    EXPECT_EQ(fast.CommonCentre, literal.CommonCentre);
    EXPECT_EQ(FirstBitDifference(fast.LowTaps, literal.LowTaps), -1);
    EXPECT_EQ(FirstBitDifference(fast.MidTaps, literal.MidTaps), -1);
    EXPECT_EQ(FirstBitDifference(fast.HighTaps, literal.HighTaps), -1);
    EXPECT_EQ(FirstBitDifference(fast.SumTaps, literal.SumTaps), -1);
}

// Only the long design is large enough to be spread over both cores.
INSTANTIATE_TEST_SUITE_P(
    Designs, FastDesignTest,
    ::testing::Values(
        DesignCase{"Initial", 901, 701, 301, 300, 300, 2000, 2000, 144, false},
        DesignCase{"InitialAdjusted", 901, 701, 301, 300, 300, 2000, 2000, 144, true},
        DesignCase{"LongAdjustedTwoEqualCounts", 16001, 16001, 4001, 250, 400, 3000, 2500, 144,
                   true},
        DesignCase{"MidLongestEdgesReversed", 201, 401, 301, 500, 3000, 1000, 4000, 80, false},
        DesignCase{"MiddleBetaBranch", 151, 101, 201, 300, 300, 2000, 2000, 35, false},
        DesignCase{"BetaAtFifty", 61, 41, 21, 300, 300, 2000, 2000, 50, true},
        DesignCase{"ZeroBeta", 51, 31, 11, 300, 300, 2000, 2000, 20, false},
        DesignCase{"LargeBeta", 401, 401, 101, 300, 300, 2000, 2000, 250, false},
        DesignCase{"ZeroAndExtremeCutOffs", 101, 81, 61, 0, -700, 30000, 22050, 144, false},
        DesignCase{"ThreeTaps", 3, 3, 3, 300, 300, 2000, 2000, 144, true},
        DesignCase{"ShortestDistinct", 7, 5, 3, 1000, 1000, 8000, 8000, 60, false}),
    [](const auto& row) { return std::string(row.param.name); });

struct ErrorCase {
    const char* name;
    int32_t low, mid, high;
    double attenuationDb;
};

void PrintTo(const ErrorCase& c, std::ostream* os) {
    *os << c.name;
}

class FastDesignErrorTest : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(FastDesignErrorTest, RaisesTheLiteralDesignsError) {
    CrossoverParameters p;
    p.lowCount = GetParam().low;
    p.midCount = GetParam().mid;
    p.highCount = GetParam().high;
    p.attenuationDb = GetParam().attenuationDb;
    const std::string literal = RaisedError([&] { DesignCrossoverLiteral(p); });
    EXPECT_NE(literal, "none");
    EXPECT_EQ(RaisedError([&] { DesignCrossover(p); }), literal);
}

// A one-tap band divides 0 by 0; an attenuation of 10^8 dB makes I0(β) overflow at the first band
// with more than one tap, so which error comes first depends on the order of the bands.
INSTANTIATE_TEST_SUITE_P(Errors, FastDesignErrorTest,
                         ::testing::Values(ErrorCase{"OneTapMidBand", 31, 1, 11, 144},
                                           ErrorCase{"OneTapLowBandBeforeOverflow", 1, 31, 11, 1e8},
                                           ErrorCase{"OverflowBeforeOneTapMidBand", 31, 1, 11, 1e8},
                                           ErrorCase{"NegativeCount", 31, -1, 11, 144}),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace kc::dsp
