// SPDX-License-Identifier: GPL-3.0-or-later
// How loud a filter can make a signal: the largest gain of its frequency response, which a steady
// tone meets, and the sum of its taps' magnitudes, which the worst signal of full scale meets.
#pragma once

#include <cstdint>
#include <vector>

namespace kc::dsp {

// The largest |H(f)| of `taps` over 0 ... R/2 (a linear ratio): the largest of an FFT of at least
// four points a tap (a power of two), refined around its largest bin by direct sums on finer
// and finer steps down to 1/4096 of a bin, so that a narrow peak between bins is not missed by
// more than about 1e-6 of its value. 0 for no taps; ERangeError for a rate outside
// kMinSampleRateHz ... kMaxSampleRateHz; EOutOfMemory when the transform does not fit.
double PeakGain(const std::vector<double>& taps, int32_t sampleRateHz);

// Σ|h[n]| (in extended precision, rounded once): the largest output of full-scale input, reached
// by the input that has the sign of each tap, reversed.
double WorstCaseGain(const std::vector<double>& taps);

}  // namespace kc::dsp
