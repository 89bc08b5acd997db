// Comma-separated exports of a design's taps and of its responses on the frequency grid.
// Numbers are written with 17 significant digits and a full stop, whatever the locale.
#pragma once

#include <string>

#include "dsp/crossover.h"
#include "dsp/response_store.h"

namespace kc::exporting {

// "index,low,mid,high,sum", then one row per tap (CommonLength rows).
std::string TapsCsv(const dsp::CrossoverTaps& taps);

// "k,frequency_hz,low_mag,mid_mag,high_mag,sum_mag,low_db,mid_db,high_db,sum_db", then one row
// per grid point (950 rows). Levels are 20·log10 of the magnitude in dB, "-inf" for 0.
std::string ResponseCsv(const dsp::ResponseStore& store);

// A double with 17 significant digits in the shortest of fixed or exponent notation.
std::string FormatSignificant17(double value);

// 20·log10(magnitude) in dB with 17 significant digits, "-inf" for a magnitude of 0.
std::string FormatDecibels(double magnitude);

}  // namespace kc::exporting
