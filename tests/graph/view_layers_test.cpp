// SPDX-License-Identifier: GPL-3.0-or-later
// What the second window's plots draw beside their curves: the pre-ringing threshold and marks
// and the cursor of a time view; the acoustic plot's level range, group-delay axis and zoom.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "graph/acoustic_zoom.h"
#include "graph/curve_colors.h"
#include "graph/time_plot.h"
#include "recording_canvas.h"

namespace kc::graph {
namespace {

using testing::Call;

const TextMetrics kMetrics{[](std::string_view text) { return int32_t(7 * text.size()); }, 12};

dsp::TimeResponse FiveTaps() {
    dsp::CrossoverTaps taps;
    taps.CommonLength = 5;
    taps.CommonCentre = 2;
    taps.LowTaps = {0.1, 0.2, 0.4, 0.2, 0.1};
    taps.MidTaps = {-0.1, 0.1, 0.3, 0.1, -0.1};
    taps.HighTaps = {0.0, -0.3, 0.3, -0.3, 0.0};
    taps.SumTaps = {0.0, 0.0, 1.0, 0.0, 0.0};
    return dsp::MakeTimeResponse(taps, false);
}

// Whether `calls` holds `wanted` in that order, one right after the other.
bool HasRun(const std::vector<Call>& calls, const std::vector<Call>& wanted) {
    return std::search(calls.begin(), calls.end(), wanted.begin(), wanted.end()) != calls.end();
}

// The step view of the low band (largest step 1.0) at a 20 dB threshold: dotted lines at ±0.1 in
// the band's colour; its pre-ringing of 0.03 ms a mark rising 12 rows from the frame's bottom at
// t = −0.03 ms; the cursor at tap 3 a grey line there and the shown values beside it.
TEST(TimePlotLayersTest, ThresholdLinesPreRingingMarkAndCursor) {
    const dsp::TimeResponse response = FiveTaps();
    TimePlotInputs inputs;
    inputs.response = &response;
    inputs.kind = dsp::TimeSeriesKind::Step;
    inputs.shown = {true, false, false, false};
    inputs.range = {-0.06, 0.06, -1.2, 1.2};
    inputs.thresholdDb = 20;
    inputs.preRinging[0] = {1, 0.03};
    inputs.cursorTap = 3;
    inputs.width = 400;
    inputs.height = 300;
    testing::RecordingCanvas canvas;
    DrawTimePlot(canvas, inputs, kMetrics);
    const PlotFrame frame = TimePlotFrame(400, 300, 12);
    const int32_t right = frame.left + frame.width - 1;
    const int32_t bottom = frame.top + frame.height - 1;
    for (const double level : {0.1, -0.1}) {
        const auto y = static_cast<int32_t>(std::floor(YOfValue(frame, inputs.range, level) + 0.5));
        EXPECT_TRUE(
            HasRun(canvas.calls, {testing::MoveTo(frame.left, y), testing::LineTo(right, y)}))
            << level;
    }
    EXPECT_TRUE(HasRun(canvas.calls, {testing::Style(PenStyle::psDot)}));
    const auto markX = static_cast<int32_t>(std::floor(XOfTime(frame, inputs.range, -0.03)));
    EXPECT_TRUE(HasRun(canvas.calls,
                       {testing::MoveTo(markX, bottom - 12), testing::LineTo(markX, bottom)}));
    const double tMs = dsp::TapTimeMs(3, 2, response.sampleRateHz);
    const auto cursorX = static_cast<int32_t>(std::floor(XOfTime(frame, inputs.range, tMs)));
    EXPECT_TRUE(
        HasRun(canvas.calls, {testing::PenColor(kCursorColor), testing::MoveTo(cursorX, frame.top),
                              testing::LineTo(cursorX, bottom)}));
    // The step of the low band at tap 3 is 0.1 + 0.2 + 0.4 + 0.2; only shown curves are read out.
    const auto texts = [&](std::string_view text) {
        return std::any_of(canvas.calls.begin(), canvas.calls.end(),
                           [&](const Call& c) { return c.op == "TextOut" && c.text == text; });
    };
    EXPECT_TRUE(texts("low 0.9"));
    EXPECT_FALSE(texts("sum 0"));
}

AcousticPlotInputs FlatInputs() {
    AcousticPlotInputs inputs;
    for (double f = 100.0; f <= 10000.0; f *= std::exp2(1.0 / 48.0)) {
        inputs.frequenciesHz.push_back(f);
    }
    const std::size_t count = inputs.frequenciesHz.size();
    inputs.levelsDb = {std::vector<double>(count, 0.3), std::vector<double>(count, -200.0),
                       std::vector<double>(count, -200.0), std::vector<double>(count, 0.3)};
    return inputs;
}

// A 6 dB range rounds its top to its 1 dB ticks with 0.6 dB to spare: 0.3 dB reads 1 ... −5 dB.
// The group delay's axis takes only curves that show: the −200 dB bands' 50 ms are left out.
TEST(AcousticPlotLayersTest, LevelRangeAndGroupDelayAxisOfWhatShows) {
    AcousticPlotInputs inputs = FlatInputs();
    inputs.choices.levelRangeDb = 6.0;
    EXPECT_DOUBLE_EQ(LevelAxisOf(inputs).topDb, 1.0);
    EXPECT_DOUBLE_EQ(LevelAxisOf(inputs).bottomDb, -5.0);
    const std::size_t count = inputs.frequenciesHz.size();
    inputs.groupDelaysMs = {std::vector<double>(count, 1.0), std::vector<double>(count, 50.0),
                            std::vector<double>(count, 50.0), std::vector<double>(count, 2.0)};
    const DelayAxis axis = DelayAxisOf(inputs);
    EXPECT_DOUBLE_EQ(axis.bottomMs, 0.9);  // 1 ... 2 ms with a tenth to spare
    EXPECT_DOUBLE_EQ(axis.topMs, 2.1);
}

// A rubber band over the frame's middle half shows the frequencies and levels under its edges; a
// wheel turn keeps the point under the pointer; a click-sized band and a zero factor zoom nowhere.
TEST(AcousticPlotLayersTest, ZoomByBandAndAboutThePointer) {
    const AcousticPlotInputs inputs = FlatInputs();
    const PlotFrame frame{60, 20, 400, 301};
    const AcousticRange whole = ShownRange(inputs);
    const auto zoomed =
        AcousticZoomedToBand(frame, inputs, {160.0, 95.0, 360.0, 245.0});  // x ¼ ... ¾, y ¼ ... ¾
    ASSERT_TRUE(zoomed);
    const double ratio = whole.lastHz / whole.firstHz;
    EXPECT_NEAR(zoomed->firstHz, whole.firstHz * std::pow(ratio, 0.25), 1e-9);
    EXPECT_NEAR(zoomed->lastHz, whole.firstHz * std::pow(ratio, 0.75), 1e-9);
    const double span = whole.topDb - whole.bottomDb;
    EXPECT_NEAR(zoomed->topDb, whole.topDb - 0.25 * span, 1e-9);
    EXPECT_NEAR(zoomed->bottomDb, whole.bottomDb + 0.25 * span, 1e-9);

    AcousticPlotInputs zoomedInputs = inputs;
    const auto about = AcousticZoomedAbout(frame, inputs, 160.0, 95.0, 0.5);
    ASSERT_TRUE(about);
    zoomedInputs.zoom = about;
    const FrequencyAxis before = ShownFrequencyAxis(inputs);
    const FrequencyAxis after = ShownFrequencyAxis(zoomedInputs);
    EXPECT_NEAR(FrequencyOfX(frame, after, 160.0), FrequencyOfX(frame, before, 160.0), 1e-9);
    EXPECT_NEAR(std::log(after.lastHz / after.firstHz), 0.5 * std::log(ratio), 1e-12);

    EXPECT_FALSE(AcousticZoomedToBand(frame, inputs, {100.0, 100.0, 102.0, 200.0}));
    EXPECT_FALSE(AcousticZoomedAbout(frame, inputs, 100.0, 100.0, 0.0));
    // The smallest part: a twelfth of an octave, 0.1 dB.
    const AcousticRange tiny = LimitedAcousticRange({1000.0, 1000.0, 3.0, 3.0});
    EXPECT_NEAR(std::log2(tiny.lastHz / tiny.firstHz), 1.0 / 12.0, 1e-12);
    EXPECT_NEAR(tiny.topDb - tiny.bottomDb, 0.1, 1e-12);
}

}  // namespace
}  // namespace kc::graph
