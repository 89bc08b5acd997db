// SPDX-License-Identifier: GPL-3.0-or-later
// The readout of the graph under the pointer: which grid point a pixel column of the image shows,
// and the levels of the four curves there. No Qt: pure functions of the column and the store.
#pragma once

#include <cstdint>
#include <string>

#include "dsp/response_store.h"

namespace kc::graph {

// The grid point k (1 ... 950) nearest to pixel column x of an image `width` pixels wide (> 0),
// on the logarithmic frequency axis when logFrequency, else on the linear one. Nearest is first
// by column: the point whose column (FreqToXLog or FreqToXLinear of its frequency, exactly where
// the curves place it) lies closest to x. Among points equally close, the one whose untruncated
// position lies closest to the middle of column x (x + 0.5).
int32_t NearestGridPoint(int32_t x, bool logFrequency, int32_t width);

// A magnitude (linear amplitude ratio, >= 0) as a level: 20·log10 of it in dB with two decimals
// and the window's decimal separator, then " dB" ("-6.02 dB", "0.00 dB"); "-inf dB" for 0.
std::string LevelText(double magnitude);

// A magnitude (linear amplitude ratio) as the linear amplitude axis shows it: four decimals with
// the window's decimal separator ("0.5012", "1.0000").
std::string MagnitudeText(double magnitude);

// The readout of grid point k (1 ... 950): its frequency, then the low, mid, high and sum
// magnitudes of `store` there, one per line, as the amplitude axis shows them: levels in dB when
// levelsInDb ("1000 Hz\nLow: -6.02 dB\n..."), else the magnitudes ("1000 Hz\nLow: 0.5000\n...").
std::string ReadoutText(const dsp::ResponseStore& store, int32_t k, bool levelsInDb);

}  // namespace kc::graph
