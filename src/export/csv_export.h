// SPDX-License-Identifier: GPL-3.0-or-later
// Comma-separated exports of a design's taps and of its responses on the frequency grid.
// Numbers are written with 17 significant digits and a full stop, whatever the locale.
#pragma once

#include <cstdint>
#include <string>

#include "dsp/crossover.h"
#include "dsp/response_store.h"
#include "dsp/time_response.h"

namespace kc::exporting {

// "index,low,mid,high,sum", then one row per tap (CommonLength rows).
std::string TapsCsv(const dsp::CrossoverTaps& taps);

// "k,frequency_hz,low_mag,mid_mag,high_mag,sum_mag,low_db,mid_db,high_db,sum_db", then one row
// per grid point (950 rows). Levels are 20·log10 of the magnitude in dB, "-inf" for 0.
std::string ResponseCsv(const dsp::ResponseStore& store);

// The series a time view shows for taps firstIndex ... lastIndex (clamped to the taps): a header
// "index,time_ms,low,mid,high,sum" (columns "low_db", ... in the dB view, "low_step", ... in the
// step view), then one row per tap with its time in ms from the centre tap.
std::string TimeSeriesCsv(const dsp::TimeResponse& response, dsp::TimeSeriesKind kind,
                          int32_t firstIndex, int32_t lastIndex);

// A double with 17 significant digits in the shortest of fixed or exponent notation.
std::string FormatSignificant17(double value);

// 20·log10(magnitude) in dB with 17 significant digits, "-inf" for a magnitude of 0.
std::string FormatDecibels(double magnitude);

}  // namespace kc::exporting
