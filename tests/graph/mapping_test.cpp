// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "base/errors.h"
#include "graph/layout.h"
#include "graph/mapping.h"
#include "support/raised_error.h"

namespace kc::graph {
namespace {

namespace messages = base::messages;
using testing_support::RaisedMessage;

// Grid points on a 593 x 337 image, from the table of positions worked out by hand for the
// frequency grid (2 Hz steps to 1 000 Hz, then 20 Hz steps).
struct FrequencyRow {
    int32_t frequencyHz;
    int32_t linearX;
    int32_t logX;
};
constexpr FrequencyRow kFrequencyRows[] = {
    {2, 0, -138},   {4, 0, -78},      {6, 0, -43},        {8, 0, -19},     {10, 0, 0},
    {12, 0, 15},    {18, 1, 50},      {1000, 59, 395},    {1020, 60, 397}, {10000, 593, 593},
    {300, 17, 291}, {2000, 118, 454}, {20000, 1186, 652}, {5, 0, -59},
};

TEST(PixelMappingTest, FrequenciesOnBothAxes) {
    for (const auto& row : kFrequencyRows) {
        SCOPED_TRACE(row.frequencyHz);
        EXPECT_EQ(FreqToXLinear(row.frequencyHz, 593), row.linearX);
        EXPECT_EQ(FreqToXLog(row.frequencyHz, 593), row.logX);
    }
}

TEST(PixelMappingTest, ValuesTruncateTowardZero) {
    // (337 − 337/6)·v = 280.833·v truncated toward zero: −0.5 gives −140, so y = 477.
    const std::pair<double, int32_t> rows[] = {{1.0, 57},   {0.6, 169},   {0.2, 281}, {0.0, 337},
                                               {-0.5, 477}, {-0.44, 460}, {1.3, -28}};
    for (const auto& [value, y] : rows) {
        EXPECT_EQ(ValueToY(value, 337), y) << value;
    }
}

TEST(PixelMappingTest, OutOfRangeCoordinatesRaiseTheNamedErrors) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        const char* name;
        std::function<void()> call;
        std::string_view message;
    } rows[] = {
        {"level 7.6e6 still fits", [] { ValueToY(7.6e6, 337); }, "none"},
        {"level 7.7e6", [] { ValueToY(7.7e6, 337); }, messages::kRangeError},
        {"level -7.7e6", [] { ValueToY(-7.7e6, 337); }, messages::kRangeError},
        {"level beyond 64 bits", [] { ValueToY(1e17, 337); }, messages::kInvalidOp},
        {"NaN level", [nan] { ValueToY(nan, 337); }, messages::kInvalidOp},
        {"infinite level", [inf] { ValueToY(inf, 337); }, messages::kInvalidOp},
        {"3.6e10 Hz still fits", [] { FreqToXLinear(3.6e10L, 593); }, "none"},
        {"3.7e10 Hz", [] { FreqToXLinear(3.7e10L, 593); }, messages::kRangeError},
        {"product overflows", [] { FreqToXLinear(1e4932L, 2000000000); }, messages::kOverflow},
        {"0 Hz on log axis", [] { FreqToXLog(0.0L, 593); }, messages::kZeroDivide},
        {"-5 Hz on log axis", [] { FreqToXLog(-5.0L, 593); }, messages::kInvalidOp},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(RaisedMessage(row.call), row.message) << row.name;
    }
}

// Another geometry, so that nothing depends on 593 x 337 at (48, 200). Expected values by hand:
// rows 600 − Trunc(600·i / 6); columns Trunc(100·i); log columns (log10 f − 1)·1 000 for
// 20, 100 and 9 000 Hz.
TEST(GraphLayoutTest, PositionsFollowTheGeometry) {
    EXPECT_EQ(HorizontalGridRows(600), (std::array<int32_t, 5>{500, 400, 300, 200, 100}));
    EXPECT_EQ(LinearGridColumns(1000),
              (std::array<int32_t, 9>{100, 200, 300, 400, 500, 600, 700, 800, 900}));
    const std::vector<int32_t> columns = LogGridColumns(3000);
    ASSERT_EQ(columns.size(), 26U);
    EXPECT_EQ(columns.front(), 301);
    EXPECT_EQ(columns[8], 1000);
    EXPECT_EQ(columns.back(), 2954);

    const GraphGeometry geometry{1000, 600, 100, 20};
    const auto frequencyLabels = FrequencyLabels(geometry, true);
    EXPECT_EQ(frequencyLabels[0], (GraphLabel{1080, 620, "10000Hz"}));
    EXPECT_EQ(frequencyLabels[1].x, 580);
    EXPECT_EQ(frequencyLabels[2].x, 413);
    EXPECT_EQ(frequencyLabels[3].x, 90);
    const auto levelLabels = AmplitudeLabels(geometry, true);
    EXPECT_EQ(levelLabels[0], (GraphLabel{75, 115, "0dB "}));
    EXPECT_EQ(levelLabels[1], (GraphLabel{65, 317, "-40dB"}));
    EXPECT_EQ(levelLabels[2], (GraphLabel{65, 517, "-80dB"}));
}

TEST(GraphLayoutTest, OverflowingGeometryRaisesIntOverflow) {
    const GraphGeometry geometry{593, 337, 48, std::numeric_limits<int32_t>::max()};
    EXPECT_EQ(RaisedMessage([&] { FrequencyLabels(geometry, true); }), messages::kIntOverflow);
}

}  // namespace
}  // namespace kc::graph
