// SPDX-License-Identifier: GPL-3.0-or-later
// A delay by a fraction of a sample: the filter an export puts behind a band whose delay is not a
// whole number of samples, so that the band keeps its magnitude and gets the exact delay up to
// 0.9 × half the rate at every rate.
#pragma once

#include <cstdint>
#include <vector>

namespace kc::dsp {

// The filter is the ideal delay's impulse response sinc(n − M − fraction), n = 0 ... 2M, under a
// Kaiser window of half-width M + 1 centred on the delay. With M = 32 and β = 10 it is within
// 0.0003 dB and 0.001° of the ideal delay from 0 to 0.9 × half the rate for every fraction
// (measured in steps of 1/40): a transition of 0.1 × half the rate at each end of the band takes
// about 64 taps at 100 dB (Kaiser's estimate), and the same count of samples at every rate keeps
// the same share of the band.
inline constexpr int32_t kFractionalDelayHalfLength = 32;  // M: 2M + 1 taps, M samples of latency
inline constexpr double kFractionalDelayBeta = 10.0;

// The 2M + 1 taps delaying by M + fraction samples, fraction in (0, 1). std::invalid_argument for a
// fraction outside (0, 1).
std::vector<double> FractionalDelayTaps(double fraction);

// `taps` (n taps) convolved with `filter` (m taps) and delayed by `wholeSamples` more, into an
// array of `length` taps (at least n + m − 1 + wholeSamples), zeros after the end; each output
// sample a sum of at most m products in extended precision, rounded once.
std::vector<double> DelayedConvolution(const std::vector<double>& taps,
                                       const std::vector<double>& filter, int64_t wholeSamples,
                                       std::size_t length);

}  // namespace kc::dsp
