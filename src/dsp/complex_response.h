// SPDX-License-Identifier: GPL-3.0-or-later
// The complex frequency response of tap arrays at any frequencies, with a common delay taken out:
// what an FRD file or an acoustic view of the crossover needs beyond the grid's magnitudes.
#pragma once

#include <complex>
#include <cstdint>
#include <vector>

#include "dsp/crossover.h"

namespace kc::dsp {

// Σ x[n]·e^(−j·2π·f·(n − delaySamples)/R) for each f of `frequenciesHz` (Hz, any real values):
// the response H(f) of `taps` at the rate R = `sampleRateHz`, times e^(+j·2π·f·delay/R), so that a
// filter symmetric about `delaySamples` gives a real value (its amplitude, which may be negative).
// Accurate to about 1e-13 of the taps' absolute sum at lengths of some thousands of taps: the
// terms n and 2·delay − n are taken together (one cosine sum of their sum, one sine sum of their
// difference), and cos(m·ω), sin(m·ω) come from a rotation started afresh from the library's sine
// and cosine every 512 steps, eight frequencies at a time in vector registers (about 1 ns a term
// and frequency). ERangeError for a rate outside kMinSampleRateHz ... kMaxSampleRateHz.
std::vector<std::complex<double>> DelayFreeResponse(const std::vector<double>& taps,
                                                    int32_t delaySamples, int32_t sampleRateHz,
                                                    const std::vector<double>& frequenciesHz);

// The responses of a design's four arrays at the same frequencies, the design's latency
// (CommonCentre samples, the delay every band shares) taken out.
struct CrossoverResponses {
    int32_t sampleRateHz = SampleRate;
    int32_t delaySamples = 0;  // CommonCentre
    std::vector<double> frequenciesHz;
    std::vector<std::complex<double>> low;
    std::vector<std::complex<double>> mid;
    std::vector<std::complex<double>> high;
    std::vector<std::complex<double>> sum;  // of SumTaps
};

CrossoverResponses DelayFreeResponses(const CrossoverTaps& taps,
                                      const std::vector<double>& frequenciesHz);

// `pointsPerOctave` frequencies a octave from `startHz` up: startHz·2^(i/pointsPerOctave) for
// i = 0, 1, ... while below `belowHz` (each rounded to double once from an extended power).
std::vector<double> LogSpacedFrequencies(double startHz, int32_t pointsPerOctave, double belowHz);

// The phase in degrees, in (−180, 180], of a delay-free response value `delayFree` at
// `frequencyHz` once the delay is put back: arg(delayFree) − 360°·f·delay/R, the delay's turns
// reduced in extended precision so that thousands of turns cost no accuracy. With a delay of 0 it
// is arg(delayFree) in degrees.
double PhaseDegrees(std::complex<double> delayFree, double frequencyHz, int32_t delaySamples,
                    int32_t sampleRateHz);

}  // namespace kc::dsp
