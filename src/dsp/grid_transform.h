// The magnitude response of one tap array at every point of the frequency grid, by one real FFT.
#pragma once

#include <memory>
#include <vector>

#include "dsp/response_store.h"

namespace kc::dsp {

// Every grid frequency f is an even number of hertz, so with f = 2·m the term of tap n,
// e^(−j·2π·n·f / 44100) = e^(−j·2π·n·m / 22050), repeats every 22050 taps: the taps folded modulo
// 22050 and one real DFT of 22050 points give every grid point as bin f / 2, at any length. The
// transform's plan is made once for the whole run and shared; each GridTransform has its own work
// arrays, so separate objects may be used at the same time.
class GridTransform {
  public:
    // The number of points of the transform.
    static constexpr int32_t kTransformLength = SampleRate / 2;

    // Allocates the work arrays (about 350 KB); raises EOutOfMemory when they do not fit.
    GridTransform();
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
    static double RoundingErrorBound(const std::vector<double>& taps);

  private:
    struct WorkArrays;
    std::unique_ptr<WorkArrays> work_;
};

}  // namespace kc::dsp
