// SPDX-License-Identifier: GPL-3.0-or-later
// The group delay of an acoustic response: how late each frequency arrives, from the derivative
// of the unwrapped phase.
#pragma once

#include <array>
#include <vector>

#include "acoustic/acoustic_model.h"

namespace kc::acoustic {

// The phase of each value in degrees, unwrapped: each step to the next value is the angle of
// v[i+1]·conj(v[i]), in (−180, 180], so that the curve runs on without jumps of a turn; the first
// value's phase lies in (−180, 180].
std::vector<double> UnwrappedPhasesDeg(const ComplexCurve& values);

// The group delay −dφ/dω in ms at each of the rising `frequenciesHz`, φ the unwrapped phase:
// the difference over both neighbours inside, over the one neighbour at either end; 0 for a
// single point. A step of phase between neighbours is only known modulo a turn, so each point's
// steps are taken with a known delay referenceMs[i] taken out (and put back), e^(+j·2π·f·ref):
// the figure is exact for a pure delay τ as long as τ − ref turns the phase by less than half a
// turn from one frequency to the next (|τ − ref| < 1 / (2·Δf)). Without references, ref = 0.
std::vector<double> GroupDelaysMs(const ComplexCurve& values,
                                  const std::vector<double>& frequenciesHz,
                                  const std::vector<double>& referenceMs = {});

// The group delays of each band and of the sum of `response` for the `settings` it was evaluated
// with: each band's with its delay setting as reference, the sum's with the delay of the band
// loudest at each frequency. The model's responses have the crossover's latency taken out, so a
// band's group delay is its driver's and its delay setting's.
std::array<std::vector<double>, dsp::kCurveCount> CurveGroupDelaysMs(
    const AcousticResponse& response, const Settings& settings);

}  // namespace kc::acoustic
