// SPDX-License-Identifier: GPL-3.0-or-later
// The magnitude response of one tap array at every point of the frequency grid, by one real FFT.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "dsp/response_store.h"

namespace kc::dsp {

// Every grid frequency f is an even number of hertz, f = 2·m, so at a rate R the term of tap n,
// e^(−j·2π·n·f / R) = e^(−j·2π·n·m / (R/2)), repeats every N = R/2 taps when R is even and every
// N = R taps when R is odd: the taps folded modulo N and one real DFT of N points give grid point
// f as bin f·N/R, exactly, at any length. At 44 100 Hz that is 22 050 points and bin f/2. The
// transform's plan is made once per length for the whole run and shared; each GridTransform has
// its own work arrays, so separate objects may be used at the same time.
class GridTransform {
  public:
    // The number of points of the transform at `sampleRateHz`: R/2 for an even rate, R for an odd.
    static constexpr int32_t TransformLength(int32_t sampleRateHz) {
        return sampleRateHz % 2 == 0 ? sampleRateHz / 2 : sampleRateHz;
    }

    // The transform for taps at `sampleRateHz` (kMinSampleRateHz ... kMaxSampleRateHz, else
    // ERangeError). Allocates the work arrays (about 16 bytes a point, 350 KB at 44 100 Hz);
    // raises EOutOfMemory when they do not fit.
    explicit GridTransform(int32_t sampleRateHz = SampleRate);
    ~GridTransform();
    GridTransform(const GridTransform&) = delete;
    GridTransform& operator=(const GridTransform&) = delete;

    // Writes into magnitudes[k], for k = 1 ... 950, the modulus √(re² + im²) of the response of
    // `taps` at FreqGrid(k) (linear amplitude ratio; re² + im² in extended precision, rounded to
    // double once); entry 0 is left as it is.
    void Magnitudes(const std::vector<double>& taps, Curve& magnitudes);

    // An upper bound, in the magnitudes' unit, of how far any magnitude that Magnitudes writes for
    // `taps` can lie from the exact modulus through rounding: a multiple of the taps' absolute sum
    // (0 for taps that are all zero, whose magnitudes are exactly 0).
    double RoundingErrorBound(const std::vector<double>& taps) const;

  private:
    struct WorkArrays;
    std::size_t length_;
    std::unique_ptr<WorkArrays> work_;
};

}  // namespace kc::dsp
