// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "base/errors.h"
#include "dsp/response_store.h"
#include "graph/draw_graph.h"
#include "recording_canvas.h"

namespace kc::graph {
namespace {

using testing::Call;
using testing::LineTo;
using testing::MoveTo;
using testing::RecordingHost;
using testing::Text;

// Grid positions on the 593 x 337 image, worked out by hand from the row, column and logarithmic
// formulas of the graph.
const std::vector<int32_t> kRows = {281, 225, 169, 113, 57};
const std::vector<int32_t> kLinearColumns = {59, 118, 177, 237, 296, 355, 415, 474, 533};
const std::vector<int32_t> kLogColumns = {59,  94,  119, 138, 153, 167, 178, 188, 197,
                                          257, 291, 316, 335, 351, 364, 376, 386, 395,
                                          454, 489, 514, 533, 549, 562, 573, 583};

// Frequency labels at (L, T) = (48, 200) below the image, in drawing order.
const std::vector<Call> kLogFrequencyLabels = {Text(621, 537, "10000Hz"),
                                               Text(324, 537, std::string(25, ' ') + "1000Hz"),
                                               Text(225, 537, "   100Hz"), Text(38, 537, "10Hz")};
const std::vector<Call> kLinearFrequencyLabels = {
    Text(621, 537, "10000Hz"), Text(334, 537, "5000Hz" + std::string(38, ' ')),
    Text(235, 537, std::string(17, ' ')), Text(38, 537, "0Hz ")};
const std::vector<Call> kLevelLabels = {Text(23, 251, "0dB "), Text(13, 365, "-40dB"),
                                        Text(13, 477, "-80dB")};
const std::vector<Call> kMagnitudeLabels = {Text(23, 251, " 1.0 "), Text(10, 365, "    0.6 "),
                                            Text(10, 477, "    0.2 ")};

const std::vector<std::string> kCompletedRedraw = {"SetBusyCursor",   "BeginImage 593x337",
                                                   "BeginLabels",     "ShowRedraw",
                                                   "ProcessMessages", "SetDefaultCursor"};
const std::vector<std::string> kFailedRedraw = {"SetBusyCursor", "BeginImage 593x337",
                                                "BeginLabels", "DiscardRedraw"};

// Frame, dotted grid and the two markers (absent where empty), as the image receives them.
std::vector<Call> FrameGridMarkers(const std::vector<int32_t>& columns, std::optional<int32_t> red,
                                   std::optional<int32_t> blue) {
    std::vector<Call> calls = {testing::BrushColor(clWhite),
                               testing::PenColor(clBlack),
                               testing::Style(PenStyle::psSolid),
                               {"Rectangle", {0, 0, 593, 337}, {}},
                               testing::Style(PenStyle::psDot)};
    for (const int32_t y : kRows) {
        calls.insert(calls.end(), {MoveTo(0, y), LineTo(593, y)});
    }
    for (const int32_t x : columns) {
        calls.insert(calls.end(), {MoveTo(x, 0), LineTo(x, 337)});
    }
    calls.insert(calls.end(), {testing::PenColor(clRed), testing::Style(PenStyle::psSolid)});
    if (red) {
        calls.insert(calls.end(), {MoveTo(*red, 0), LineTo(*red, 337)});
    }
    calls.push_back(testing::PenColor(clBlue));
    if (blue) {
        calls.insert(calls.end(), {MoveTo(*blue, 0), LineTo(*blue, 337)});
    }
    return calls;
}

// A store whose eight curves are constants 0.1 ... 0.8 in declaration order, so that every trace
// tells by its y which curve it is.
dsp::ResponseStore DistinctStore() {
    dsp::ResponseStore store;
    double value = 0.1;
    for (dsp::Curve* curve : {&store.LowMag, &store.HighMag, &store.MidMag, &store.MidDb,
                              &store.LowDb, &store.HighDb, &store.SumMag, &store.SumDb}) {
        curve->fill(value);
        value += 0.1;
    }
    return store;
}

struct AxisCase {
    const char* name;
    bool logFrequency;
    bool levelsInDb;
    // y of the traces in drawing order, 337 − Trunc(280.833·v) for the curves' constants:
    // LowDb 0.5, MidDb 0.4, HighDb 0.6, SumDb 0.8 or LowMag 0.1, MidMag 0.3, HighMag 0.2,
    // SumMag 0.7.
    std::vector<int32_t> traceY;
    friend void PrintTo(const AxisCase& axes, std::ostream* out) { *out << axes.name; }
};

class DrawGraphAxesTest : public ::testing::TestWithParam<AxisCase> {};

TEST_P(DrawGraphAxesTest, DrawsFrameGridMarkersLabelsAndFourTraces) {
    const AxisCase& axes = GetParam();
    GraphInputs inputs;
    inputs.logFrequency = axes.logFrequency;
    inputs.levelsInDb = axes.levelsInDb;
    RecordingHost host;
    DrawGraph(inputs, DistinctStore(), host);

    EXPECT_EQ(host.events, kCompletedRedraw);
    std::vector<Call> labels = axes.logFrequency ? kLogFrequencyLabels : kLinearFrequencyLabels;
    const auto& amplitude = axes.levelsInDb ? kLevelLabels : kMagnitudeLabels;
    labels.insert(labels.end(), amplitude.begin(), amplitude.end());
    EXPECT_EQ(host.labels.calls, labels);

    const std::vector<Call> prefix = axes.logFrequency ? FrameGridMarkers(kLogColumns, 291, 454)
                                                       : FrameGridMarkers(kLinearColumns, 17, 118);
    const std::vector<Call>& calls = host.image.calls;
    constexpr std::size_t kTraceCalls = 954;  // style, colour, move, 950 segments, black again
    ASSERT_EQ(calls.size(), prefix.size() + 4 * kTraceCalls);
    EXPECT_TRUE(std::equal(prefix.begin(), prefix.end(), calls.begin()));
    const Color colors[] = {clBlack, clBlack, clBlack, clBlue};
    for (std::size_t trace = 0; trace < 4; ++trace) {
        SCOPED_TRACE(trace);
        const auto first =
            calls.begin() + static_cast<std::ptrdiff_t>(prefix.size() + trace * kTraceCalls);
        EXPECT_EQ(first[1], testing::PenColor(colors[trace]));
        EXPECT_EQ(first[2], MoveTo(0, 56));
        EXPECT_EQ(first[3], LineTo(axes.logFrequency ? -138 : 0, axes.traceY[trace]));
        EXPECT_EQ(first[952], LineTo(593, axes.traceY[trace]));
    }
}

INSTANTIATE_TEST_SUITE_P(
    AllAxes, DrawGraphAxesTest,
    ::testing::Values(AxisCase{"LogFrequencyLevels", true, true, {197, 225, 169, 113}},
                      AxisCase{"LogFrequencyMagnitudes", true, false, {309, 253, 281, 141}},
                      AxisCase{"LinearFrequencyLevels", false, true, {197, 225, 169, 113}},
                      AxisCase{"LinearFrequencyMagnitudes", false, false, {309, 253, 281, 141}}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

struct MarkerCase {
    const char* name;
    bool logFrequency;
    std::string lowerEdgeText;
    std::string upperEdgeText;
    std::optional<int32_t> red;
    std::optional<int32_t> blue;
};

TEST(DrawGraphTest, MarkersOutsideTheAxisAreNoError) {
    const MarkerCase rows[] = {
        {"0 Hz on the log axis has no marker", true, "0", "-5", std::nullopt, std::nullopt},
        {"5 Hz lies left of the log axis", true, "5", "2000", -59, 454},
        {"0 Hz on the linear axis lies on the left edge", false, "0", "2000", 0, 118},
        {"20000 Hz lies right of the linear axis", false, "300", "20000", 17, 1186},
        {"fractions and blanks are accepted", false, " 300.9 ", "2e3", 17, 118},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        GraphInputs inputs;
        inputs.logFrequency = row.logFrequency;
        inputs.lowerEdgeText = row.lowerEdgeText;
        inputs.upperEdgeText = row.upperEdgeText;
        RecordingHost host;
        DrawGraph(inputs, dsp::ResponseStore{}, host);
        EXPECT_EQ(host.events, kCompletedRedraw);
        const std::vector<Call> prefix =
            FrameGridMarkers(row.logFrequency ? kLogColumns : kLinearColumns, row.red, row.blue);
        ASSERT_GT(host.image.calls.size(), prefix.size());
        EXPECT_TRUE(std::equal(prefix.begin(), prefix.end(), host.image.calls.begin()));
    }
}

TEST(DrawGraphTest, MarkerTextThatIsNoNumberDiscardsTheRedraw) {
    const struct {
        std::string lower;
        std::string upper;
        std::string message;
    } rows[] = {
        {"abc", "2000", "'abc' は浮動小数点数ではありません"},
        {"300", " 2 000 ", "' 2 000 ' は浮動小数点数ではありません"},
        {"", "2000", "'' は浮動小数点数ではありません"},
    };
    for (const auto& row : rows) {
        GraphInputs inputs;
        inputs.lowerEdgeText = row.lower;
        inputs.upperEdgeText = row.upper;
        RecordingHost host;
        EXPECT_THROW(
            {
                try {
                    DrawGraph(inputs, dsp::ResponseStore{}, host);
                } catch (const base::EConvertError& error) {
                    EXPECT_EQ(error.what(), row.message);
                    throw;
                }
            },
            base::EConvertError);
        EXPECT_EQ(host.events, kFailedRedraw) << row.message;
        EXPECT_TRUE(host.labels.calls.empty()) << row.message;
    }
}

}  // namespace
}  // namespace kc::graph
