// SPDX-License-Identifier: GPL-3.0-or-later
#include "dsp/evaluation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "base/errors.h"
#include "support/initial_design.h"

namespace kc::dsp {
namespace {

using Evaluator = std::function<Evaluation(const CrossoverTaps&)>;

// Taps built by hand: every array equal to `taps`.
CrossoverTaps UniformTaps(std::vector<double> taps) {
    CrossoverTaps t;
    t.CommonLength = static_cast<int32_t>(taps.size());
    t.CommonCentre = t.CommonLength / 2;
    t.LowTaps = t.MidTaps = t.HighTaps = t.SumTaps = std::move(taps);
    return t;
}

using testing_support::AdjustedInitialDesign;

class EvaluationTest : public ::testing::TestWithParam<std::pair<const char*, Evaluator>> {
  protected:
    Evaluation Evaluate(const CrossoverTaps& taps) const { return GetParam().second(taps); }
};

TEST(FreqGridTest, TwoRunsOfTwoAndTwentyHertz) {
    EXPECT_EQ(FreqGrid(1), 2);
    EXPECT_EQ(FreqGrid(500), 1000);
    EXPECT_EQ(FreqGrid(501), 1020);
    EXPECT_EQ(FreqGrid(950), 10000);
    for (int32_t k = 2; k <= kGridPoints; ++k) {
        EXPECT_GT(FreqGrid(k), FreqGrid(k - 1));
    }
}

TEST_P(EvaluationTest, TwoTapAverageFollowsItsClosedForm) {
    // |0.5 + 0.5·e^(−j2θ)| = |cos θ| with θ = 2π·f/fs.
    const Evaluation e = Evaluate(UniformTaps({0.5, 0.0, 0.5}));
    for (int32_t k = 1; k <= kGridPoints; ++k) {
        const double expected = std::fabs(std::cos(2.0 * M_PI * FreqGrid(k) / 44100.0));
        EXPECT_NEAR(e.store->LowMag[k], expected, 1e-15) << k;
        EXPECT_NEAR(e.store->LowDb[k], (20.0 * std::log10(expected) + 100.0) / 100.0, 1e-13);
    }
    EXPECT_NEAR(e.CMax, std::cos(2.0 * M_PI * 2.0 / 44100.0), 1e-15);
}

TEST_P(EvaluationTest, UnitImpulseHasUnitMagnitudeAndLevelOne) {
    const Evaluation e = Evaluate(UniformTaps({0.0, 1.0, 0.0}));
    for (int32_t k = 1; k <= kGridPoints; ++k) {
        EXPECT_NEAR(e.store->MidMag[k], 1.0, 1e-15);
        EXPECT_NEAR(e.store->HighDb[k], 1.0, 1e-15);
    }
    EXPECT_EQ(e.store->LowMag[0], 0.0);
    EXPECT_EQ(CMaxLine(e.CMax), "振幅係数の最大値：CMax = 1.000000");
}

TEST_P(EvaluationTest, SumLevelHasItsFloorInBothRuns) {
    const Evaluation e = Evaluate(UniformTaps({0.0, 1e-9, 0.0}));
    EXPECT_NEAR(e.store->SumDb[1], (20.0 * std::log10(0.001 + 1e-9) + 100.0) / 100.0, 1e-12);
    EXPECT_NEAR(e.store->SumDb[950], (20.0 * std::log10(0.0001 + 1e-9) + 100.0) / 100.0, 1e-12);
    EXPECT_NEAR(e.store->LowDb[1], -0.8, 1e-12);  // −180 dB, not clamped
}

TEST_P(EvaluationTest, AdjustedDesignSumsToUnity) {
    const Evaluation e = Evaluate(AdjustedInitialDesign());
    for (int32_t k = 1; k <= kGridPoints; ++k) {
        EXPECT_NEAR(e.store->SumMag[k], 1.0, 1e-12) << k;
    }
    EXPECT_NEAR(e.store->SumDb[1], 1.0000868, 1e-7);
    EXPECT_NEAR(e.store->SumDb[600], 1.0000087, 1e-7);
    EXPECT_LT(e.CMax, 1.01);
    EXPECT_GT(e.CMax, 0.99);
}

TEST_P(EvaluationTest, ZeroBandHasNoLevel) {
    // An all-zero band (a low-pass cut-off of 0) has magnitude 0, whose logarithm divides by 0.
    CrossoverTaps t = UniformTaps({0.0, 1.0, 0.0});
    t.LowTaps = {0.0, 0.0, 0.0};
    EXPECT_THROW(Evaluate(t), base::EZeroDivide);
}

INSTANTIATE_TEST_SUITE_P(Evaluators, EvaluationTest,
                         ::testing::Values(std::make_pair("Literal",
                                                          Evaluator(EvaluateResponsesLiteral)),
                                           std::make_pair("Fast", Evaluator(EvaluateResponses))),
                         [](const auto& row) { return std::string(row.param.first); });

TEST(CMaxTest, TakesTheLargestBandMagnitudeButNotTheSum) {
    ResponseStore store;
    store.LowMag[3] = 0.5;
    store.MidMag[700] = 1.25;
    store.HighMag[950] = 1.125;
    store.SumMag[10] = 9.0;
    EXPECT_EQ(FindCMax(store), 1.25);
    EXPECT_EQ(FindCMax(ResponseStore{}), 0.0);
}

TEST(CMaxTest, LineUsesTheSixDecimalFormat) {
    EXPECT_EQ(CMaxLine(1.0), "振幅係数の最大値：CMax = 1.000000");
    EXPECT_EQ(CMaxLine(1.00002349), "振幅係数の最大値：CMax = 1.000023");
}

}  // namespace
}  // namespace kc::dsp
