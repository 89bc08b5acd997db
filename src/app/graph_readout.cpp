#include "app/graph_readout.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <iterator>
#include <limits>

#include "base/text_convert.h"
#include "graph/mapping.h"

namespace kc::app {
namespace {

// The position of a frequency on the axis before FreqToXLinear or FreqToXLog truncate it, so that
// its whole part is their column.
long double UntruncatedX(int32_t frequencyHz, bool logFrequency, int32_t width) {
    return logFrequency ? graph::LogAxisPosition(frequencyHz, width)
                        : graph::LinearAxisPosition(frequencyHz, width);
}

int32_t ColumnOf(int32_t frequencyHz, bool logFrequency, int32_t width) {
    return logFrequency ? graph::FreqToXLog(frequencyHz, width)
                        : graph::FreqToXLinear(frequencyHz, width);
}

// value in fixed notation with `decimals` decimals and the window's decimal separator.
std::string FixedText(double value, int decimals) {
    char digits[64];
    const auto [end, error] = std::to_chars(std::begin(digits), std::end(digits), value,
                                            std::chars_format::fixed, decimals);
    std::string text(digits, error == std::errc() ? end : digits);
    // A value just below 0 rounds to "-0.00"; the sign says nothing there.
    if (text.find_first_not_of("-0.") == std::string::npos && text.front() == '-') {
        text.erase(0, 1);
    }
    const std::size_t point = text.find('.');
    if (point != std::string::npos) {
        text.replace(point, 1, base::DecimalSeparator());
    }
    return text;
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
    return FixedText(20.0 * std::log10(magnitude), 2) + " dB";
}

std::string MagnitudeText(double magnitude) {
    return FixedText(magnitude, 4);
}

std::string ReadoutText(const dsp::ResponseStore& store, int32_t k, bool levelsInDb) {
    const auto at = static_cast<std::size_t>(k);
    const auto shown = levelsInDb ? &LevelText : &MagnitudeText;
    return std::to_string(dsp::FreqGrid(k)) + " Hz\nLow: " + shown(store.LowMag[at]) +
           "\nMid: " + shown(store.MidMag[at]) + "\nHigh: " + shown(store.HighMag[at]) +
           "\nSum: " + shown(store.SumMag[at]);
}

}  // namespace kc::app
