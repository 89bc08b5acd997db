// SPDX-License-Identifier: GPL-3.0-or-later
// The acoustic view's picture as numbers: the logarithmic frequency axis, its ticks, the level
// axis, the phase drawn without a line where it wraps round, and the readout.
#include <gtest/gtest.h>

#include <cmath>

#include "base/text_convert.h"
#include "graph/acoustic_plot.h"
#include "recording_canvas.h"

namespace kc::graph {
namespace {

TEST(AcousticPlotAxisTest, LogarithmicFrequencyAxisAndItsTicks) {
    const PlotFrame frame{60, 20, 700, 400};
    const FrequencyAxis axis{10.0, 20000.0};
    EXPECT_DOUBLE_EQ(XOfFrequency(frame, axis, 10.0), 60.0);
    EXPECT_DOUBLE_EQ(XOfFrequency(frame, axis, 20000.0), 760.0);
    EXPECT_NEAR(XOfFrequency(frame, axis, std::sqrt(10.0 * 20000.0)), 410.0, 1e-9);
    EXPECT_NEAR(FrequencyOfX(frame, axis, XOfFrequency(frame, axis, 1234.5)), 1234.5, 1e-9);

    const std::vector<double> ticks = FrequencyTicks(axis);
    ASSERT_EQ(ticks.size(), 11u);  // 10, 20, 50, ..., 10k, 20k
    EXPECT_EQ(ticks.front(), 10.0);
    EXPECT_EQ(ticks.back(), 20000.0);
    const std::pair<double, const char*> texts[] = {
        {10.0, "10"}, {500.0, "500"}, {1000.0, "1k"}, {20000.0, "20k"}, {0.5, "0.5"}};
    for (const auto& [hz, text] : texts) {
        EXPECT_EQ(FrequencyTickText(hz), text) << hz;
    }
}

TEST(AcousticPlotAxisTest, LevelAxisSpansSixtyDecibelsBelowTheRoundedTop) {
    AcousticPlotInputs inputs;
    inputs.levelsDb = {std::vector<double>{80.0, 87.67}, {-300.0}, {}, {86.0}};
    EXPECT_EQ(LevelAxisOf(inputs).topDb, 100.0);  // 87.67 + 3 rounded up to 10 dB
    EXPECT_EQ(LevelAxisOf(inputs).bottomDb, 40.0);
    inputs.levelsDb = {std::vector<double>{-300.0}, {}, {}, {-300.0}};  // nothing but the floor
    EXPECT_EQ(LevelAxisOf(inputs).topDb, 10.0);
}

// A phase that passes 180° would otherwise draw a vertical line across the whole plot.
TEST(AcousticPlotDrawTest, PhaseIsNotJoinedWhereItWrapsRound) {
    AcousticPlotInputs inputs;
    inputs.frequenciesHz = {100.0, 200.0, 400.0};
    inputs.levelsDb = {std::vector<double>{0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}};
    inputs.sumPhaseDeg = {150.0, 175.0, -175.0};
    inputs.choices.rightAxis = acoustic::RightAxis::SumPhase;
    testing::RecordingCanvas canvas;
    DrawAcousticPlot(canvas, inputs,
                     {[](std::string_view t) { return int32_t(6 * t.size()); }, 12});
    const testing::Call grey = testing::PenColor({128, 128, 128});
    const auto start = std::find(canvas.calls.begin(), canvas.calls.end(), grey);
    ASSERT_NE(start, canvas.calls.end());
    const auto end = std::find_if(start + 1, canvas.calls.end(),
                                  [](const testing::Call& c) { return c.op == "PenColor"; });
    // One segment (150° to 175°) of MoveTo, LineTo and the end pixel's MoveTo, LineTo.
    EXPECT_EQ(std::count_if(start, end, [](const testing::Call& c) { return c.op == "LineTo"; }),
              2);
}

TEST(AcousticPlotReadoutTest, NearestFrequencyAndItsLevelsInTheWindowsSeparator) {
    AcousticPlotInputs inputs;
    inputs.frequenciesHz = {500.0, 1000.0, 2000.0};
    inputs.levelsDb = {
        std::vector<double>{0, -6.0206, 0}, {0, -6.03, 0}, {0, -92.1, 0}, {0, 0.01, 0}};
    inputs.sumPhaseDeg = {0, 3.21, 0};
    EXPECT_EQ(NearestFrequency(inputs.frequenciesHz, 1400.0), 1u);  // below √2 kHz, the middle
    EXPECT_EQ(NearestFrequency(inputs.frequenciesHz, 1450.0), 2u);
    EXPECT_EQ(NearestFrequency(inputs.frequenciesHz, 10.0), 0u);
    const base::ScopedDecimalSeparator comma(",");
    EXPECT_EQ(AcousticReadoutText(inputs, 1),
              "f = 1000,0 Hz: low -6,02 dB, mid -6,03 dB, high -92,10 dB, sum 0,01 dB, phase "
              "3,2°");
}

// 500 ... 2000 Hz over columns 10 ... 109: 1000 Hz at column 60, √2 kHz (the middle of 1 and
// 2 kHz on the log axis) at 85.
TEST(AcousticPlotReadoutTest, PixelColumnReadsTheNearestFrequencyInsideTheFrameOnly) {
    const PlotFrame frame{10, 20, 100, 51};
    AcousticPlotInputs inputs;
    inputs.frequenciesHz = {500.0, 1000.0, 2000.0};
    EXPECT_EQ(FrequencyIndexAtPixel(frame, inputs, 10.0), 0u);
    EXPECT_EQ(FrequencyIndexAtPixel(frame, inputs, 60.0), 1u);
    EXPECT_EQ(FrequencyIndexAtPixel(frame, inputs, 84.9), 1u);
    EXPECT_EQ(FrequencyIndexAtPixel(frame, inputs, 85.1), 2u);
    EXPECT_FALSE(FrequencyIndexAtPixel(frame, inputs, 9.9));
    EXPECT_FALSE(FrequencyIndexAtPixel(frame, inputs, 110.0));
    inputs.note = "No design yet: press Calc in the main window.";
    EXPECT_FALSE(FrequencyIndexAtPixel(frame, inputs, 60.0));
}

}  // namespace
}  // namespace kc::graph
