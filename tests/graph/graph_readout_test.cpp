// SPDX-License-Identifier: GPL-3.0-or-later
// The readout's choice of grid point under a pixel column and its level texts.
#include "graph/graph_readout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>

#include "base/text_convert.h"
#include "graph/mapping.h"

namespace kc::graph {
namespace {

constexpr int32_t kWidth = 593;

struct NearestCase {
    const char* name;
    bool logFrequency;
    int32_t x;
    int32_t expectedK;
};

void PrintTo(const NearestCase& row, std::ostream* out) {
    *out << row.name;
}

// Positions by hand from the axis formulas on a 593-pixel image (linear f / 10000 · 593, log
// (log10 f − 1) / 3 · 593), cross-checked with a separate double-precision script of the rule.
const NearestCase kNearestCases[] = {
    // 2 ... 16 Hz all lie in column 0; 8 Hz (0.47) is nearest its middle.
    {"LinearLeftEdge", false, 0, 4},
    // 996, 998 and 1000 Hz share column 59 (1000 Hz at 59.30 nearest 59.5); 1020 Hz is alone in 60.
    {"LinearBeforeSeam", false, 59, 500},
    {"LinearAfterSeam", false, 60, 501},
    {"LinearMiddle", false, 296, 700},  // 5000 Hz at 296.5
    // Column 592 holds no point: 9980 Hz (591.81) and 10000 Hz (593.0) are one column away each,
    // and 10000 Hz lies nearer its middle.
    {"LinearRightEdge", false, 592, 950},
    // 10 Hz lies on x = 0; 8 Hz and below lie left of the image (8 Hz at −19).
    {"LogLeftEdge", true, 0, 5},
    {"LogNearLeftEdge", true, 2, 5},
    // 998 and 1000 Hz share column 395 (395.16, 395.33); column 396 is empty, between 1000 Hz
    // (395.33) and 1020 Hz (397.03), which lies nearer its middle.
    {"LogBeforeSeam", true, 395, 500},
    {"LogInSeam", true, 396, 501},
    {"LogAfterSeam", true, 397, 501},
    // 9900 ... 9980 Hz share column 592; 9940 Hz (592.48) is nearest its middle.
    {"LogRightEdge", true, 592, 947},
};

class NearestGridPointTest : public testing::TestWithParam<NearestCase> {};

TEST_P(NearestGridPointTest, ChoosesThePointUnderTheColumn) {
    const NearestCase& row = GetParam();
    EXPECT_EQ(NearestGridPoint(row.x, row.logFrequency, kWidth), row.expectedK);
}

INSTANTIATE_TEST_SUITE_P(Axes, NearestGridPointTest, testing::ValuesIn(kNearestCases),
                         [](const testing::TestParamInfo<NearestCase>& row) {
                             return std::string(row.param.name);
                         });

// Over every column of both axes: no grid point lies in a nearer column than the one chosen, and
// moving the pointer right never goes back to a lower frequency.
TEST(NearestGridPointInvariantTest, NoPointIsNearerAndTheChoiceNeverGoesBack) {
    for (const bool logFrequency : {false, true}) {
        int32_t previousK = 1;
        for (int32_t x = 0; x < kWidth; ++x) {
            const int32_t k = NearestGridPoint(x, logFrequency, kWidth);
            const auto column = [&](int32_t point) {
                const int32_t f = dsp::FreqGrid(point);
                return logFrequency ? graph::FreqToXLog(f, kWidth)
                                    : graph::FreqToXLinear(f, kWidth);
            };
            const int32_t chosenDistance = std::abs(column(k) - x);
            for (int32_t other = 1; other <= dsp::kGridPoints; ++other) {
                ASSERT_GE(std::abs(column(other) - x), chosenDistance)
                    << "log " << logFrequency << " x " << x << " point " << other;
            }
            ASSERT_GE(k, previousK) << "log " << logFrequency << " x " << x;
            previousK = k;
        }
    }
}

TEST(LevelTextTest, GivesDecibelsWithTwoDecimals) {
    const std::pair<double, const char*> cases[] = {
        {1.0, "0.00 dB"},    {0.5, "-6.02 dB"},  // 20·log10(0.5) = −6.0206
        {0.1, "-20.00 dB"},  {2.0, "6.02 dB"},  {std::pow(10.0, -7.2), "-144.00 dB"},
        {0.9999, "0.00 dB"},  // −0.00087 dB: no "-0.00"
        {0.0, "-inf dB"},
    };
    for (const auto& [magnitude, text] : cases) {
        EXPECT_EQ(LevelText(magnitude), text) << magnitude;
    }
}

TEST(LevelTextTest, UsesTheWindowsDecimalSeparator) {
    const base::ScopedDecimalSeparator comma(",");
    EXPECT_EQ(LevelText(0.5), "-6,02 dB");
}

// The readout shows what the amplitude axis shows: levels on the dB axis, magnitudes on the
// linear one.
TEST(ReadoutTextTest, ListsTheFrequencyAndTheFourMagnitudesAsTheAxisShowsThem) {
    dsp::ResponseStore store;
    store.LowMag[500] = 0.5;
    store.MidMag[500] = 0.1;
    store.HighMag[500] = 0.0;
    store.SumMag[500] = 1.0;
    store.LowDb[500] = 0.25;  // the normalised levels are not what the readout shows
    EXPECT_EQ(ReadoutText(store, 500, true),
              "1000 Hz\nLow: -6.02 dB\nMid: -20.00 dB\nHigh: -inf dB\nSum: 0.00 dB");
    EXPECT_EQ(ReadoutText(store, 500, false),
              "1000 Hz\nLow: 0.5000\nMid: 0.1000\nHigh: 0.0000\nSum: 1.0000");
    EXPECT_EQ(ReadoutText(store, 501, true).substr(0, 8), "1020 Hz\n");
    const base::ScopedDecimalSeparator comma(",");
    EXPECT_EQ(MagnitudeText(0.50125), "0,5012");  // 0.50125 is stored just below: rounds down
    EXPECT_EQ(MagnitudeText(-0.00001), "0,0000");
}

}  // namespace
}  // namespace kc::graph
