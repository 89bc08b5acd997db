// SPDX-License-Identifier: GPL-3.0-or-later
// Zooming the time view in pixels: the rubber band and the wheel, the smallest range kept, the
// taps inside a range and the tap under a pixel column. Every expected number is a hand
// calculation from the linear axes of the plot frame.
#include "graph/time_zoom.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <vector>

namespace kc::graph {
namespace {

// Times −1 ... 1 ms over columns 10 ... 109 (TimeOfX(x) = −1 + (x − 10) / 50); amplitudes 2 ... −2
// over rows 20 ... 70 (ValueOfY(y) = 2 − (y − 20) · 4 / 50).
const PlotFrame kFrame{10, 20, 100, 51};
const TimeRange kRange{-1.0, 1.0, -2.0, 2.0};

void ExpectRange(const std::optional<TimeRange>& range, const TimeRange& expected) {
    ASSERT_TRUE(range.has_value());
    EXPECT_NEAR(range->tMinMs, expected.tMinMs, 1e-12);
    EXPECT_NEAR(range->tMaxMs, expected.tMaxMs, 1e-12);
    EXPECT_NEAR(range->yMin, expected.yMin, 1e-12);
    EXPECT_NEAR(range->yMax, expected.yMax, 1e-12);
}

TEST(TimeZoomTest, RubberBandShowsWhatItCoversAndAClickZoomsNowhere) {
    ExpectRange(ZoomedToBand(kFrame, kRange, {35.0, 30.0, 85.0, 45.0}, 44100),
                {-0.5, 0.5, 0.0, 1.2});
    ExpectRange(ZoomedToBand(kFrame, kRange, {60.0, 45.0, 64.0, 49.0}, 44100),
                {0.0, 0.08, -0.32, 0.0});  // 4 pixels: the smallest band
    EXPECT_FALSE(ZoomedToBand(kFrame, kRange, {60.0, 45.0, 63.5, 90.0}, 44100));
    EXPECT_FALSE(ZoomedToBand(kFrame, kRange, {20.0, 45.0, 90.0, 48.9}, 44100));
}

TEST(TimeZoomTest, WheelZoomsAboutThePointer) {
    // The middle (t = 0, v = 0): half the span in, twice out.
    ExpectRange(ZoomedAbout(kFrame, kRange, 60.0, 45.0, 0.5, 44100), {-0.5, 0.5, -1.0, 1.0});
    // t = −0.5, v = 1.2 keep their pixel: they divide each span as before.
    ExpectRange(ZoomedAbout(kFrame, kRange, 35.0, 30.0, 2.0, 44100), {-1.5, 2.5, -5.2, 2.8});
    for (const double factor : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN()}) {
        EXPECT_FALSE(ZoomedAbout(kFrame, kRange, 60.0, 45.0, factor, 44100)) << factor;
    }
}

// Two taps are 2000 / 44100 = 0.0453515 ms, at 48 kHz 0.0416667 ms; the amplitude keeps 1e-9
// times the larger of 1 and |yMax|.
TEST(TimeZoomTest, ZoomStopsAtTwoTapsAndAResolvableAmplitude) {
    const TimeRange tiny{1.0, 1.0, 5.0, 5.0};
    ExpectRange(LimitedTimeRange(tiny, 44100),
                {1.0 - 1000.0 / 44100, 1.0 + 1000.0 / 44100, 5.0 - 2.5e-9, 5.0 + 2.5e-9});
    ExpectRange(LimitedTimeRange({-0.01, 0.01, 0.2, 0.2}, 48000),
                {-1.0 / 48, 1.0 / 48, 0.2 - 0.5e-9, 0.2 + 0.5e-9});
    EXPECT_EQ(LimitedTimeRange(kRange, 44100), kRange);
    // Zooming in far keeps the smallest range about the pointer's point.
    ExpectRange(ZoomedAbout(kFrame, kRange, 60.0, 45.0, 1e-6, 44100),
                {-1000.0 / 44100, 1000.0 / 44100, -2e-6, 2e-6});
}

// Eleven taps at 1 kHz, centre 5: tap i lies at i − 5 ms.
dsp::TimeResponse ElevenTaps() {
    dsp::CrossoverTaps taps;
    taps.sampleRateHz = 1000;
    taps.CommonLength = 11;
    taps.CommonCentre = 5;
    taps.LowTaps = taps.MidTaps = taps.HighTaps = taps.SumTaps = std::vector<double>(11, 0.1);
    return dsp::MakeTimeResponse(taps, false);
}

TEST(TimeZoomTest, VisibleTapsAreThoseWhoseTimesLieInTheRange) {
    struct Row {
        const char* what;
        double tMinMs, tMaxMs;
        TapSpan taps;
    };
    const Row rows[] = {
        {"all, half a tap to spare", -5.5, 5.5, {0, 10}},
        {"inside", -1.2, 2.7, {4, 7}},
        {"ends on taps", -2.0, 2.0, {3, 7}},
        {"zoomed far out", -100.0, 100.0, {0, 10}},
        {"after the last", 6.5, 9.0, {11, 10}},
        {"before the first", -9.0, -6.0, {0, -1}},
        {"between two taps", 0.2, 0.8, {6, 5}},
    };
    const dsp::TimeResponse response = ElevenTaps();
    for (const Row& row : rows) {
        EXPECT_EQ(VisibleTaps(response, {row.tMinMs, row.tMaxMs, -1.0, 1.0}), row.taps) << row.what;
    }
}

TEST(TimeZoomTest, ReadoutNamesTheNearestTapInsideTheFrameOnly) {
    const dsp::TimeResponse response = ElevenTaps();
    const TimeRange all{-5.5, 5.5, -1.0, 1.0};  // 0.11 ms a column
    EXPECT_EQ(TapAtPixel(kFrame, all, response, 10.0), 0);
    EXPECT_EQ(TapAtPixel(kFrame, all, response, 60.0), 5);
    EXPECT_EQ(TapAtPixel(kFrame, all, response, 64.0), 5);  // 0.44 ms
    EXPECT_EQ(TapAtPixel(kFrame, all, response, 65.0), 6);  // 0.55 ms
    EXPECT_EQ(TapAtPixel(kFrame, all, response, 109.9), 10);
    EXPECT_FALSE(TapAtPixel(kFrame, all, response, 9.9));
    EXPECT_FALSE(TapAtPixel(kFrame, all, response, 110.0));
    // Zoomed out beyond the taps: no tap lies near the left edge.
    EXPECT_FALSE(TapAtPixel(kFrame, {-100.0, 100.0, -1.0, 1.0}, response, 20.0));
}

}  // namespace
}  // namespace kc::graph
