// SPDX-License-Identifier: GPL-3.0-or-later
// The minimum phase of a magnitude response given at some frequencies: what a file of frequency
// and magnitude alone is given as its phase.
#pragma once

#include <vector>

namespace kc::acoustic {

// The phase in degrees at each of `frequenciesHz` (positive, strictly rising, at least 2) of the
// minimum-phase response whose level is `levelsDb` there: the Hilbert transform of the
// log-magnitude, taken in Bode's form over log-frequency,
//   φ(u₀) = (1/π) ∫ dA/du · ln coth(|u − u₀|/2) du,   A = ln|H|, u = ln f,
// with A interpolated linearly over u at 96 points an octave (coarser for a file of more than 4096
// such points) and continued beyond the file's ends by its end slopes (EndSlopeDbPerOctave), so
// that the phase near the ends stays right. Continuous over the points (steps of at most 180°).
// A constant slope of n·6.02 dB an octave everywhere gives n·90°, as a pure n-th order slope has.
std::vector<double> MinimumPhaseDeg(const std::vector<double>& frequenciesHz,
                                    const std::vector<double>& levelsDb);

}  // namespace kc::acoustic
