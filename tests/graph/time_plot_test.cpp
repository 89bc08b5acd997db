// SPDX-License-Identifier: GPL-3.0-or-later
// The time view's picture without pixels: ticks, clipping, the decimation per pixel column, and
// what the drawing asks of the canvas.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

#include "graph/curve_colors.h"
#include "graph/time_plot.h"
#include "recording_canvas.h"

namespace kc::graph {
namespace {

TEST(TimePlotTicksTest, StepsOfOneTwoOrFiveTimesAPowerOfTen) {
    struct Case {
        double lo, hi;
        int32_t maxCount;
        std::vector<double> ticks;  // by hand: the smallest such step giving <= maxCount ticks
    };
    const Case cases[] = {
        {-10.2, 10.2, 9, {-10.0, -5.0, 0.0, 5.0, 10.0}},
        {-165.0, 5.0, 10, {-160.0, -140.0, -120.0, -100.0, -80.0, -60.0, -40.0, -20.0, 0.0}},
        {-0.05, 0.21, 3, {0.0, 0.1, 0.2}},
        {1.0, 1.0, 5, {}},
    };
    for (const Case& row : cases) {
        const std::vector<double> ticks = TickValues(row.lo, row.hi, row.maxCount);
        ASSERT_EQ(ticks.size(), row.ticks.size()) << row.lo << " " << row.hi;
        for (std::size_t i = 0; i < ticks.size(); ++i) {
            EXPECT_NEAR(ticks[i], row.ticks[i], 1e-12);
        }
    }
    EXPECT_EQ(TickText(3 * 0.2, 0.2), "0.6");
    EXPECT_EQ(TickText(-1e-17, 0.05), "0.00");
    EXPECT_EQ(TickText(-160.0, 20.0), "-160");
}

TEST(TimePlotClipTest, KeepsThePartInsideTheRectangle) {
    struct Case {
        Segment in;
        bool inside;
        Segment out;  // by hand, on the rectangle [0, 10] x [0, 10]
    };
    const Case cases[] = {
        {{1, 1, 9, 9}, true, {1, 1, 9, 9}},    {{-10, 5, 20, 5}, true, {0, 5, 10, 5}},
        {{5, -5, 5, 30}, true, {5, 0, 5, 10}}, {{-5, -5, 15, 15}, true, {0, 0, 10, 10}},
        {{-5, 20, 20, 20}, false, {}},         {{11, 0, 20, 10}, false, {}},
    };
    for (const Case& row : cases) {
        const auto clipped = ClipSegment(row.in, 0, 0, 10, 10);
        ASSERT_EQ(clipped.has_value(), row.inside) << row.in.x1 << "," << row.in.y1;
        if (row.inside) {
            EXPECT_DOUBLE_EQ(clipped->x1, row.out.x1);
            EXPECT_DOUBLE_EQ(clipped->y1, row.out.y1);
            EXPECT_DOUBLE_EQ(clipped->x2, row.out.x2);
            EXPECT_DOUBLE_EQ(clipped->y2, row.out.y2);
        }
    }
}

// The same grouping by brute force over every tap: the taps of columns 0 ... columns − 1 and
// the nearest one beyond each side.
std::vector<ColumnExtent> EveryTapByColumn(const std::vector<double>& values, double firstSample,
                                           double samplesPerColumn, int32_t columns) {
    const auto columnOf = [&](std::size_t i) {
        return static_cast<int64_t>(
            std::floor((static_cast<double>(i) - firstSample) / samplesPerColumn));
    };
    std::map<int64_t, std::vector<double>> byColumn;
    std::size_t before = values.size();
    std::size_t after = values.size();
    for (std::size_t i = 0; i < values.size(); ++i) {
        const int64_t column = columnOf(i);
        if (column < 0) {
            before = i;
        } else if (column >= columns) {
            after = std::min(after, i);
        } else {
            byColumn[column].push_back(values[i]);
        }
    }
    for (const std::size_t i : {before, after}) {
        if (i < values.size()) {
            byColumn[columnOf(i)].push_back(values[i]);
        }
    }
    std::vector<ColumnExtent> extents;
    extents.reserve(byColumn.size());
    for (const auto& [column, taps] : byColumn) {
        extents.push_back({static_cast<int32_t>(column), taps.front(), taps.back(),
                           *std::min_element(taps.begin(), taps.end()),
                           *std::max_element(taps.begin(), taps.end())});
    }
    return extents;
}

TEST(TimePlotDecimationTest, EqualsEveryTapGroupedByColumn) {
    std::vector<double> values(10001);
    for (std::size_t i = 0; i < values.size(); ++i) {
        const auto x = static_cast<double>(i);
        values[i] = std::sin(0.37 * x) * std::exp(-1e-4 * x);
    }
    struct Case {
        const char* name;
        double firstSample;
        double samplesPerColumn;
        int32_t columns;
    };
    const Case cases[] = {
        {"WholeDesign", -0.5, 10001.0 / 700, 700},  // many taps per column
        {"ZoomedIn", 4000.25, 0.1, 500},            // ten columns per tap
        {"Middle", 2500.0, 3.0, 600},
        {"BeyondTheEnd", 9990.0, 0.5, 400},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(
            DecimateByColumn(values, row.firstSample, row.samplesPerColumn, row.columns, false),
            EveryTapByColumn(values, row.firstSample, row.samplesPerColumn, row.columns));
    }
}

// Every line of the curves stays inside the plot area, whatever the zoom leaves outside it, and
// the sum is drawn last, in blue.
TEST(TimePlotDrawTest, CurvesStayInsideThePlotAreaAndTheSumComesLast) {
    dsp::CrossoverTaps taps;
    taps.CommonLength = 5;
    taps.CommonCentre = 2;
    taps.LowTaps = {0.1, 0.2, 0.4, 0.2, 0.1};
    taps.MidTaps = {-0.1, 0.1, 0.3, 0.1, -0.1};
    taps.HighTaps = {0.0, -0.3, 0.3, -0.3, 0.0};
    taps.SumTaps = {0.0, 0.0, 1.0, 0.0, 0.0};
    const dsp::TimeResponse response = dsp::MakeTimeResponse(taps, false);
    TimePlotInputs inputs;
    inputs.response = &response;
    inputs.range = {-0.03, 0.02, -0.1, 0.5};  // cuts through the sum's peak and the edges
    inputs.width = 400;
    inputs.height = 300;
    testing::RecordingCanvas canvas;
    const TextMetrics metrics{[](std::string_view text) { return int32_t(7 * text.size()); }, 12};
    DrawTimePlot(canvas, inputs, metrics);
    const PlotFrame frame = TimePlotFrame(400, 300, 12);
    // Pens in order: background white, grid black, the three bands in their colours, then the sum
    // blue; the lines drawn with that pen (until the next pen) lie inside the frame.
    std::vector<testing::Call> pens;
    int lines = 0;
    for (const testing::Call& call : canvas.calls) {
        if (call.op == "PenColor") {
            pens.push_back(call);
        }
        const bool sumPen = pens.size() == 6;
        if (sumPen && (call.op == "LineTo" || call.op == "MoveTo")) {
            ++lines;
            EXPECT_GE(call.args[0], frame.left);
            EXPECT_LE(call.args[0], frame.left + frame.width);
            EXPECT_GE(call.args[1], frame.top);
            EXPECT_LE(call.args[1], frame.top + frame.height);
        }
    }
    ASSERT_GE(pens.size(), 6u);
    EXPECT_EQ(pens[0], testing::PenColor(clWhite));
    EXPECT_EQ(pens[1], testing::PenColor(clBlack));
    for (std::size_t i = 2; i < 5; ++i) {
        EXPECT_EQ(pens[i], testing::PenColor(kCurveColors[i - 2])) << i;
    }
    EXPECT_EQ(pens[5], testing::PenColor(clBlue));
    EXPECT_GT(lines, 0);
}

}  // namespace
}  // namespace kc::graph
