// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "base/errors.h"
#include "dsp/response_store.h"
#include "graph/plot_curve.h"
#include "recording_canvas.h"
#include "support/raised_error.h"

namespace kc::graph {
namespace {

using testing::Call;
using testing::RecordingCanvas;
using testing_support::RaisedMessage;

struct Point {
    int32_t x;
    int32_t y;
    friend bool operator==(Point, Point) = default;
};

// The end points of the segments drawn, in order.
std::vector<Point> SegmentEnds(const RecordingCanvas& canvas) {
    std::vector<Point> ends;
    for (const Call& call : canvas.calls) {
        if (call.op == "LineTo") {
            ends.push_back({call.args[0], call.args[1]});
        }
    }
    return ends;
}

dsp::Curve Filled(double value) {
    dsp::Curve curve{};
    curve.fill(value);
    return curve;
}

using PlotFunction = void (*)(Canvas&, int32_t, int32_t, std::span<const double>, int32_t, int32_t);

std::vector<Point> Plot(PlotFunction plot, const dsp::Curve& curve) {
    RecordingCanvas canvas;
    plot(canvas, 593, 337, curve, 950, 0);
    return SegmentEnds(canvas);
}

// Before the first calculation every curve is 0.0, which lands on y = 337, one row below the
// image: only the opening segment from (0, 56) can show.
TEST(PlotCurveTest, ZeroCurveRunsBelowTheImage) {
    const std::vector<Point> linear = Plot(&PlotCurveLinear, Filled(0.0));
    ASSERT_EQ(linear.size(), 950U);
    EXPECT_EQ(linear[0], (Point{0, 337}));     // 2 Hz
    EXPECT_EQ(linear[7], (Point{0, 337}));     // 16 Hz, still on the left edge
    EXPECT_EQ(linear[8], (Point{1, 337}));     // 18 Hz
    EXPECT_EQ(linear[499], (Point{59, 337}));  // 1 000 Hz
    EXPECT_EQ(linear[500], (Point{60, 337}));  // 1 020 Hz
    EXPECT_EQ(linear.back(), (Point{593, 337}));

    const std::vector<Point> log = Plot(&PlotCurveLog, Filled(0.0));
    ASSERT_EQ(log.size(), 950U);
    EXPECT_EQ(log[0], (Point{-138, 337}));
    EXPECT_EQ(log[4], (Point{0, 337}));  // 10 Hz on the left edge
    EXPECT_EQ(log[499], (Point{395, 337}));
    EXPECT_EQ(log[500], (Point{397, 337}));
    EXPECT_EQ(log.back(), (Point{593, 337}));
    for (const auto& points : {linear, log}) {
        for (std::size_t i = 1; i < points.size(); ++i) {
            ASSERT_EQ(points[i].y, 337);
            ASSERT_GE(points[i].x, points[i - 1].x) << i;
        }
    }
}

TEST(PlotCurveTest, UnityCurveLiesOnTheTopGridRow) {
    dsp::Curve curve = Filled(1.0);
    curve[0] = 1e300;  // entry 0 is not a grid point and is never read
    for (const Point& point : Plot(&PlotCurveLog, curve)) {
        ASSERT_EQ(point.y, 57);
    }
}

TEST(PlotCurveTest, OnlyHighlightZeroDrawsBlack) {
    const std::pair<int32_t, Color> rows[] = {{0, clBlack}, {1, clBlue}, {2, clBlue}, {-1, clBlue}};
    for (const auto& [highlight, color] : rows) {
        RecordingCanvas canvas;
        PlotCurveLinear(canvas, 593, 337, Filled(0.5), 950, highlight);
        ASSERT_EQ(canvas.calls.size(), 954U);
        EXPECT_EQ(canvas.calls[0], testing::Style(PenStyle::psSolid));
        EXPECT_EQ(canvas.calls[1], testing::PenColor(color)) << highlight;
        EXPECT_EQ(canvas.calls[2], testing::MoveTo(0, 56));
        EXPECT_EQ(canvas.calls.back(), testing::PenColor(clBlack));
    }
}

TEST(PlotCurveTest, FaultsStopTheTraceWhereTheyHappen) {
    const std::vector<double> shortCurve(500, 0.0);  // entries 0 ... 499
    const dsp::Curve zeros = Filled(0.0);
    const dsp::Curve huge = Filled(1e7);
    dsp::Curve withNan = Filled(0.0);
    withNan[700] = std::numeric_limits<double>::quiet_NaN();
    const struct {
        const char* name;
        std::span<const double> curve;
        int32_t last;
        std::string_view message;
        std::size_t segmentsDrawn;
    } rows[] = {
        {"last below 500", shortCurve, 499, base::messages::kRangeError, 499},
        {"last beyond the data", shortCurve, 950, base::messages::kRangeError, 499},
        {"last exactly 500", zeros, 500, "none", 500},
        {"NaN at point 700", withNan, 950, base::messages::kInvalidOp, 699},
        {"value beyond 32 bits", huge, 950, base::messages::kRangeError, 0},
    };
    for (const auto& row : rows) {
        RecordingCanvas canvas;
        EXPECT_EQ(RaisedMessage([&] { PlotCurveLog(canvas, 593, 337, row.curve, row.last, 1); }),
                  row.message)
            << row.name;
        EXPECT_EQ(SegmentEnds(canvas).size(), row.segmentsDrawn) << row.name;
    }
}

}  // namespace
}  // namespace kc::graph
