// SPDX-License-Identifier: GPL-3.0-or-later
// The group delay of an acoustic response: how late each frequency arrives, from the derivative
// of the unwrapped phase.
#pragma once

#include <vector>

#include "acoustic/acoustic_model.h"

namespace kc::acoustic {

// The phase of each value in degrees, unwrapped: each step to the next value is the angle of
// v[i+1]·conj(v[i]), in (−180, 180], so that the curve runs on without jumps of a turn; the first
// value's phase lies in (−180, 180].
std::vector<double> UnwrappedPhasesDeg(const ComplexCurve& values);

// The group delay −dφ/dω in ms at each of the rising `frequenciesHz`, φ the unwrapped phase:
// the difference over both neighbours inside, over the one neighbour at either end; 0 for a
// single point. The model's responses have the crossover's latency taken out, so a band's group
// delay is its driver's and its delay setting's. Exact for a pure delay τ as long as the phase
// turns less than half a turn from one frequency to the next (τ < 1 / (2·Δf)).
std::vector<double> GroupDelaysMs(const ComplexCurve& values,
                                  const std::vector<double>& frequenciesHz);

}  // namespace kc::acoustic
