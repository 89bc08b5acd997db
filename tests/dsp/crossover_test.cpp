// SPDX-License-Identifier: GPL-3.0-or-later
#include "dsp/crossover.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <fstream>
#include <string>

#include "base/errors.h"
#include "dsp/tap_arrays.h"
#include "support/initial_design.h"
#include "support/raised_error.h"

namespace kc::dsp {
namespace {

using testing_support::AdjustedInitialDesign;
using testing_support::InitialDesign;
using testing_support::RaisedWhere;

TEST(NormaliseTapCountTest, MakesEveryCountOdd) {
    const std::pair<int32_t, int32_t> cases[] = {{901, 901},
                                                 {900, 901},
                                                 {0, 1},
                                                 {1, 1},
                                                 {-1, 1},
                                                 {-2, -1},
                                                 {-3, -1},
                                                 {-4, -3},
                                                 {-5, -3},
                                                 {2147483647, 2147483647},
                                                 {-2147483647 - 1, -2147483647}};
    for (const auto& [input, expected] : cases) {
        EXPECT_EQ(NormaliseTapCount(input), expected) << input;
    }
}

// The centre c = count div 2 scaled, c · to / from, to the nearest whole number (halves up), at
// least 1, and the count 2·c′ + 1; worked by hand: 450·48000/44100 = 489.8, 450·88200/44100 = 900,
// 450·192000/44100 = 1959.2, 350·192000/44100 = 1523.8, 150·192000/44100 = 653.1,
// 450·44100/48000 = 413.4, 1·66150/44100 = 1.5 (a half: up), 1·22050/96000 = 0.23 (at least 1).
// Below 3 taps a count stays as it is, so that the design reports it as at the first rate.
TEST(ScaledTapCountTest, KeepsTheLengthInTimeAndTheLatency) {
    struct Row {
        int32_t count, fromHz, toHz, expected;
    };
    for (const Row& row :
         {Row{901, 44100, 48000, 981}, Row{901, 44100, 88200, 1801}, Row{901, 44100, 192000, 3919},
          Row{701, 44100, 192000, 3049}, Row{301, 44100, 192000, 1307}, Row{901, 48000, 44100, 827},
          Row{901, 44100, 44100, 901}, Row{3, 44100, 66150, 5}, Row{3, 96000, 22050, 3},
          Row{1, 44100, 768000, 1}, Row{-3, 44100, 96000, -3}}) {
        EXPECT_EQ(ScaledTapCount(row.count, row.fromHz, row.toHz), row.expected)
            << row.count << " " << row.toHz;
    }
    EXPECT_THROW(ScaledTapCount((1 << 28) - 1, 22050, 768000), base::ERangeError);
    EXPECT_THROW(ScaledTapCount(901, 44100, 768001), base::ERangeError);
}

TEST(CrossoverDesignTest, RatesOutsideTheSupportedRangeAreRangeErrors) {
    for (int32_t rate : {0, 22049, 768001}) {
        CrossoverParameters p;
        p.sampleRateHz = rate;
        EXPECT_THROW(DesignCrossover(p), base::ERangeError) << rate;
        EXPECT_THROW(DesignCrossoverLiteral(p), base::ERangeError) << rate;
    }
    const CrossoverParameters at96k = AtSampleRate(CrossoverParameters{}, 96000);
    EXPECT_EQ(DesignCrossover(at96k).CommonLength, 1961);  // centre 450·96000/44100 = 979.6
    EXPECT_EQ(DesignCrossover(at96k).sampleRateHz, 96000);
}

TEST(CrossoverDesignTest, InitialDesignHasTheCommonLayout) {
    const CrossoverTaps& t = InitialDesign();
    EXPECT_EQ(t.CommonLength, 901);
    EXPECT_EQ(t.CommonCentre, 450);
    for (const auto* taps : {&t.LowTaps, &t.MidTaps, &t.HighTaps, &t.SumTaps}) {
        EXPECT_EQ(taps->size(), 901u);
    }
}

TEST(CrossoverDesignTest, CentreTapsAreTheIdealFiltersPassFractions) {
    // Closed forms: 2·fc/fs for the low-pass, 2·(fh − fl)/fs for the band-pass, 1 − 2·fc/fs for
    // the high-pass; the window is 1 at the centre.
    const CrossoverTaps& t = InitialDesign();
    EXPECT_DOUBLE_EQ(t.LowTaps[450], 600.0 / 44100.0);
    EXPECT_DOUBLE_EQ(t.MidTaps[450], 3400.0 / 44100.0);
    EXPECT_DOUBLE_EQ(t.HighTaps[450], 1.0 - 4000.0 / 44100.0);
    EXPECT_NEAR(t.SumTaps[450], 1.0, 1e-15);
}

TEST(CrossoverDesignTest, InitialDesignKnownTaps) {
    // The initial design's spot values as known to the digits given, the same that
    // tests/golden/generate_golden.py checks itself against; golden_test.cpp pins every tap.
    const CrossoverTaps& t = InitialDesign();
    EXPECT_NEAR(t.LowTaps[449], 0.01360082, 5e-9);
    EXPECT_EQ(t.LowTaps[449], t.LowTaps[451]);
    EXPECT_NEAR(t.LowTaps[0], 8.5247e-10, 5e-14);
    EXPECT_NEAR(t.MidTaps[100], -4.0774e-9, 5e-13);
    EXPECT_NEAR(t.MidTaps[800], t.MidTaps[100], 1e-20);
    EXPECT_NEAR(t.HighTaps[449], -0.0894518, 5e-8);
    EXPECT_NEAR(t.HighTaps[300], 6.4444e-9, 5e-13);
}

TEST(CrossoverDesignTest, ShorterBandsArePaddedWithZeros) {
    const CrossoverTaps& t = InitialDesign();
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(t.MidTaps[i], 0.0);
        EXPECT_EQ(t.MidTaps[900 - i], 0.0);
    }
    for (int i = 0; i < 300; ++i) {
        EXPECT_EQ(t.HighTaps[i], 0.0);
        EXPECT_EQ(t.HighTaps[900 - i], 0.0);
    }
    EXPECT_NE(t.HighTaps[300], 0.0);
    EXPECT_NE(t.MidTaps[100], 0.0);
}

TEST(CrossoverDesignTest, EveryBandIsSymmetricAndTheSumAddsTheBands) {
    const CrossoverTaps& t = InitialDesign();
    for (int i = 0; i <= 450; ++i) {
        for (const auto* taps : {&t.LowTaps, &t.MidTaps, &t.HighTaps}) {
            EXPECT_NEAR((*taps)[i], (*taps)[900 - i], 1e-17) << i;
            EXPECT_FALSE(std::isnan((*taps)[i]));
        }
        EXPECT_NEAR(t.SumTaps[i], t.LowTaps[i] + t.MidTaps[i] + t.HighTaps[i], 1e-17);
    }
}

TEST(CrossoverDesignTest, AdjustModeSumsToAUnitImpulse) {
    const CrossoverTaps& t = AdjustedInitialDesign();
    for (int i = 0; i < t.CommonLength; ++i) {
        EXPECT_NEAR(t.SumTaps[i], i == 450 ? 1.0 : 0.0, 1e-15) << i;
    }
    EXPECT_NEAR(t.MidTaps[450], 3400.0 / 44100.0, 1e-15);
    EXPECT_NEAR(t.MidTaps[0], -t.LowTaps[0], 1e-22);
    EXPECT_NEAR(t.MidTaps[0], -8.5247e-10, 5e-14);
}

TEST(CrossoverDesignTest, AdjustModeIgnoresTheOuterCutOffs) {
    CrossoverParameters p;
    p.lowCount = p.midCount = p.highCount = 31;
    p.adjustCoefficient = true;
    const CrossoverTaps reference = DesignCrossover(p);
    p.lowCrossHz = 5000.0;
    p.highCrossHz = 7.0;
    const CrossoverTaps moved = DesignCrossover(p);
    EXPECT_EQ(moved.LowTaps, reference.LowTaps);
    EXPECT_EQ(moved.HighTaps, reference.HighTaps);
    EXPECT_EQ(moved.MidTaps, reference.MidTaps);
}

TEST(CrossoverDesignTest, OddCasesDesignWithoutError) {
    CrossoverParameters p;
    p.lowCount = p.midCount = p.highCount = 51;
    p.lowCrossHz = 0.0;
    p.midCrossLowHz = 3000.0;  // above the upper edge
    p.midCrossHighHz = 1000.0;
    p.attenuationDb = 20.0;  // β = 0: rectangular window
    const CrossoverTaps t = DesignCrossover(p);
    for (double tap : t.LowTaps) {
        EXPECT_EQ(tap, 0.0);
    }
    EXPECT_LT(t.MidTaps[25], 0.0);
    // With a rectangular window the taps are the ideal filter's: sin(πk·(1 − 2fc/fs))/(πk)·(−1)^k.
    const double pass = 1.0 - 2.0 * 2000.0 / 44100.0;
    EXPECT_NEAR(t.HighTaps[26], -std::sin(M_PI * pass) / M_PI, 1e-15);
    EXPECT_EQ(t.CommonLength, 51);
}

struct CountFailure {
    const char* name;
    int32_t low, mid, high;
    const char* where;  // the band the error names: the negative one, or the longest
};

class DesignRejectsCountsTest : public ::testing::TestWithParam<CountFailure> {};

TEST_P(DesignRejectsCountsTest, NegativeOrHugeCountsAreRangeErrorsOfTheirBand) {
    CrossoverParameters p;
    p.lowCount = GetParam().low;
    p.midCount = GetParam().mid;
    p.highCount = GetParam().high;
    EXPECT_THROW(DesignCrossover(p), base::ERangeError);
    EXPECT_EQ(RaisedWhere([&] { DesignCrossover(p); }), GetParam().where);
    EXPECT_EQ(RaisedWhere([&] { DesignCrossoverLiteral(p); }), GetParam().where);
}

INSTANTIATE_TEST_SUITE_P(Counts, DesignRejectsCountsTest,
                         ::testing::Values(CountFailure{"OneNegative", 901, -1, 301, "mid band"},
                                           CountFailure{"AllNegative", -3, -5, -1, "high band"},
                                           CountFailure{"TwoToTheTwentyEight", 268435457, 3, 3,
                                                        "low band"}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(CrossoverDesignTest, ArraysBeyondTheMemoryCapAreOutOfMemory) {
    CrossoverParameters p;
    p.lowCount = 1001;
    p.midCount = p.highCount = 11;
    {
        const ScopedTapArrayMemoryLimit limit(1000 * sizeof(double));
        EXPECT_THROW(DesignCrossover(p), base::EOutOfMemory);
        EXPECT_THROW(DesignCrossoverLiteral(p), base::EOutOfMemory);
        p.lowCount = 999;
        EXPECT_EQ(DesignCrossover(p).CommonLength, 999);
    }
    p.lowCount = 1001;
    EXPECT_EQ(DesignCrossover(p).CommonLength, 1001);
}

// Without a cap, a design whose arrays the machine cannot hold is refused before it is allocated,
// where the system would otherwise end the process when the pages are touched. The largest count
// takes 2 GiB an array; a machine with 32 GiB available could hold it, and the test says so.
TEST(CrossoverDesignTest, ArraysTheMachineCannotHoldAreOutOfMemory) {
    std::ifstream meminfo("/proc/meminfo");
    std::string key;
    std::size_t availableKiB = 0;
    while (meminfo >> key >> availableKiB && key != "MemAvailable:") {
        meminfo.ignore(64, '\n');
    }
    if (availableKiB >= (std::size_t{32} << 20)) {
        GTEST_SKIP() << "this machine has " << availableKiB << " KiB available";
    }
    CrossoverParameters p;
    p.lowCount = 268435455;
    p.midCount = p.highCount = 3;
    EXPECT_THROW(DesignCrossover(p), base::EOutOfMemory);
}

TEST(CrossoverDesignTest, OneTapBandIsAnInvalidOperationOfItsBand) {
    CrossoverParameters p;
    p.highCount = 1;
    EXPECT_THROW(DesignCrossover(p), base::EInvalidOp);
    EXPECT_EQ(RaisedWhere([&] { DesignCrossover(p); }), "high band");
    EXPECT_EQ(RaisedWhere([&] { DesignCrossoverLiteral(p); }), "high band");
}

}  // namespace
}  // namespace kc::dsp
