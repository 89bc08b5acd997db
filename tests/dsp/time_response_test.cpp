// SPDX-License-Identifier: GPL-3.0-or-later
// The time domain of a design: pre-ringing by its definition, step responses, dB levels, the
// summary line.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "base/errors.h"
#include "dsp/time_response.h"
#include "support/initial_design.h"

namespace kc::dsp {
namespace {

struct PreRingingCase {
    const char* name;
    std::vector<double> step;
    int32_t centre;
    int32_t thresholdDb;
    int32_t sampleRateHz;
    int32_t firstIndex;  // by hand: the first |step| >= largest |step| · 10^(−threshold / 20)
    double crossing;     // by hand: where |step| reaches it, sample n standing at n + ½
};

// Times are (centre − crossing) · 1000 / rate, computed here in double from the hand-found
// crossing.
TEST(PreRingingTest, StepCrossesTheThresholdOfItsLargestBetweenSamples) {
    const PreRingingCase cases[] = {
        // 60 dB below 1 is 0.001: reached between 0.0005 (at 1.5) and 0.003 (at 2.5), a fifth on.
        {"Interpolated", {0.0, 0.0005, 0.003, 0.5, 1.0, 1.0, 1.0}, 3, 60, 44100, 2, 1.7},
        {"OtherRate", {0.0, 0.0005, 0.003, 0.5, 1.0, 1.0, 1.0}, 3, 60, 48000, 2, 1.7},
        // 40 dB: 0.01, which only the centre's own step reaches: no ringing before it.
        {"OnlyTheCentre", {0.0, 0.0005, 0.003, 0.5, 1.0, 1.0, 1.0}, 3, 40, 44100, 3, 3.0},
        // The first sample reaches it: halfway from the step's 0 before the first tap (at −½).
        {"FirstSample", {0.002, 0.002, 1.0, 1.0, 1.0}, 2, 60, 44100, 0, 0.0},
        // Magnitudes count: 0.001 between 0.0004 and 0.0024, three tenths on from 0.5.
        {"NegativeStep", {-0.0004, -0.0024, -1.0, -1.0, -1.0}, 2, 60, 44100, 1, 0.8},
        // A band of zeros (a cut-off of 0 Hz) does not ring.
        {"Zeros", {0.0, 0.0, 0.0}, 1, 60, 44100, 1, 1.0},
    };
    for (const PreRingingCase& row : cases) {
        SCOPED_TRACE(row.name);
        const PreRinging figure =
            PreRingingOf(row.step, row.centre, row.thresholdDb, row.sampleRateHz);
        EXPECT_EQ(figure.firstIndex, row.firstIndex);
        EXPECT_NEAR(figure.ms, (row.centre - row.crossing) * 1000.0 / row.sampleRateHz, 1e-12);
    }
}

// The same filter at four rates (the initial design, its counts scaled to the same length in
// time): each band's and the sum's figure within 0.03 ms of the others at every threshold. The
// figure from the largest tap gave the high-pass 1.429 ms at 44.1 kHz and 0.652 ms at 352.8 kHz.
TEST(PreRingingTest, TheSameFilterRingsAsLongAtEveryRate) {
    for (const bool adjust : {false, true}) {
        CrossoverParameters design;
        design.adjustCoefficient = adjust;
        std::vector<TimeResponse> responses;
        for (const int32_t rate : {44100, 88200, 176400, 352800}) {
            responses.push_back(
                MakeTimeResponse(DesignCrossover(AtSampleRate(design, rate)), adjust));
        }
        for (const int32_t db : {20, 60, 120, 160}) {
            const auto reference = PreRingingFigures(responses.front(), db);
            for (const TimeResponse& response : responses) {
                const auto figures = PreRingingFigures(response, db);
                for (std::size_t curve = 0; curve < kCurveCount; ++curve) {
                    EXPECT_NEAR(figures[curve].ms, reference[curve].ms, 0.03)
                        << kCurveNames[curve].id << " at " << response.sampleRateHz << " Hz, " << db
                        << " dB, adjust " << adjust;
                }
            }
        }
    }
}

TEST(PreRingingTest, ThresholdOutsideItsRangeIsARangeError) {
    const std::vector<double> step = {0.1, 1.1, 1.2};
    EXPECT_THROW(PreRingingOf(step, 1, 19), base::ERangeError);
    EXPECT_THROW(PreRingingOf(step, 1, 161), base::ERangeError);
    EXPECT_NO_THROW(PreRingingOf(step, 1, 20));
    EXPECT_NO_THROW(PreRingingOf(step, 1, 160));
}

// With adjust on, the sum is a unit impulse at the centre up to rounding (below 1e-15): it
// does not ring at any threshold, and its step is 0 before the centre and 1 from it on.
TEST(TimeResponseTest, AdjustedSumIsAUnitImpulseThatDoesNotRing) {
    const TimeResponse response =
        MakeTimeResponse(testing_support::AdjustedInitialDesign(), /*adjusted=*/true);
    for (const int32_t db : {20, 60, 160}) {
        const auto figures = PreRingingFigures(response, db);
        EXPECT_EQ(figures[3].firstIndex, 450) << db;
        EXPECT_EQ(figures[3].ms, 0.0) << db;
    }
    const std::vector<double>& step = response.step[3];
    ASSERT_EQ(step.size(), 901u);
    EXPECT_NEAR(step[449], 0.0, 1e-14);
    EXPECT_NEAR(step[450], 1.0, 1e-14);
    EXPECT_NEAR(step[900], 1.0, 1e-14);
}

// The low-pass passes DC with unit gain: its step ends at the sum of its taps, near 1; the
// high-pass blocks DC: its step ends near 0.
TEST(TimeResponseTest, StepIsTheRunningSumOfTheTaps) {
    EXPECT_EQ(StepResponse(std::vector<double>{1.0, -2.0, 0.5}),
              (std::vector<double>{1.0, -1.0, -0.5}));
    const TimeResponse response = MakeTimeResponse(testing_support::InitialDesign(), false);
    long double lowSum = 0.0L;
    for (const double tap : response.impulse[0]) {
        lowSum += tap;
    }
    EXPECT_EQ(response.step[0].back(), static_cast<double>(lowSum));
    EXPECT_NEAR(response.step[0].back(), 1.0, 1e-6);
    EXPECT_NEAR(response.step[2].back(), 0.0, 1e-6);
}

TEST(TimeResponseTest, LevelsInDbHaveAFloor) {
    EXPECT_EQ(ImpulseLevelDb(0.0), kImpulseFloorDb);
    EXPECT_EQ(ImpulseLevelDb(1e-9), kImpulseFloorDb);  // -180 dB
    EXPECT_DOUBLE_EQ(ImpulseLevelDb(-0.1), -20.0);
    EXPECT_DOUBLE_EQ(ImpulseLevelDb(1e-7), -140.0);
}

TEST(TimeResponseTest, SummaryLineHasThreeDecimalsAndTheThreshold) {
    const std::array<PreRinging, kCurveCount> figures = {
        PreRinging{0, 3.288}, PreRinging{0, 1.0429}, PreRinging{0, 0.2036}, PreRinging{0, 0.0}};
    EXPECT_EQ(PreRingingLine(figures, 60),
              "Pre-ringing (-60 dB): low 3.288 ms, mid 1.043 ms, high 0.204 ms, sum 0.000 ms");
    EXPECT_EQ(PreRingingLine(figures, 120).substr(0, 23), "Pre-ringing (-120 dB): ");
}

}  // namespace
}  // namespace kc::dsp
