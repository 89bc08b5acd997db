// SPDX-License-Identifier: GPL-3.0-or-later
// The reference design: every window value computed afresh with KaiserWindow, one tap after the
// other, and the mid band adjusted against an explicit unit impulse.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/checked_int.h"
#include "base/errors.h"
#include "base/float_checks.h"
#include "dsp/band_taps.h"
#include "dsp/bands.h"
#include "dsp/crossover.h"
#include "dsp/design_steps.h"
#include "dsp/kaiser.h"
#include "dsp/tap_arrays.h"

namespace kc::dsp {
namespace {

using base::CheckedAdd;
using base::CheckedSub;
using base::StoreDouble;

// Designs one band of `count` taps (odd, positive) and places it centred in an array of the
// design's common length, zeros on both sides.
std::vector<double> DesignBand(int32_t count, const CrossoverTaps& layout, double beta,
                               TapFormula formula, const CrossoverParameters& p) {
    std::vector<double> design = AllocateTaps(count);
    std::vector<double> centred = AllocateTaps(layout.CommonLength);
    const int32_t centre = count / 2;
    const int32_t M = CheckedSub(count, 1);
    for (int32_t i = 0; i < count; ++i) {
        const double w = KaiserWindow(M, static_cast<double>(i), beta);
        const long double k = CheckedSub(i, centre);
        design[static_cast<std::size_t>(i)] = StoreDouble(formula(w, k, p));
    }
    const int32_t shift = CheckedSub(layout.CommonCentre, centre);
    for (int32_t j = 0; j < count; ++j) {
        centred[static_cast<std::size_t>(CheckedAdd(shift, j))] =
            design[static_cast<std::size_t>(j)];
    }
    return centred;
}

// Rewrites the mid band as the unit impulse at CommonCentre minus the other two bands, tap by
// tap, so that the three bands add up to a pure delay of CommonCentre samples.
void AdjustMidBandLiteral(CrossoverTaps& taps) {
    std::vector<double> unitImpulse = AllocateTaps(taps.CommonLength);
    unitImpulse[static_cast<std::size_t>(taps.CommonCentre)] = 1.0;
    for (std::size_t i = 0; i < taps.MidTaps.size(); ++i) {
        const long double corrected = (static_cast<long double>(taps.MidTaps[i]) + unitImpulse[i]) -
                                      static_cast<long double>(taps.SumTaps[i]);
        taps.MidTaps[i] = StoreDouble(corrected);
        StoreTapSum(taps, i);
    }
}

}  // namespace

CrossoverTaps DesignCrossoverLiteral(const CrossoverParameters& parameters) {
    CheckSampleRate(parameters.sampleRateHz);
    CheckTapArraySizes(parameters.lowCount, parameters.midCount, parameters.highCount);
    const CrossoverParameters p = EffectiveParameters(parameters);
    CrossoverTaps taps = EmptyLayout(p);
    taps.SumTaps = AllocateTaps(taps.CommonLength);

    const double beta = KaiserBeta(p.attenuationDb);
    const auto design = [&](std::size_t band, int32_t count, TapFormula formula) {
        return base::RunMarkingWhere(kCurveNames[band].place,
                                     [&] { return DesignBand(count, taps, beta, formula, p); });
    };
    const auto targets = BandTaps(taps);
    *targets[0] = design(0, p.lowCount, LowPassTap);
    *targets[1] = design(1, p.midCount, BandPassTap);
    *targets[2] = design(2, p.highCount, HighPassTap);
    FormSum(taps);
    if (p.adjustCoefficient) {
        AdjustMidBandLiteral(taps);
    }
    return taps;
}

}  // namespace kc::dsp
