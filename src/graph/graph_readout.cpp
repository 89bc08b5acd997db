// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/graph_readout.h"

#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <limits>

#include "base/text_convert.h"
#include "graph/mapping.h"

namespace kc::graph {
namespace {

// The position of a frequency on the axis before FreqToXLinear or FreqToXLog truncate it, so that
// its whole part is their column.
long double UntruncatedX(int32_t frequencyHz, bool logFrequency, int32_t width) {
    return logFrequency ? LogAxisPosition(frequencyHz, width)
                        : LinearAxisPosition(frequencyHz, width);
}

int32_t ColumnOf(int32_t frequencyHz, bool logFrequency, int32_t width) {
    return logFrequency ? FreqToXLog(frequencyHz, width) : FreqToXLinear(frequencyHz, width);
}

}  // namespace

int32_t NearestGridPoint(int32_t x, bool logFrequency, int32_t width) {
    const long double columnMiddle = x + 0.5L;
    int32_t nearest = 1;
    int64_t nearestColumnDistance = std::numeric_limits<int64_t>::max();
    long double nearestMiddleDistance = std::numeric_limits<long double>::infinity();
    for (int32_t k = 1; k <= dsp::kGridPoints; ++k) {
        const int32_t frequencyHz = dsp::FreqGrid(k);
        const int64_t columnDistance =
            std::llabs(int64_t{ColumnOf(frequencyHz, logFrequency, width)} - x);
        const long double middleDistance =
            std::fabs(UntruncatedX(frequencyHz, logFrequency, width) - columnMiddle);
        if (columnDistance < nearestColumnDistance ||
            (columnDistance == nearestColumnDistance && middleDistance < nearestMiddleDistance)) {
            nearest = k;
            nearestColumnDistance = columnDistance;
            nearestMiddleDistance = middleDistance;
        }
    }
    return nearest;
}

std::string LevelText(double magnitude) {
    if (magnitude == 0.0) {
        return "-inf dB";
    }
    return base::WithDecimalSeparator(base::FixedPointText(20.0 * std::log10(magnitude), 2)) +
           " dB";
}

std::string MagnitudeText(double magnitude) {
    return base::WithDecimalSeparator(base::FixedPointText(magnitude, 4));
}

std::string ReadoutText(const dsp::ResponseStore& store, int32_t k, bool levelsInDb) {
    const auto at = static_cast<std::size_t>(k);
    const auto shown = levelsInDb ? &LevelText : &MagnitudeText;
    return std::to_string(dsp::FreqGrid(k)) + " Hz\nLow: " + shown(store.LowMag[at]) +
           "\nMid: " + shown(store.MidMag[at]) + "\nHigh: " + shown(store.HighMag[at]) +
           "\nSum: " + shown(store.SumMag[at]);
}

}  // namespace kc::graph
