// SPDX-License-Identifier: GPL-3.0-or-later
// The crossover's bands in one table: how many there are, what each one is called wherever the
// program names it, and the tap arrays of one design in band order. Whatever goes over the bands
// takes them from here, so that the number of bands is the one constant kBandCount.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "dsp/crossover.h"

namespace kc::dsp {

// The bands, low to high.
inline constexpr std::size_t kBandCount = 3;
enum class Band { Low, Mid, High };
// The bands and then their sum: the arrays of a design, the curves of each view.
inline constexpr std::size_t kCurveCount = kBandCount + 1;
// Where the sum stands among the curves.
inline constexpr std::size_t kSumCurve = kBandCount;

// The names of one curve.
struct CurveName {
    // "low": file names (PREFIX-low.wav), design-file sections, command-line options
    // (--driver-low), CSV columns, legends, readouts and the filters of engine configurations.
    std::string_view id;
    std::string_view title;  // "Low": the acoustic view's rows
    std::string_view place;  // "low band": where an error arose (base::Error::Where)
};

inline constexpr std::array<CurveName, kCurveCount> kCurveNames = {{
    {"low", "Low", "low band"},
    {"mid", "Mid", "mid band"},
    {"high", "High", "high band"},
    {"sum", "Sum", "sum"},
}};

// The bands' tap arrays of `taps`, low to high: the one list of them.
inline std::array<std::vector<double>*, kBandCount> BandTaps(CrossoverTaps& taps) {
    return {&taps.LowTaps, &taps.MidTaps, &taps.HighTaps};
}

inline std::array<const std::vector<double>*, kBandCount> BandTaps(const CrossoverTaps& taps) {
    const auto arrays = BandTaps(const_cast<CrossoverTaps&>(taps));
    std::array<const std::vector<double>*, kBandCount> result{};
    std::copy(arrays.begin(), arrays.end(), result.begin());
    return result;
}

// The bands' tap counts of `parameters`, low to high.
inline std::array<int32_t, kBandCount> BandCounts(const CrossoverParameters& parameters) {
    return {parameters.lowCount, parameters.midCount, parameters.highCount};
}

// The bands' tap arrays of `taps`, then their sum.
inline std::array<const std::vector<double>*, kCurveCount> CurveTaps(const CrossoverTaps& taps) {
    std::array<const std::vector<double>*, kCurveCount> arrays{};
    const auto bands = BandTaps(taps);
    std::copy(bands.begin(), bands.end(), arrays.begin());
    arrays[kSumCurve] = &taps.SumTaps;
    return arrays;
}

}  // namespace kc::dsp
