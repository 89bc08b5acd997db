// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/layout.h"

#include <cstddef>

#include "base/checked_int.h"
#include "graph/mapping.h"

namespace kc::graph {
namespace {

using base::CheckedAdd;
using base::CheckedMul;
using base::CheckedSub;

// The blanks are part of the texts: each mode's labels cover the other mode's at the same places.
constexpr std::string_view kTopFrequencyLabel = "10000Hz";
constexpr std::string_view kLinearMidLabel = "5000Hz                                      ";
constexpr std::string_view kLinearThirdLabel = "                 ";
constexpr std::string_view kLinearZeroLabel = "0Hz ";
constexpr std::string_view kLogMidLabel = "                         1000Hz";
constexpr std::string_view kLogThirdLabel = "   100Hz";
constexpr std::string_view kLogBottomLabel = "10Hz";

constexpr std::string_view kMagnitudeTopLabel = " 1.0 ";
constexpr std::string_view kMagnitudeMidLabel = "    0.6 ";
constexpr std::string_view kMagnitudeLowLabel = "    0.2 ";
constexpr std::string_view kLevelTopLabel = "0dB ";
constexpr std::string_view kLevelMidLabel = "-40dB";
constexpr std::string_view kLevelLowLabel = "-80dB";

// The step from one logarithmic grid frequency to the next: one tenth of its decade.
int32_t LogGridStep(int32_t frequencyHz) {
    if (frequencyHz < 100) {
        return 10;
    }
    return frequencyHz < 1000 ? 100 : 1000;
}

}  // namespace

std::array<int32_t, 5> HorizontalGridRows(int32_t height) {
    std::array<int32_t, 5> rows{};
    for (int32_t i = 1; i <= 5; ++i) {
        // The product is integer, the division by 6 real, as for every row of the amplitude axis.
        const int32_t offset = base::TruncToInt32(CheckedMul(height, i) / 6.0L);
        rows[static_cast<std::size_t>(i - 1)] = CheckedSub(height, offset);
    }
    return rows;
}

std::array<int32_t, 9> LinearGridColumns(int32_t width) {
    std::array<int32_t, 9> columns{};
    const long double columnSpacing = width / 10.0L;
    for (int32_t i = 1; i <= 9; ++i) {
        columns[static_cast<std::size_t>(i - 1)] = base::TruncToInt32(columnSpacing * i);
    }
    return columns;
}

std::vector<int32_t> LogGridFrequencies() {
    std::vector<int32_t> frequencies;
    for (int32_t f = 20; f < 10000; f = CheckedAdd(f, LogGridStep(f))) {
        frequencies.push_back(f);
    }
    return frequencies;
}

std::vector<int32_t> LogGridColumns(int32_t width) {
    std::vector<int32_t> columns;
    for (const int32_t f : LogGridFrequencies()) {
        columns.push_back(FreqToXLog(f, width));
    }
    return columns;
}

std::optional<int32_t> MarkerX(long double frequencyHz, bool logFrequency, int32_t width) {
    if (!logFrequency) {
        return FreqToXLinear(frequencyHz, width);
    }
    if (frequencyHz <= 0.0L) {
        return std::nullopt;
    }
    return FreqToXLog(frequencyHz, width);
}

std::array<GraphLabel, 4> FrequencyLabels(const GraphGeometry& geometry, bool logFrequency) {
    const int32_t W = geometry.W;
    const int32_t L = geometry.L;
    const int32_t y = CheckedAdd(geometry.T, geometry.H);
    const int32_t right = CheckedSub(CheckedAdd(L, W), 20);
    if (logFrequency) {
        return {{{right, y, kTopFrequencyLabel},
                 {CheckedSub(CheckedAdd(L, W / 2), 20), y, kLogMidLabel},
                 {CheckedSub(CheckedAdd(L, W / 3), 20), y, kLogThirdLabel},
                 {CheckedSub(L, 10), y, kLogBottomLabel}}};
    }
    return {{{right, y, kTopFrequencyLabel},
             {CheckedSub(CheckedAdd(L, W / 2), 10), y, kLinearMidLabel},
             {CheckedSub(CheckedAdd(L, W / 3), 10), y, kLinearThirdLabel},
             {CheckedSub(L, 10), y, kLinearZeroLabel}}};
}

std::array<GraphLabel, 3> AmplitudeLabels(const GraphGeometry& geometry, bool levelsInDb) {
    const int32_t L = geometry.L;
    const int32_t T = geometry.T;
    // Multiples of the already divided H div 6 (56 for 337), not of H.
    const int32_t sixth = geometry.H / 6;
    const int32_t topY = CheckedSub(CheckedAdd(T, sixth), 5);
    const int32_t midY = CheckedSub(CheckedAdd(T, CheckedMul(3, sixth)), 3);
    const int32_t lowY = CheckedSub(CheckedAdd(T, CheckedMul(5, sixth)), 3);
    const int32_t topX = CheckedSub(L, 25);
    if (levelsInDb) {
        const int32_t x = CheckedSub(L, 35);
        return {
            {{topX, topY, kLevelTopLabel}, {x, midY, kLevelMidLabel}, {x, lowY, kLevelLowLabel}}};
    }
    const int32_t x = CheckedSub(L, 38);
    return {{{topX, topY, kMagnitudeTopLabel},
             {x, midY, kMagnitudeMidLabel},
             {x, lowY, kMagnitudeLowLabel}}};
}

}  // namespace kc::graph
