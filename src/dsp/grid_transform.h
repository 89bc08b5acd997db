// SPDX-License-Identifier: GPL-3.0-or-later
// The magnitude response of tap arrays at every point of the frequency grid, by FFTs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "dsp/response_store.h"

namespace kc::dsp {

// FFTW's planner is not thread-safe, and neither is destroying a plan: every plan of the program is
// made and destroyed under this one lock.
std::recursive_mutex& PlannerMutex();

// Every grid frequency f is an even number of hertz, f = 2·m, so at a rate R the term of tap n,
// e^(−j·2π·n·f / R) = e^(−j·2π·n·m / (R/2)), repeats every N = R/2 taps when R is even and every
// N = R taps when R is odd: the taps folded modulo N and one DFT of N points give grid point f as
// bin f·N/R (f/2 at an even rate, f at an odd one), exactly, at any length. At 44 100 Hz that is
// 22 050 points and bin f/2.
//
// A length whose prime factors are all 13 or less is one real FFT. Any other length (a prime, or a
// large prime factor such as 283 in 382 050 at 764 100 Hz) would go through Rader's algorithm,
// which costs up to sixty times as much; there the bins are computed by the chirp-z transform, a
// circular convolution of a padded length with factors 2, 3 and 5 only, two arrays at once as the
// real and imaginary parts of one complex sequence, so that every rate costs about what its
// neighbours do.
//
// What a length needs (FFT plans, for the chirp-z transform its chirp's spectrum) is made on first
// use and kept for the few lengths used last; each GridTransform has its own work arrays, so
// separate objects may be used at the same time.
class GridTransform {
  public:
    // The number of points of the transform at `sampleRateHz`: R/2 for an even rate, R for an odd.
    static constexpr int32_t TransformLength(int32_t sampleRateHz) {
        return sampleRateHz % 2 == 0 ? sampleRateHz / 2 : sampleRateHz;
    }

    // The transform for taps at `sampleRateHz` (kMinSampleRateHz ... kMaxSampleRateHz, else
    // ERangeError). Allocates the work arrays (about 16 bytes a point, 350 KB at 44 100 Hz; 16
    // bytes a point of the padded length on the chirp-z path); raises EOutOfMemory when they do not
    // fit.
    explicit GridTransform(int32_t sampleRateHz = SampleRate);
    ~GridTransform();
    GridTransform(const GridTransform&) = delete;
    GridTransform& operator=(const GridTransform&) = delete;

    // Writes into magnitudes[k], for k = 1 ... 950, the modulus √(re² + im²) of the response of
    // `taps` at FreqGrid(k) (linear amplitude ratio; re² + im² in extended precision, rounded to
    // double once); entry 0 is left as it is.
    void Magnitudes(const std::vector<double>& taps, Curve& magnitudes);

    // The same for two arrays at once, which the chirp-z path transforms together.
    void Magnitudes(const std::vector<double>& first, const std::vector<double>& second,
                    Curve& firstMagnitudes, Curve& secondMagnitudes);

    // Whether this rate's length goes by the chirp-z transform (a prime factor above 13).
    bool UsesChirpZ() const;

  private:
    struct LengthPlan;
    struct WorkArrays;
    // The plan of a length, made on its first use; the few lengths used last keep theirs.
    static std::shared_ptr<const LengthPlan> SharedPlan(std::size_t length, std::size_t highestBin);
    void RealMagnitudes(const std::vector<double>& taps, Curve& magnitudes);
    void ChirpZMagnitudes(const std::vector<double>& first, const std::vector<double>& second,
                          Curve& firstMagnitudes, Curve& secondMagnitudes);

    int32_t sampleRateHz_;
    std::size_t length_;
    std::shared_ptr<const LengthPlan> plan_;
    std::unique_ptr<WorkArrays> work_;
};

}  // namespace kc::dsp
